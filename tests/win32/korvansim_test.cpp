// The simulated Korvan control as the program and korvansim.exe see it: registration, the
// vtable layout of the dual interface, device answers, events, the request channel and the tool.
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "channel.h"
#include "fw/win32/com_ptr.h"
#include "korvan_abi.h"
#include "text.h"

namespace {

using Microsoft::WRL::ComPtr;
using korvansim::Status;

constexpr wchar_t kModel[] = L"KRV-4 USB";
constexpr wchar_t kSerial[] = L"KV4-0193527";
constexpr DWORD kEventWaitMs = 3000;

// ---- small owners ----

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::wstring_view text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return value_; }
  BSTR* out() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  std::wstring text() const { return {value_ ? value_ : L"", SysStringLen(value_)}; }

 private:
  BSTR value_ = nullptr;
};

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct WindowDestroyer {
  void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// ---- paths, the server DLL and message pumping ----

std::wstring binaryPath(std::wstring_view name) {
  const std::string dir = ZELVORA_BIN_DIR;
  std::wstring path(dir.begin(), dir.end());
  // A Unix path under Wine: drive Z: is the root of the Unix file system.
  if (path.starts_with(L"/")) path = L"Z:" + path;
  for (auto& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path + L"\\" + std::wstring(name);
}

HMODULE serverDll() {
  static HMODULE dll = LoadLibraryW(binaryPath(L"korvansim.dll").c_str());
  return dll;
}

using NoArgumentExport = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectExport = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

template <typename Pointer>
Pointer serverExport(const char* name) {
  return reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(serverDll(), name)));
}

HRESULT registerServer() { return serverExport<NoArgumentExport>("DllRegisterServer")(); }
HRESULT unregisterServer() { return serverExport<NoArgumentExport>("DllUnregisterServer")(); }

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

void dispatchWaiting() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Runs this thread's messages (the control's timers and queued events, a child's SendMessage)
// until done() or the time is up; waits on `object` too when given.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs, HANDLE object = nullptr) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    dispatchWaiting();
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    MsgWaitForMultipleObjects(object ? 1 : 0, object ? &object : nullptr, FALSE,
                              static_cast<DWORD>(deadline - now), QS_ALLINPUT);
  }
}

// ---- an event sink that writes down what it gets ----

struct Event {
  DISPID id;
  std::vector<std::wstring> arguments;  // in declared order
  DWORD thread;
  bool conventional;  // IID_NULL, DISPATCH_METHOD, no named arguments, BSTRs only
};

class EventSink final : public IDispatch, public fw::win32::RefCounted<EventSink> {
 public:
  explicit EventSink(bool answersEventInterface) : answersEventInterface_(answersEventInterface) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch || (answersEventInterface_ && riid == korvan::kEventsId)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    Event event{id, {}, GetCurrentThreadId(),
                riid == IID_NULL && flags == DISPATCH_METHOD && parameters && parameters->cNamedArgs == 0};
    for (UINT i = parameters ? parameters->cArgs : 0; i-- > 0;) {
      const VARIANT& argument = parameters->rgvarg[i];
      if (argument.vt != VT_BSTR) {
        event.conventional = false;
        continue;
      }
      event.arguments.emplace_back(argument.bstrVal ? argument.bstrVal : L"", SysStringLen(argument.bstrVal));
    }
    events.push_back(std::move(event));
    return S_OK;
  }

  std::size_t count(DISPID id) const {
    return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [&](const Event& e) { return e.id == id; }));
  }
  const Event* last(DISPID id) const {
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
      if (it->id == id) return &*it;
    }
    return nullptr;
  }

  std::vector<Event> events;

 private:
  bool answersEventInterface_;
};

// An object that is no IDispatch: not a sink.
class PlainObject final : public IUnknown, public fw::win32::RefCounted<PlainObject> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = riid == IID_IUnknown ? this : nullptr;
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }

 private:
};

// ---- one simulated control, reached the way the program and the tool reach it ----

using NoArgumentSlot = HRESULT(STDMETHODCALLTYPE*)(void*);
using ExecuteCommandSlot = HRESULT(STDMETHODCALLTYPE*)(void*, BSTR, BSTR*);

void* vtableEntry(void* object, int slot) { return (*static_cast<void***>(object))[slot]; }

class SimControl {
 public:
  SimControl() {
    created = CoCreateInstance(korvan::kClassId, nullptr, CLSCTX_INPROC_SERVER, korvan::kInterfaceId,
                               reinterpret_cast<void**>(control_.GetAddressOf()));
    const auto windows = korvansim::findControlWindows(GetCurrentProcessId());
    if (windows.size() == 1) window_ = windows.front();
  }
  ~SimControl() {
    for (DWORD cookie : cookies_) point_->Unadvise(cookie);
    point_.Reset();
    control_.Reset();
    dispatchWaiting();
  }
  SimControl(const SimControl&) = delete;
  SimControl& operator=(const SimControl&) = delete;

