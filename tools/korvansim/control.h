// The simulated caller-ID device control: the dual interface the host calls, the event source it
// listens to, the few OLE control interfaces a container may use, and the message-only window
// through which korvansim.exe drives it. Apartment-threaded: everything runs on the thread that
// created it, events too unless the strict switch `worker` hands them to a thread of their own.
#pragma once

#include <ole2.h>
#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "channel.h"
#include "demo.h"
#include "fw/win32/handles.h"
#include "korvan_abi.h"
#include "module.h"
#include "sim_device.h"

namespace korvansim {

using Microsoft::WRL::ComPtr;

// The in-place view's window class, registered beside the message-only window's.
inline constexpr wchar_t kViewWindowClass[] = L"KorvanSim.View";

// A control's hold on its two window classes: the first hold registers them, the last one
// unregisters them, on whichever apartment thread that happens.
class WindowClassesHold {
 public:
  WindowClassesHold();
  ~WindowClassesHold();
  WindowClassesHold(const WindowClassesHold&) = delete;
  WindowClassesHold& operator=(const WindowClassesHold&) = delete;
  // False when the classes could not be registered; GetLastError says why.
  bool held() const { return held_; }

 private:
  bool held_ = false;
};

// KORVANSIM_STRICT: comma-separated switches that make the control as exacting as controls made
// with the common frameworks. None is the lenient default.
struct Strictness {
  bool siteFirst = false;     // initialising before the client site is refused (E_UNEXPECTED)
  bool initFirst = false;     // the two methods are refused (E_UNEXPECTED) until initialised
  bool worker = false;        // events are raised from a worker thread
  bool userMode = false;      // the site's ambient user mode is read; design mode gets no monitoring
  bool dispatchOnly = false;  // no interface table: the methods only by name through IDispatch

  static Strictness parse(std::wstring_view switches);
  static Strictness fromEnvironment();
};

// Dispatch ids of the two methods for callers that bind by name.
inline constexpr DISPID kStartMonitoringDispId = 46;
inline constexpr DISPID kExecuteCommandDispId = 49;

// Raises events on a thread of its own, in the order they were handed over, as device controls
// that read their hardware on a worker thread do.
class EventWorker {
 public:
  struct Job {
    DISPID event;
    std::vector<std::wstring> arguments;
    std::vector<ComPtr<IDispatch>> sinks;
  };
  EventWorker();
  ~EventWorker();  // raises what is queued, then ends the thread
  void post(Job job);

