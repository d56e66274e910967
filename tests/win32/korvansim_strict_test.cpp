// The strict switches: the simulated control as exacting as framework-made controls are.
#include <thread>

#include "korvansim_test.h"

namespace korvansim_testing {
namespace {

// A control made with the switches given; the switches are read when it is created.
ComPtr<IUnknown> strictControl(const wchar_t* switches) {
  SetEnvironmentVariableW(L"KORVANSIM_STRICT", switches);
  ComPtr<IUnknown> control;
  CoCreateInstance(korvan::kClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                   reinterpret_cast<void**>(control.GetAddressOf()));
  SetEnvironmentVariableW(L"KORVANSIM_STRICT", nullptr);
  return control;
}

template <typename Interface>
ComPtr<Interface> as(const ComPtr<IUnknown>& object, REFIID iid) {
  ComPtr<Interface> result;
  object->QueryInterface(iid, reinterpret_cast<void**>(result.GetAddressOf()));
  return result;
}

HRESULT execute(korvan::IKorvan* control, const wchar_t* command) {
  Bstr text(command);
  Bstr reply;
  return control->ExecuteCommand(text.get(), reply.out());
}

// A request to the one control alive in this process, as the tool sends it.
korvansim::Outcome request(const std::vector<std::wstring>& strings) {
  const auto windows = korvansim::findControlWindows(GetCurrentProcessId());
  EXPECT_EQ(windows.size(), 1u);
  if (windows.size() != 1) return {};
  return korvansim::sendRequest(windows.front(), strings, 5000);
}

TEST(KorvanSimStrict, InitFirstRefusesBothMethodsUntilInitialised) {
  const auto control = strictControl(L"initfirst");
  const auto korvan = as<korvan::IKorvan>(control, korvan::kInterfaceId);
  const auto persist = as<IPersistStreamInit>(control, IID_IPersistStreamInit);
  ASSERT_TRUE(korvan && persist);
  EXPECT_EQ(korvan->StartMonitoring(), E_UNEXPECTED);
  EXPECT_EQ(execute(korvan.Get(), L"test"), E_UNEXPECTED);
  ASSERT_EQ(persist->InitNew(), S_OK);
  EXPECT_EQ(persist->InitNew(), CO_E_ALREADYINITIALIZED);
  EXPECT_EQ(korvan->StartMonitoring(), S_OK);
  EXPECT_EQ(execute(korvan.Get(), L"test"), S_OK);
}

TEST(KorvanSimStrict, SiteFirstRefusesInitialisationWithoutASite) {
  const auto control = strictControl(L"sitefirst,initfirst");
  const auto object = as<IOleObject>(control, IID_IOleObject);
  const auto persist = as<IPersistStreamInit>(control, IID_IPersistStreamInit);
  ASSERT_TRUE(object && persist);
  DWORD status = 0;
  ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);
  EXPECT_EQ(persist->InitNew(), E_UNEXPECTED);
  ComPtr<FakeSite> site;
  site.Attach(new FakeSite(nullptr, true));
  ASSERT_EQ(object->SetClientSite(site.Get()), S_OK);
  EXPECT_EQ(persist->InitNew(), S_OK);
  ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
}

// What a container's ambient user mode does to StartMonitoring: design mode starts nothing.
TEST(KorvanSimStrict, UserModeIsObeyed) {
  struct Case {
    bool userMode;
    bool monitors;
  };
  for (const Case& c : {Case{true, true}, Case{false, false}}) {
    SCOPED_TRACE(c.userMode ? "user mode" : "design mode");
    const auto control = strictControl(L"usermode");
    const auto object = as<IOleObject>(control, IID_IOleObject);
    const auto korvan = as<korvan::IKorvan>(control, korvan::kInterfaceId);
    ComPtr<FakeSite> site;
    site.Attach(new FakeSite(nullptr, true, c.userMode));
    ASSERT_EQ(object->SetClientSite(site.Get()), S_OK);
    EXPECT_EQ(korvan->StartMonitoring(), S_OK);
    const auto log = request({L"log"}).reply;
    EXPECT_EQ(std::count(log.begin(), log.end(), std::wstring(L"StartMonitoring")), c.monitors ? 1 : 0);
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
  }
}

TEST(KorvanSimStrict, WorkerRaisesEventsOnAnotherThreadInOrder) {
  auto control = strictControl(L"worker");
  ComPtr<IConnectionPointContainer> container = as<IConnectionPointContainer>(control, IID_IConnectionPointContainer);
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(korvan::kEventsId, point.GetAddressOf()), S_OK);
  // The sink is written by the worker; it is read only after the control has let it go.
  ComPtr<EventSink> sink;
  sink.Attach(new EventSink(true));
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
  ASSERT_EQ(request({L"calls", L"50", L"2", L"0212"}).status, Status::kDone);
  // The queued calls go out from the control's window, then through the worker.
  dispatchWaiting();
  point->Unadvise(cookie);
  point.Reset();
  container.Reset();
  const DWORD testThread = GetCurrentThreadId();
  // Releasing the control joins its worker, which raises what it still holds first.
  control.Reset();
  ASSERT_EQ(sink->events.size(), 50u);
  for (std::size_t i = 0; i < sink->events.size(); ++i) {
    const Event& event = sink->events[i];
    EXPECT_NE(event.thread, testThread);
    ASSERT_EQ(event.arguments.size(), 5u);
    EXPECT_EQ(event.arguments[2], L"0212" + std::to_wstring(i + 1));
  }
}

TEST(KorvanSimStrict, DispatchOnlyAnswersItsMethodsByName) {
  const auto control = strictControl(L"dispatchonly");
  EXPECT_FALSE(as<korvan::IKorvan>(control, korvan::kInterfaceId));
  const auto dispatch = as<IDispatch>(control, IID_IDispatch);
  ASSERT_TRUE(dispatch);
  DISPID start = 0, execute = 0, unknown = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"StartMonitoring")};
  ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &start), S_OK);
  names[0] = const_cast<LPOLESTR>(L"executecommand");
  ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &execute), S_OK);
  names[0] = const_cast<LPOLESTR>(L"Hangup");
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &unknown), DISP_E_UNKNOWNNAME);

  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(dispatch->Invoke(start, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);

  const auto call = [&](const wchar_t* command, std::wstring& reply, EXCEPINFO& exception) {
    Bstr text(command);
    Bstr answer;
    VARIANT arguments[2];
    V_VT(&arguments[0]) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&arguments[0]) = answer.out();
    V_VT(&arguments[1]) = VT_BSTR;
    V_BSTR(&arguments[1]) = text.get();
    DISPPARAMS params{arguments, nullptr, 2, 0};
    const HRESULT hr = dispatch->Invoke(execute, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &exception, nullptr);
    reply = answer.text();
    return hr;
  };
  std::wstring reply;
  EXCEPINFO exception{};
  EXPECT_EQ(call(L"devicemodel", reply, exception), S_OK);
  EXPECT_EQ(reply, kModel);
  ASSERT_EQ(request({L"fail", L"serial", L"0x80070015"}).status, Status::kDone);
  EXPECT_EQ(call(L"serial", reply, exception), DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, static_cast<SCODE>(0x80070015));
}

}  // namespace
}  // namespace korvansim_testing