  bool ready() const { return SUCCEEDED(created) && control_ && window_; }
  korvan::IKorvan* get() const { return control_.Get(); }
  HWND window() const { return window_; }

  // Through the raw vtable, as the program calls them, so that the slot numbers are tested.
  HRESULT slot(int index) { return reinterpret_cast<NoArgumentSlot>(vtableEntry(control_.Get(), index))(control_.Get()); }
  HRESULT start() { return slot(korvan::kStartMonitoringSlot); }
  HRESULT execute(std::wstring_view command, std::wstring* reply = nullptr) {
    Bstr text(command);
    Bstr answer;
    const auto method = reinterpret_cast<ExecuteCommandSlot>(vtableEntry(control_.Get(), korvan::kExecuteCommandSlot));
    const HRESULT result = method(control_.Get(), text.get(), answer.out());
    if (reply) *reply = answer.text();
    lastReplyWasNull = answer.get() == nullptr;
    return result;
  }
  std::wstring answerTo(std::wstring_view command) {
    std::wstring reply;
    EXPECT_HRESULT_SUCCEEDED(execute(command, &reply)) << "command " << korvansim::toUtf8(command);
    return reply;
  }

  Status send(std::vector<std::wstring> strings) {
    const auto outcome = korvansim::sendRequest(window_, strings, 5000);
    EXPECT_TRUE(outcome.delivered);
    lastReply = outcome.reply;
    return outcome.status;
  }
  std::vector<std::wstring> log() {
    EXPECT_EQ(send({L"log"}), Status::kDone);
    return lastReply;
  }

  HRESULT advise(IUnknown* sink) {
    if (!point_) {
      ComPtr<IConnectionPointContainer> container;
      control_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.GetAddressOf()));
      if (!container) return E_NOINTERFACE;
      const HRESULT found = container->FindConnectionPoint(korvan::kEventsId, point_.GetAddressOf());
      if (FAILED(found)) return found;
    }
    DWORD cookie = 0;
    const HRESULT result = point_->Advise(sink, &cookie);
    if (SUCCEEDED(result)) cookies_.push_back(cookie);
    return result;
  }
  ComPtr<EventSink> newSink(bool answersEventInterface = true) {
    ComPtr<EventSink> sink;
    sink.Attach(new EventSink(answersEventInterface));
    EXPECT_HRESULT_SUCCEEDED(advise(sink.Get()));
    return sink;
  }
  IConnectionPoint* point() const { return point_.Get(); }
  std::vector<DWORD>& cookies() { return cookies_; }

  template <typename Interface>
  ComPtr<Interface> as(REFIID iid) {
    ComPtr<Interface> result;
    control_->QueryInterface(iid, reinterpret_cast<void**>(result.GetAddressOf()));
    return result;
  }

  HRESULT created = E_FAIL;
  bool lastReplyWasNull = false;
  std::vector<std::wstring> lastReply;

 private:
  ComPtr<korvan::IKorvan> control_;
  HWND window_ = nullptr;
  ComPtr<IConnectionPoint> point_;
  std::vector<DWORD> cookies_;
};

class KorvanSimTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sim.ready()) << "CoCreateInstance: 0x" << std::hex << sim.created; }
  SimControl sim;
};

std::wstring repeated(wchar_t c, std::size_t count) { return std::wstring(count, c); }

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

// ---- events ----

TEST_F(KorvanSimTest, CallIsRaisedLaterOnTheCreatingThreadWithArgumentsInDeclaredOrder) {
  const auto sink = sim.newSink();
  ASSERT_EQ(sim.send({L"call", L"2", L"0532 417 28 93", L"10.12.2026 14:03:22", L"DEV-1", L"Demo"}), Status::kDone);
  EXPECT_TRUE(sink->events.empty()) << "raised inside the sender's SendMessage";

  ASSERT_TRUE(pumpUntil([&] { return !sink->events.empty(); }, kEventWaitMs));
  const Event& event = sink->events.front();
  EXPECT_EQ(event.id, korvan::kOnCallerID);
  EXPECT_TRUE(event.conventional);
  EXPECT_EQ(event.thread, GetCurrentThreadId());
  const std::vector<std::wstring> expected = {L"DEV-1", L"2", L"0532 417 28 93", L"10.12.2026 14:03:22", L"Demo"};
  EXPECT_EQ(event.arguments, expected);
}

