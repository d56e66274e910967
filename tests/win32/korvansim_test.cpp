// The simulated Korvan control as the program sees it: registration, the server's lifetime, the
// vtable layout of the dual interface and the device's answers.
#include "korvansim_test.h"

namespace korvansim_testing {
namespace {

// Once for the whole program: COM on this thread, and the server loaded and registered.
class ServerEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ASSERT_NE(serverDll(), nullptr) << "korvansim.dll not found beside the test";
    ASSERT_HRESULT_SUCCEEDED(registerServer());
  }
  void TearDown() override { CoUninitialize(); }
};
testing::Environment* const serverEnvironment = testing::AddGlobalTestEnvironment(new ServerEnvironment);

// ---- registration and the server's lifetime ----

std::wstring registryText(const std::wstring& key, const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  return value;
}

TEST(KorvanSimServer, RegistersAsApartmentInprocServerAndUnregisters) {
  wchar_t classId[40];
  StringFromGUID2(korvan::kClassId, classId, 40);
  const std::wstring key = std::wstring(L"CLSID\\") + classId + L"\\InprocServer32";
  wchar_t dllPath[MAX_PATH];
  GetModuleFileNameW(serverDll(), dllPath, MAX_PATH);

  EXPECT_EQ(registryText(key, nullptr), dllPath);
  EXPECT_EQ(registryText(key, L"ThreadingModel"), L"Apartment");

  ASSERT_HRESULT_SUCCEEDED(unregisterServer());
  ComPtr<IUnknown> control;
  EXPECT_EQ(CoCreateInstance(korvan::kClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(control.GetAddressOf())),
            REGDB_E_CLASSNOTREG);
  EXPECT_HRESULT_SUCCEEDED(unregisterServer()) << "unregistering twice is not an error";

  ASSERT_HRESULT_SUCCEEDED(registerServer());
  EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(korvan::kClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                            reinterpret_cast<void**>(control.GetAddressOf())));
}

TEST(KorvanSimServer, MayUnloadOnlyWhenNothingOfItIsInUse) {
  const auto getClassObject = serverExport<GetClassObjectExport>("DllGetClassObject");
  const auto canUnloadNow = serverExport<NoArgumentExport>("DllCanUnloadNow");
  dispatchWaiting();
  ASSERT_EQ(canUnloadNow(), S_OK);

  ComPtr<IClassFactory> factory;
  EXPECT_EQ(getClassObject(korvan::kInterfaceId, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())),
            CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_HRESULT_SUCCEEDED(getClassObject(korvan::kClassId, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())));
  EXPECT_EQ(canUnloadNow(), S_FALSE) << "class object held";

  ComPtr<IUnknown> control;
  ComPtr<IUnknown> outer;
  outer.Attach(new PlainObject);
  EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, reinterpret_cast<void**>(control.GetAddressOf())),
            CLASS_E_NOAGGREGATION);
  ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(control.GetAddressOf())));
  factory.Reset();
  EXPECT_EQ(canUnloadNow(), S_FALSE) << "control alive";
  control.Reset();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

// ---- the dual interface through the raw vtable ----

TEST_F(KorvanSimTest, PlaceholderSlotsAnswerNotImplementedAndReachNothing) {
  for (int slot = 7; slot <= korvan::kExecuteCommandSlot; ++slot) {
    if (slot == korvan::kStartMonitoringSlot || slot == korvan::kExecuteCommandSlot) continue;
    EXPECT_EQ(sim.slot(slot), E_NOTIMPL) << "slot " << slot;
  }
  EXPECT_TRUE(sim.log().empty()) << "a placeholder slot ran a real method";
}

TEST_F(KorvanSimTest, RecordsCommandsAndStartMonitoringInOrderFailedOnesToo) {
  ASSERT_EQ(sim.send({L"fail", L"serial"}), Status::kDone);
  sim.answerTo(L"devicemodel");
  ASSERT_HRESULT_SUCCEEDED(sim.start());
  EXPECT_EQ(sim.execute(L"serial"), E_FAIL);
  sim.answerTo(L"test_\u00e7\xD800");
  sim.answerTo(L"");

  const std::vector<std::wstring> expected = {L"devicemodel", L"StartMonitoring", L"serial", L"test_\u00e7\xD800", L""};
  EXPECT_EQ(sim.log(), expected);
}