 private:
  void run();
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool stopping_ = false;
  std::thread thread_;
};

// Invokes one event on each sink; shared by the control's thread and the worker.
void invokeSinks(DISPID event, std::span<const std::wstring> arguments, std::span<const ComPtr<IDispatch>> sinks);

#define KORVANSIM_PLACEHOLDER(n) \
  HRESULT STDMETHODCALLTYPE Slot##n() override { return E_NOTIMPL; }

class Control final : public korvan::IKorvan,
                      public IConnectionPointContainer,
                      public IOleObject,
                      public IOleInPlaceObject,
                      public IPersistStreamInit {
 public:
  // The class factory's CreateInstance.
  static HRESULT create(REFIID riid, void** object);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch: the two methods by name, for callers without the interface table. There is no
  // type information.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* badArgument) override;

  // IKorvan
  KORVANSIM_PLACEHOLDER(07) KORVANSIM_PLACEHOLDER(08) KORVANSIM_PLACEHOLDER(09)
  KORVANSIM_PLACEHOLDER(10) KORVANSIM_PLACEHOLDER(11) KORVANSIM_PLACEHOLDER(12)
  KORVANSIM_PLACEHOLDER(13) KORVANSIM_PLACEHOLDER(14) KORVANSIM_PLACEHOLDER(15)
  KORVANSIM_PLACEHOLDER(16) KORVANSIM_PLACEHOLDER(17) KORVANSIM_PLACEHOLDER(18)
  KORVANSIM_PLACEHOLDER(19) KORVANSIM_PLACEHOLDER(20) KORVANSIM_PLACEHOLDER(21)
  KORVANSIM_PLACEHOLDER(22) KORVANSIM_PLACEHOLDER(23) KORVANSIM_PLACEHOLDER(24)
  KORVANSIM_PLACEHOLDER(25) KORVANSIM_PLACEHOLDER(26) KORVANSIM_PLACEHOLDER(27)
  KORVANSIM_PLACEHOLDER(28) KORVANSIM_PLACEHOLDER(29) KORVANSIM_PLACEHOLDER(30)
  KORVANSIM_PLACEHOLDER(31) KORVANSIM_PLACEHOLDER(32) KORVANSIM_PLACEHOLDER(33)
  KORVANSIM_PLACEHOLDER(34) KORVANSIM_PLACEHOLDER(35) KORVANSIM_PLACEHOLDER(36)
  KORVANSIM_PLACEHOLDER(37) KORVANSIM_PLACEHOLDER(38) KORVANSIM_PLACEHOLDER(39)
  KORVANSIM_PLACEHOLDER(40) KORVANSIM_PLACEHOLDER(41) KORVANSIM_PLACEHOLDER(42)
  KORVANSIM_PLACEHOLDER(43) KORVANSIM_PLACEHOLDER(44) KORVANSIM_PLACEHOLDER(45)
  HRESULT STDMETHODCALLTYPE StartMonitoring() override;
  KORVANSIM_PLACEHOLDER(47) KORVANSIM_PLACEHOLDER(48)
  HRESULT STDMETHODCALLTYPE ExecuteCommand(BSTR command, BSTR* reply) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                   LPCRECT position) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow / IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }

  // IPersist / IPersistStreamInit: the control keeps no state, but it counts as initialised only
  // once a container has called InitNew or Load.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override { return GetUserClassID(classId); }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM) override { return initialise(); }
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override { return initialise(); }

  // Called by the message-only window's procedure.
  LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  class EventPoint final : public IConnectionPoint {
   public:
    explicit EventPoint(Control& owner)
        : owner_(owner), worker_(owner.strict_.worker ? std::make_unique<EventWorker>() : nullptr) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    // Arguments in declared order; they reach the sink reversed, as COM passes them.
    void fire(DISPID event, std::span<const std::wstring> arguments);
    // Ends the worker (joined) while the sinks can still be reached.
    void stopWorker() { worker_.reset(); }

   private:
    Control& owner_;
    std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks_;
    DWORD nextCookie_ = 1;
    std::unique_ptr<EventWorker> worker_;  // with the strict switch `worker`
  };

  // One event, or a burst of `burst` calls kept as one entry and numbered as each is raised:
  // ten thousand calls queued at once would otherwise hold their strings in the host's heap
  // until the last is raised.
  struct PendingEvent {
    DISPID id;
    std::vector<std::wstring> arguments;
    unsigned burst = 0;   // calls in the burst; 0 for one event as it is
    unsigned raised = 0;  // of the burst, raised so far
  };

  Control();
  ~Control();
  HRESULT createMessageWindow();

  Status carryOut(const Message& request);
  Status sendReply(HWND replyTo, const std::vector<std::wstring>& entries);
  void raiseEarlyEvents(const std::wstring& when);
  void queueEvent(DISPID id, std::vector<std::wstring> arguments, unsigned burst = 0);
  void fireNextQueued();
  PendingEvent takeNextQueued();

  void updateDemo();
  void onLevelsTimer();
  void onCallTimer();
  void onStormTimer();

  HRESULT activateInPlace(IOleClientSite* site, HWND parent, LPCRECT position);
  HRESULT initialise();
  HRESULT refusedUntilReady() const;
  void readUserMode();

  // Members go in reverse order of declaration, which the teardown relies on: the view and the
  // message-only window first, then the window classes (which cannot be unregistered while a
  // window of theirs lives), the sites, sinks and the rest, and last the DLL's count of live
  // objects, so that COM may unload the DLL only once all of it is gone.
  CountedObject counted_;
  std::atomic<ULONG> references_{0};  // the first is create()'s
  const Strictness strict_ = Strictness::fromEnvironment();
  bool initialised_ = false;
  bool designMode_ = false;  // the container said so (strict `usermode` only)
  EventPoint events_{*this};
  SimDevice device_;
  Demo demo_;
  bool demoEnabled_ = true;
  unsigned earlyEvents_ = 0;  // KORVANSIM_EARLY_EVENTS
  unsigned stormLeft_ = 0;    // level updates of a `levelstorm` still to raise
  bool demoRunning_ = false;
  std::deque<PendingEvent> pending_;

  RECT viewRect_{0, 0, 96, 24};
  SIZEL extent_{2540, 635};  // one inch by a quarter, in HIMETRIC
  ComPtr<IOleClientSite> clientSite_;
  ComPtr<IOleInPlaceSite> inPlaceSite_;

  std::optional<WindowClassesHold> windowClasses_;
  fw::win32::UniqueWindow messageWindow_;
  fw::win32::UniqueWindow view_;  // while active in place
};

#undef KORVANSIM_PLACEHOLDER

}  // namespace korvansim