ULONGLONG secondsOf(const SYSTEMTIME& time) {
  FILETIME file;
  SystemTimeToFileTime(&time, &file);
  return ((static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime) / 10000000;
}

// "dd.MM.yyyy HH:mm:ss" and nothing else, as seconds; 0 when it is not that.
ULONGLONG parseDeviceTime(const std::wstring& text) {
  SYSTEMTIME time{};
  int consumed = 0;
  if (text.size() != 19 ||
      swscanf(text.c_str(), L"%2hu.%2hu.%4hu %2hu:%2hu:%2hu%n", &time.wDay, &time.wMonth, &time.wYear,
              &time.wHour, &time.wMinute, &time.wSecond, &consumed) != 6 ||
      consumed != 19) {
    return 0;
  }
  return secondsOf(time);
}

TEST_F(KorvanSimTest, CallDefaultsToNowTheCurrentSerialAndNoOtherText) {
  const auto sink = sim.newSink();
  ASSERT_EQ(sim.send({L"plug", L"KRV-2", L"SER-9"}), Status::kDone);
  SYSTEMTIME before;
  GetLocalTime(&before);
  ASSERT_EQ(sim.send({L"call", L"3", L"02164445566"}), Status::kDone);
  SYSTEMTIME after;
  GetLocalTime(&after);

  ASSERT_TRUE(pumpUntil([&] { return !sink->events.empty(); }, kEventWaitMs));
  const auto& arguments = sink->events.front().arguments;
  ASSERT_EQ(arguments.size(), 5u);
  EXPECT_EQ(arguments[0], L"SER-9");
  EXPECT_EQ(arguments[1], L"3");
  EXPECT_EQ(arguments[2], L"02164445566");
  const ULONGLONG stamped = parseDeviceTime(arguments[3]);
  EXPECT_GE(stamped, secondsOf(before)) << korvansim::toUtf8(arguments[3]);
  EXPECT_LE(stamped, secondsOf(after)) << korvansim::toUtf8(arguments[3]);
  EXPECT_EQ(arguments[4], L"");
}

TEST(KorvanSimEvents, LevelsAreAlwaysEightMissingOnesZero) {
  struct Case {
    std::vector<std::wstring> given;
    std::vector<std::wstring> raised;
  };
  const Case cases[] = {
      {{}, {L"0", L"0", L"0", L"0", L"0", L"0", L"0", L"0"}},
      {{L"12", L"x", L""}, {L"12", L"x", L"", L"0", L"0", L"0", L"0", L"0"}},
      {{L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8"}, {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8"}},
  };
  for (const auto& c : cases) {
    SimControl sim;
    ASSERT_TRUE(sim.ready());
    const auto sink = sim.newSink();
    std::vector<std::wstring> request = {L"levels"};
    request.insert(request.end(), c.given.begin(), c.given.end());
    ASSERT_EQ(sim.send(request), Status::kDone);
    ASSERT_TRUE(pumpUntil([&] { return !sink->events.empty(); }, kEventWaitMs));
    EXPECT_EQ(sink->events.front().id, korvan::kOnSignalA);
    EXPECT_TRUE(sink->events.front().conventional);
    EXPECT_EQ(sink->events.front().arguments, c.raised) << c.given.size() << " given";
  }
}

TEST_F(KorvanSimTest, EveryAdvisedSinkGetsEventsUntilItUnadvises) {
  const auto eventSink = sim.newSink(true);
  const auto dispatchOnlySink = sim.newSink(false);
  ComPtr<IUnknown> notASink;
  notASink.Attach(new PlainObject);
  EXPECT_EQ(sim.advise(notASink.Get()), CONNECT_E_CANNOTCONNECT);

  ASSERT_EQ(sim.send({L"levels", L"1"}), Status::kDone);
  ASSERT_TRUE(pumpUntil([&] { return eventSink->events.size() == 1 && dispatchOnlySink->events.size() == 1; }, kEventWaitMs));

  ASSERT_EQ(sim.cookies().size(), 2u);
  EXPECT_HRESULT_SUCCEEDED(sim.point()->Unadvise(sim.cookies().front()));
  EXPECT_EQ(sim.point()->Unadvise(sim.cookies().front()), CONNECT_E_NOCONNECTION);
  sim.cookies().erase(sim.cookies().begin());
  ASSERT_EQ(sim.send({L"levels", L"2"}), Status::kDone);
  ASSERT_TRUE(pumpUntil([&] { return dispatchOnlySink->events.size() == 2; }, kEventWaitMs));
  EXPECT_EQ(eventSink->events.size(), 1u);
}

TEST_F(KorvanSimTest, ConnectionPointBelongsToTheControlAndOffersOnlyTheEvents) {
  const auto container = sim.as<IConnectionPointContainer>(IID_IConnectionPointContainer);
  ASSERT_TRUE(container);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, point.GetAddressOf()), CONNECT_E_NOCONNECTION);
  ASSERT_HRESULT_SUCCEEDED(container->FindConnectionPoint(korvan::kEventsId, point.GetAddressOf()));
  IID iid{};
  ASSERT_HRESULT_SUCCEEDED(point->GetConnectionInterface(&iid));
  EXPECT_EQ(iid, korvan::kEventsId);
  ComPtr<IConnectionPointContainer> owner;
  ASSERT_HRESULT_SUCCEEDED(point->GetConnectionPointContainer(owner.GetAddressOf()));
  EXPECT_EQ(owner.Get(), container.Get());
}