TEST(KorvanSimCommands, AnswerAsTheDeviceIsPluggedOrNot) {
  struct Case {
    std::vector<std::vector<std::wstring>> requests;
    std::wstring command;
    std::wstring reply;
  };
  const Case cases[] = {
      {{}, L"devicemodel", kModel},
      {{}, L"serial", kSerial},
      {{}, L"test", L""},
      {{}, L"test_stop", L""},
      {{}, L"no_such_command", L""},
      {{{L"plug", L"KRV-8 PRO", L"KV8-7"}}, L"devicemodel", L"KRV-8 PRO"},
      {{{L"plug", L"KRV-8 PRO", L"KV8-7"}}, L"serial", L"KV8-7"},
      {{{L"plug", L"KRV-8 PRO"}}, L"serial", kSerial},
      {{{L"unplug"}}, L"devicemodel", L""},
      {{{L"unplug"}}, L"serial", L""},
      {{{L"plug", L"KRV-8 PRO"}, {L"unplug"}, {L"plug"}}, L"devicemodel", kModel},
  };
  for (const auto& c : cases) {
    SimControl sim;
    ASSERT_TRUE(sim.ready());
    std::wstring setup;
    for (const auto& request : c.requests) {
      setup += request.front() + L" ";
      ASSERT_EQ(sim.send(request), Status::kDone);
    }
    SCOPED_TRACE(korvansim::toUtf8(setup + L"| " + c.command));
    std::wstring reply = L"<unset>";
    EXPECT_EQ(sim.execute(c.command, &reply), S_OK);
    EXPECT_FALSE(sim.lastReplyWasNull) << "an empty answer is an empty BSTR";
    EXPECT_EQ(reply, c.reply);
  }
}

TEST_F(KorvanSimTest, ExecuteCommandTakesNullCommandAsEmptyAndNeedsAReplyPointer) {
  const auto method = reinterpret_cast<ExecuteCommandSlot>(vtableEntry(sim.get(), korvan::kExecuteCommandSlot));
  EXPECT_EQ(method(sim.get(), nullptr, nullptr), E_POINTER);
  Bstr reply;
  EXPECT_EQ(method(sim.get(), nullptr, reply.out()), S_OK);
  EXPECT_EQ(reply.text(), L"");
  EXPECT_EQ(sim.log(), std::vector<std::wstring>{L""});
}

TEST(KorvanSimCommands, FailMakesOnlyTheNextMatchingCallFail) {
  struct Case {
    std::vector<std::vector<std::wstring>> failures;
    std::vector<std::wstring> calls;  // "StartMonitoring" or a command
    std::vector<HRESULT> results;
  };
  const Case cases[] = {
      {{{L"fail", L"serial"}}, {L"serial", L"serial"}, {E_FAIL, S_OK}},
      {{{L"fail", L"serial", L"0x80070005"}}, {L"serial"}, {E_ACCESSDENIED}},
      {{{L"fail", L"serial", L"-2147467263"}}, {L"serial"}, {E_NOTIMPL}},
      {{{L"fail", L"devicemodel"}}, {L"serial", L"test", L"devicemodel"}, {S_OK, S_OK, E_FAIL}},
      {{{L"fail", L"test", L"0x8007001F"}, {L"fail", L"test"}}, {L"test", L"test", L"test"},
       {HRESULT_FROM_WIN32(ERROR_GEN_FAILURE), E_FAIL, S_OK}},
      {{{L"fail", L"StartMonitoring", L"0x80004005"}}, {L"StartMonitoring", L"StartMonitoring"}, {E_FAIL, S_OK}},
  };
  for (const auto& c : cases) {
    SimControl sim;
    ASSERT_TRUE(sim.ready());
    for (const auto& failure : c.failures) ASSERT_EQ(sim.send(failure), Status::kDone);
    for (std::size_t i = 0; i < c.calls.size(); ++i) {
      SCOPED_TRACE(korvansim::toUtf8(c.failures.front()[1] + L" then call " + std::to_wstring(i + 1) + L" " + c.calls[i]));
      if (c.calls[i] == L"StartMonitoring") {
        EXPECT_EQ(sim.start(), c.results[i]);
      } else {
        EXPECT_EQ(sim.execute(c.calls[i]), c.results[i]);
        if (FAILED(c.results[i])) {
          EXPECT_TRUE(sim.lastReplyWasNull) << "a failed call hands out no string";
        }
      }
    }
  }
}

}  // namespace
}  // namespace korvansim_testing
