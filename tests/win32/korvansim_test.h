// The simulator's tests share these: the server DLL and its exports, a message pump, an event
// sink that writes down what it gets, and one simulated control reached the way the program
// and the tool reach it.
#pragma once

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

namespace korvansim_testing {

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

inline std::wstring binaryPath(std::wstring_view name) {
  const std::string dir = ZELVORA_BIN_DIR;
  std::wstring path(dir.begin(), dir.end());
  // A Unix path under Wine: drive Z: is the root of the Unix file system.
  if (path.starts_with(L"/")) path = L"Z:" + path;
  for (auto& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path + L"\\" + std::wstring(name);
}

inline HMODULE serverDll() {
  static HMODULE dll = LoadLibraryW(binaryPath(L"korvansim.dll").c_str());
  return dll;
}

using NoArgumentExport = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectExport = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

template <typename Pointer>
Pointer serverExport(const char* name) {
  return reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(serverDll(), name)));
}

inline HRESULT registerServer() { return serverExport<NoArgumentExport>("DllRegisterServer")(); }
inline HRESULT unregisterServer() { return serverExport<NoArgumentExport>("DllUnregisterServer")(); }


inline void dispatchWaiting() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Runs this thread's messages (the control's timers and queued events, a child's SendMessage)
// until done() or the time is up; waits on `object` too when given.
inline bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs, HANDLE object = nullptr) {
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

// ---- a container's site ----

// A container's site: a client site, an in-place site in `window`, and the ambient user mode.
class FakeSite final : public IOleClientSite,
                       public IOleInPlaceSite,
                       public IDispatch,
                       public fw::win32::RefCounted<FakeSite> {
 public:
  FakeSite(HWND window, bool allowsActivation, bool userMode = true)
      : window_(window), allowsActivation_(allowsActivation), userMode_(userMode) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (riid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
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

  // IDispatch: the ambient properties, of which only the user mode
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id != DISPID_AMBIENT_USERMODE) return DISP_E_MEMBERNOTFOUND;
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = userMode_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

  int activations = 0;
  int deactivations = 0;

 private:
  HWND window_;
  bool allowsActivation_;
  bool userMode_;
};

// ---- one simulated control, reached the way the program and the tool reach it ----

using NoArgumentSlot = HRESULT(STDMETHODCALLTYPE*)(void*);
using ExecuteCommandSlot = HRESULT(STDMETHODCALLTYPE*)(void*, BSTR, BSTR*);

inline void* vtableEntry(void* object, int slot) { return (*static_cast<void***>(object))[slot]; }

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

inline std::wstring repeated(wchar_t c, std::size_t count) { return std::wstring(count, c); }

}  // namespace korvansim_testing