// ---- the built-in demonstration ----

bool isDeviceNumber(const std::wstring& number) {
  std::size_t digits = 0;
  for (wchar_t c : number) {
    if (c >= L'0' && c <= L'9') ++digits;
    else if (c != L' ') return false;
  }
  return number.starts_with(L'0') && digits == 11;
}

TEST_F(KorvanSimTest, DemoRunsOnceMonitoringStartsAndStopsWhenTurnedOff) {
  const auto sink = sim.newSink();
  dispatchWaiting();
  EXPECT_TRUE(sink->events.empty()) << "demo ran before StartMonitoring";
  ASSERT_HRESULT_SUCCEEDED(sim.start());

  ASSERT_TRUE(pumpUntil([&] { return sink->count(korvan::kOnSignalA) >= 2; }, kEventWaitMs));
  for (const auto& event : sink->events) {
    if (event.id != korvan::kOnSignalA) continue;
    ASSERT_EQ(event.arguments.size(), 8u);
    for (int line = 0; line < 4; ++line) {
      const int level = _wtoi(event.arguments[line].c_str());
      EXPECT_TRUE(level >= 0 && level <= 30 && std::to_wstring(level) == event.arguments[line]);
    }
    for (int line = 4; line < 8; ++line) EXPECT_EQ(event.arguments[line], L"0");
  }

  ASSERT_TRUE(pumpUntil([&] { return sink->count(korvan::kOnCallerID) == 1; }, 4000)) << "no demo call";
  const Event& call = *sink->last(korvan::kOnCallerID);
  ASSERT_EQ(call.arguments.size(), 5u);
  EXPECT_EQ(call.arguments[0], kSerial);
  EXPECT_TRUE(call.arguments[1] >= L"1" && call.arguments[1] <= L"4" && call.arguments[1].size() == 1);
  EXPECT_TRUE(isDeviceNumber(call.arguments[2])) << korvansim::toUtf8(call.arguments[2]);
  EXPECT_NE(parseDeviceTime(call.arguments[3]), 0u) << korvansim::toUtf8(call.arguments[3]);

  ASSERT_EQ(sim.send({L"demo", L"off"}), Status::kDone);
  dispatchWaiting();
  const std::size_t seen = sink->events.size();
  // Three level ticks' worth of quiet.
  EXPECT_FALSE(pumpUntil([&] { return sink->events.size() > seen; }, 3 * 200 + 100));
  ASSERT_EQ(sim.send({L"demo", L"on"}), Status::kDone);
  EXPECT_TRUE(pumpUntil([&] { return sink->events.size() > seen; }, kEventWaitMs));
}

TEST(KorvanSimDemo, StaysQuietWhileUnpluggedOrWhenStartingFailed) {
  struct Case {
    const char* name;
    std::vector<std::wstring> request;
  };
  const Case cases[] = {
      {"unplugged", {L"unplug"}},
      {"start failed", {L"fail", L"StartMonitoring"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimControl sim;
    ASSERT_TRUE(sim.ready());
    const auto sink = sim.newSink();
    ASSERT_EQ(sim.send(c.request), Status::kDone);
    sim.start();
    EXPECT_FALSE(pumpUntil([&] { return !sink->events.empty(); }, 3 * 200 + 100));
  }
}

// ---- the request channel: what is refused changes nothing ----

class RawRequest {
 public:
  RawRequest& word(std::uint32_t value) {
    const auto* bytes = reinterpret_cast<const std::byte*>(&value);
    bytes_.insert(bytes_.end(), bytes, bytes + sizeof value);
    return *this;
  }
  RawRequest& units(std::wstring_view text) {
    const auto* bytes = reinterpret_cast<const std::byte*>(text.data());
    bytes_.insert(bytes_.end(), bytes, bytes + text.size() * sizeof(wchar_t));
    return *this;
  }
  RawRequest& string(std::wstring_view text) { return word(static_cast<std::uint32_t>(text.size())).units(text); }
  RawRequest& byte() {
    bytes_.push_back(std::byte{0});
    return *this;
  }
  std::vector<std::byte>& bytes() { return bytes_; }

 private:
  std::vector<std::byte> bytes_;
};

LRESULT sendRaw(HWND window, ULONG_PTR tag, std::vector<std::byte>& bytes) {
  COPYDATASTRUCT data{tag, static_cast<DWORD>(bytes.size()), bytes.empty() ? nullptr : bytes.data()};
  return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

TEST(KorvanSimChannel, RefusesMalformedRequestsAndChangesNothing) {
  const auto oversizedCall = repeated(L'5', korvansim::kMaxRequestBytes / 2);
  struct Case {
    const char* name;
    ULONG_PTR tag;
    RawRequest request;
    Status status;
  };
  // Built around requests that would unplug the device or raise an event if they got through.
  Case cases[] = {
      {"wrong tag", korvansim::kReplyTag, RawRequest().word(0).word(1).string(L"unplug"), Status::kMalformed},
      {"no bytes", korvansim::kRequestTag, RawRequest(), Status::kMalformed},
      {"header cut short", korvansim::kRequestTag, RawRequest().word(0).byte().byte(), Status::kMalformed},
      {"no strings", korvansim::kRequestTag, RawRequest().word(0).word(0), Status::kMalformed},
      {"more strings counted than sent", korvansim::kRequestTag, RawRequest().word(0).word(2).string(L"unplug"),
       Status::kMalformed},
      {"string longer than the bytes", korvansim::kRequestTag,
       RawRequest().word(0).word(1).word(100).units(L"unplug"), Status::kMalformed},
      {"length of a string cut short", korvansim::kRequestTag,
       RawRequest().word(0).word(2).string(L"unplug").byte().byte(), Status::kMalformed},
      {"odd byte after the last string", korvansim::kRequestTag, RawRequest().word(0).word(1).string(L"unplug").byte(),
       Status::kMalformed},
      {"too many strings", korvansim::kRequestTag,
       [] {
         RawRequest r;
         r.word(0).word(korvansim::kMaxRequestStrings + 1).string(L"levels");
         for (std::uint32_t i = 0; i < korvansim::kMaxRequestStrings; ++i) r.string(L"1");
         return r;
       }(),
       Status::kMalformed},
      {"over the size cap", korvansim::kRequestTag,
       RawRequest().word(0).word(3).string(L"call").string(L"1").string(oversizedCall), Status::kMalformed},
      {"unknown verb", korvansim::kRequestTag, RawRequest().word(0).word(1).string(L"Unplug"), Status::kUnknownVerb},
      {"argument to unplug", korvansim::kRequestTag, RawRequest().word(0).word(2).string(L"unplug").string(L"now"),
       Status::kWrongArgumentCount},
      {"call without number", korvansim::kRequestTag, RawRequest().word(0).word(2).string(L"call").string(L"1"),
       Status::kWrongArgumentCount},
      {"nine levels", korvansim::kRequestTag,
       RawRequest().word(0).word(10).string(L"levels").string(L"1").string(L"2").string(L"3").string(L"4")
           .string(L"5").string(L"6").string(L"7").string(L"8").string(L"9"),
       Status::kWrongArgumentCount},
      {"fail with a success code", korvansim::kRequestTag,
       RawRequest().word(0).word(3).string(L"fail").string(L"serial").string(L"0"), Status::kBadArgument},
      {"fail with no number", korvansim::kRequestTag,
       RawRequest().word(0).word(3).string(L"fail").string(L"serial").string(L"0x8000400G"), Status::kBadArgument},
      {"fail with more than 32 bits", korvansim::kRequestTag,
       RawRequest().word(0).word(3).string(L"fail").string(L"serial").string(L"0x180004005"), Status::kBadArgument},
      {"demo neither on nor off", korvansim::kRequestTag, RawRequest().word(0).word(2).string(L"demo").string(L"On"),
       Status::kBadArgument},
      {"log with nowhere to answer", korvansim::kRequestTag, RawRequest().word(0).word(1).string(L"log"),
       Status::kBadArgument},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimControl sim;
    ASSERT_TRUE(sim.ready());
    const auto sink = sim.newSink();
    EXPECT_EQ(sendRaw(sim.window(), c.tag, c.request.bytes()), static_cast<LRESULT>(c.status));
    dispatchWaiting();  // anything queued would be raised now
    EXPECT_TRUE(sink->events.empty());
    EXPECT_EQ(sim.answerTo(L"devicemodel"), kModel);
    EXPECT_EQ(sim.answerTo(L"serial"), kSerial) << "a failure was queued";
  }
}

TEST_F(KorvanSimTest, TakesAMegabyteStringWhole) {
  const auto sink = sim.newSink();
  std::wstring number = repeated(L'7', 1u << 20);
  number[12345] = static_cast<wchar_t>(0xDC00);
  ASSERT_EQ(sim.send({L"call", L"1", number}), Status::kDone);
  ASSERT_TRUE(pumpUntil([&] { return !sink->events.empty(); }, kEventWaitMs));
  ASSERT_EQ(sink->events.front().arguments.size(), 5u);
  EXPECT_TRUE(sink->events.front().arguments[2] == number);
}

TEST_F(KorvanSimTest, LogToAWindowThatIsGoneIsReportedUndeliverable) {
  HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(gone, nullptr);
  DestroyWindow(gone);
  RawRequest request;
  request.word(korvansim::windowToWire(gone)).word(1).string(L"log");
  const LRESULT status = sendRaw(sim.window(), korvansim::kRequestTag, request.bytes());
  EXPECT_EQ(status, static_cast<LRESULT>(Status::kReplyUndeliverable));
}

// ---- the OLE control a container sees ----

class FakeSite final : public IOleClientSite, public IOleInPlaceSite, public fw::win32::RefCounted<FakeSite> {
 public:
  FakeSite(HWND window, bool allowsActivation) : window_(window), allowsActivation_(allowsActivation) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }
  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return allowsActivation_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    ++activations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, LPRECT, LPRECT,
                                             LPOLEINPLACEFRAMEINFO) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    ++deactivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

  int activations = 0;
  int deactivations = 0;

 private:
  HWND window_;
  bool allowsActivation_;
};

UniqueWindow makeParentWindow() {
  return UniqueWindow(CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr));
}

RECT childRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Its own visibility: the test's parent window is never shown, so IsWindowVisible says nothing.
bool shown(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

TEST_F(KorvanSimTest, InPlaceActivationShowsAViewInTheParentUntilDeactivated) {
  const auto object = sim.as<IOleObject>(IID_IOleObject);
  const auto inPlace = sim.as<IOleInPlaceObject>(IID_IOleInPlaceObject);
  ASSERT_TRUE(object && inPlace);
  const UniqueWindow parent = makeParentWindow();
  HWND view = nullptr;
  EXPECT_EQ(inPlace->GetWindow(&view), E_FAIL) << "a view before activation";

  const RECT position{10, 20, 110, 44};
  ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, parent.get(), &position), S_OK);
  ASSERT_EQ(inPlace->GetWindow(&view), S_OK);
  EXPECT_EQ(GetParent(view), parent.get());
  EXPECT_TRUE(shown(view));
  EXPECT_TRUE(childRect(view) == position);

  const RECT moved{5, 5, 55, 29};
  ASSERT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
  EXPECT_TRUE(childRect(view) == moved);
  EXPECT_EQ(object->DoVerb(OLEIVERB_HIDE, nullptr, nullptr, 0, parent.get(), nullptr), S_OK);
  EXPECT_FALSE(shown(view));
  EXPECT_EQ(object->DoVerb(OLEIVERB_OPEN, nullptr, nullptr, 0, parent.get(), nullptr), E_NOTIMPL);

  ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
  EXPECT_FALSE(IsWindow(view));
  EXPECT_EQ(inPlace->GetWindow(&view), E_FAIL);
}

TEST_F(KorvanSimTest, InPlaceActivationFollowsTheSite) {
  const auto object = sim.as<IOleObject>(IID_IOleObject);
  const auto inPlace = sim.as<IOleInPlaceObject>(IID_IOleInPlaceObject);
  const UniqueWindow parent = makeParentWindow();

  ComPtr<FakeSite> refusing;
  refusing.Attach(new FakeSite(parent.get(), false));
  EXPECT_HRESULT_FAILED(object->DoVerb(OLEIVERB_SHOW, nullptr, refusing.Get(), 0, nullptr, nullptr));
  EXPECT_EQ(refusing->activations, 0);

  ComPtr<FakeSite> site;
  site.Attach(new FakeSite(parent.get(), true));
  ASSERT_EQ(object->SetClientSite(site.Get()), S_OK);
  ComPtr<IOleClientSite> gotSite;
  ASSERT_EQ(object->GetClientSite(gotSite.GetAddressOf()), S_OK);
  EXPECT_EQ(gotSite.Get(), static_cast<IOleClientSite*>(site.Get()));
  gotSite.Reset();

  // No parent given: the site's window is the parent.
  ASSERT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
  HWND view = nullptr;
  ASSERT_EQ(inPlace->GetWindow(&view), S_OK);
  EXPECT_EQ(GetParent(view), parent.get());
  EXPECT_TRUE(shown(view));
  EXPECT_EQ(site->activations, 1);
  EXPECT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(site->activations, 1) << "activated twice";

  // Taking the site away deactivates, and tells the site so.
  ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
  EXPECT_FALSE(IsWindow(view));
  EXPECT_EQ(site->deactivations, 1);
}

TEST_F(KorvanSimTest, OleObjectBasics) {
  const auto object = sim.as<IOleObject>(IID_IOleObject);
  ASSERT_TRUE(object);
  CLSID classId{};
  ASSERT_EQ(object->GetUserClassID(&classId), S_OK);
  EXPECT_EQ(classId, korvan::kClassId);

  SIZEL extent{5000, 1000};
  EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  SIZEL read{};
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &read), S_OK);
  EXPECT_EQ(read.cx, 5000);
  EXPECT_EQ(read.cy, 1000);
  EXPECT_EQ(object->GetExtent(DVASPECT_ICON, &read), DV_E_DVASPECT);

  DWORD status = 0;
  ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_TRUE(status & OLEMISC_SETCLIENTSITEFIRST);
  // No window anywhere: still fine, the device needs none.
  EXPECT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr), S_OK);

  // Close ends monitoring: no demo afterwards.
  const auto sink = sim.newSink();
  ASSERT_HRESULT_SUCCEEDED(sim.start());
  ASSERT_TRUE(pumpUntil([&] { return !sink->events.empty(); }, kEventWaitMs));
  ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
  dispatchWaiting();
  const std::size_t seen = sink->events.size();
  EXPECT_FALSE(pumpUntil([&] { return sink->events.size() > seen; }, 3 * 200 + 100));
}

// ---- the pieces of the tool that can be checked alone ----

TEST(KorvanSimText, UnescapesCodeUnitsAndBackslashesAndRefusesTheRest) {
  struct Case {
    std::wstring_view argument;
    std::wstring text;
    std::optional<std::size_t> errorAt;
  };
  const Case cases[] = {
      {L"plain", L"plain", {}},
      {L"\\u00e7", L"\u00e7", {}},
      {L"\\u00E7x", L"\u00e7x", {}},
      {L"\\ud800", std::wstring(1, static_cast<wchar_t>(0xD800)), {}},
      {L"a\\\\u0041", L"a\\u0041", {}},
      {L"\\\\\\\\", L"\\\\", {}},
      {L"\\u0000", std::wstring(1, L'\0'), {}},
      {L"x\\u12", L"", 1},
      {L"\\u12g4", L"", 0},
      {L"\\U00e7", L"", 0},
      {L"ab\\n", L"", 2},
      {L"trailing\\", L"", 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(korvansim::toUtf8(c.argument));
    const auto result = korvansim::unescape(c.argument);
    EXPECT_EQ(result.errorAt, c.errorAt);
    if (!c.errorAt) {
      EXPECT_EQ(result.text, c.text);
    }
  }
}

TEST(KorvanSimText, Utf8KeepsPairsAndReplacesLoneSurrogates) {
  struct Case {
    std::wstring text;
    std::string utf8;
  };
  const Case cases[] = {
      {L"abc", "abc"},
      {L"\u00e7\u011f", "\xC3\xA7\xC4\x9F"},
      {L"\u20ac", "\xE2\x82\xAC"},
      {L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
      {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x", "\xEF\xBF\xBDx"},
      {L"x" + std::wstring(1, static_cast<wchar_t>(0xDC00)), "x\xEF\xBF\xBD"},
      {L"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) EXPECT_EQ(korvansim::toUtf8(c.text), c.utf8);
}

// ---- korvansim.exe against the control in this process ----

// Quoted so that CommandLineToArgvW gives back exactly `argument`.
std::wstring quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

UniqueHandle temporaryFile() {
  wchar_t directory[MAX_PATH];
  wchar_t path[MAX_PATH];
  GetTempPathW(MAX_PATH, directory);
  GetTempFileNameW(directory, L"ksm", 0, path);
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  return UniqueHandle(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr));
}

std::string contentsOf(HANDLE file) {
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  return text;
}

struct CliRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
  std::string errors;
};

CliRun runCli(const std::vector<std::wstring>& arguments) {
  CliRun run;
  const std::wstring exe = binaryPath(L"korvansim.exe");
  std::wstring commandLine = quoted(exe);
  for (const auto& argument : arguments) commandLine += L" " + quoted(argument);
  const UniqueHandle output = temporaryFile();
  const UniqueHandle errors = temporaryFile();
  if (output.get() == INVALID_HANDLE_VALUE || errors.get() == INVALID_HANDLE_VALUE) return run;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output.get();
  startup.hStdError = errors.get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &process)) {
    run.errors = "CreateProcess failed";
    return run;
  }
  const UniqueHandle processHandle(process.hProcess);
  const UniqueHandle threadHandle(process.hThread);
  // The tool's SendMessage is answered by this thread, so it must keep pumping while it waits.
  const bool ended = pumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 30000,
                               process.hProcess);
  if (!ended) {
    TerminateProcess(process.hProcess, 99);
    run.errors = "korvansim.exe did not end";
    return run;
  }
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  run.output = contentsOf(output.get());
  run.errors = contentsOf(errors.get());
  return run;
}

std::wstring ownProcessId() { return std::to_wstring(GetCurrentProcessId()); }

TEST_F(KorvanSimTest, CliRaisesEventsWithEscapedTextAndPrintsTheLog) {
  const auto sink = sim.newSink();

  auto run = runCli({L"--pid", ownProcessId(), L"call", L"1", L"\\u00e7\\ud800 \\\\x"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  ASSERT_TRUE(pumpUntil([&] { return sink->count(korvan::kOnCallerID) == 1; }, kEventWaitMs));
  const std::wstring expectedNumber = L"\u00e7" + std::wstring(1, static_cast<wchar_t>(0xD800)) + L" \\x";
  const auto& call = sink->last(korvan::kOnCallerID)->arguments;
  ASSERT_EQ(call.size(), 5u);
  EXPECT_EQ(call[1], L"1");
  EXPECT_EQ(call[2], expectedNumber);
  EXPECT_EQ(call[0], kSerial);

  run = runCli({L"--pid", ownProcessId(), L"levels", L"5", L"6"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  ASSERT_TRUE(pumpUntil([&] { return sink->count(korvan::kOnSignalA) == 1; }, kEventWaitMs));
  const std::vector<std::wstring> levels = {L"5", L"6", L"0", L"0", L"0", L"0", L"0", L"0"};
  EXPECT_EQ(sink->last(korvan::kOnSignalA)->arguments, levels);

  sim.answerTo(L"devicemodel");
  ASSERT_HRESULT_SUCCEEDED(sim.start());
  sim.answerTo(L"\u00e7a\u011fr\u0131");
  run = runCli({L"--pid", ownProcessId(), L"log"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_EQ(run.output, "devicemodel\nStartMonitoring\n\xC3\xA7" "a\xC4\x9Fr\xC4\xB1\n");
}

TEST_F(KorvanSimTest, CliDrivesTheDeviceState) {
  auto run = runCli({L"--pid", ownProcessId(), L"plug", L"KRV-\\u00c7", L"S-2"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_EQ(sim.answerTo(L"devicemodel"), L"KRV-\u00c7");
  EXPECT_EQ(sim.answerTo(L"serial"), L"S-2");

  run = runCli({L"--pid", ownProcessId(), L"fail", L"serial", L"0x80070005"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_EQ(sim.execute(L"serial"), E_ACCESSDENIED);

  run = runCli({L"--pid", ownProcessId(), L"unplug"});
  ASSERT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_EQ(sim.answerTo(L"devicemodel"), L"");
}

TEST_F(KorvanSimTest, CliRefusesBadInputClearlyAndChangesNothing) {
  const auto sink = sim.newSink();
  struct Case {
    std::vector<std::wstring> arguments;
    DWORD exitCode;
    const char* message;
  };
  const Case cases[] = {
      {{L"unplug", L"now"}, 2, "wrong number of arguments"},
      {{L"call", L"1"}, 2, "wrong number of arguments"},
      {{L"Unplug"}, 2, "unknown command"},
      {{L"call", L"1", L"\\u12"}, 2, "bad escape"},
      {{L"call", L"1", L"C:\\temp"}, 2, "bad escape"},
      {{L"fail", L"serial", L"0"}, 2, "not a failure HRESULT"},
      {{L"demo", L"maybe"}, 2, "on or off"},
      {{L"calls", L"0", L"1", L"0532"}, 2, "not a call count"},
      {{L"calls", L"100001", L"1", L"0532"}, 2, "not a call count"},
      {{L"calls", L"+5", L"1", L"0532"}, 2, "not a call count"},
      {{L"--pid", L"x", L"unplug"}, 2, "--pid needs a process id"},
      {{L"--verbose", L"unplug"}, 2, "unknown option"},
      {{}, 2, "no command given"},
      {{L"--pid", L"4294967292", L"unplug"}, 1, "hosts no simulated Korvan control"},
  };
  for (const auto& c : cases) {
    std::vector<std::wstring> arguments = c.arguments;
    if (arguments.empty() || arguments.front() != L"--pid") {
      arguments.insert(arguments.begin(), {L"--pid", ownProcessId()});
    }
    const auto run = runCli(arguments);
    SCOPED_TRACE(run.errors);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_NE(run.errors.find(c.message), std::string::npos);
    EXPECT_TRUE(run.output.empty());
  }
  dispatchWaiting();
  EXPECT_TRUE(sink->events.empty());
  EXPECT_EQ(sim.answerTo(L"devicemodel"), kModel);
  EXPECT_EQ(sim.answerTo(L"serial"), kSerial);
}

}  // namespace
