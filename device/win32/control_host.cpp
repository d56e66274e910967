// The container's calls in the order the control contract documents, and the event sink that
// brings events raised on another thread to the GUI thread.
#include "control_host.h"

#include <olectl.h>

#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "korvan.h"

namespace device {

using fw::win32::ComPtr;
using fw::win32::RefCounted;

namespace {

constexpr UINT kRelayMessage = WM_APP + 1;
constexpr wchar_t kRelayClass[] = L"Zelvora.ControlEvents";

std::string describe(const char* step, HRESULT hr) {
  char text[160];
  snprintf(text, sizeof text, "%s failed (0x%08lX)", step, static_cast<unsigned long>(hr));
  return text;
}

// An event's arguments copied out of the raising thread's call: by-reference ones are read
// through, since what they point to is gone once the control's call returns.
class CopiedEvent {
 public:
  CopiedEvent(DISPID id, const DISPPARAMS& params) : id_(id), arguments_(params.cArgs) {
    for (UINT i = 0; i < params.cArgs; ++i) {
      VariantInit(&arguments_[i]);
      VariantCopyInd(&arguments_[i], &params.rgvarg[i]);
    }
  }
  CopiedEvent(CopiedEvent&&) = default;
  CopiedEvent& operator=(CopiedEvent&&) = default;
  ~CopiedEvent() {
    for (auto& argument : arguments_) VariantClear(&argument);
  }

  DISPID id() const { return id_; }
  DISPPARAMS params() { return {arguments_.data(), nullptr, static_cast<UINT>(arguments_.size()), 0}; }

 private:
  DISPID id_;
  std::vector<VARIANT> arguments_;
};

}  // namespace

void trace(const char* step, HRESULT hr) {
  OutputDebugStringA(("Zelvora: ActiveX host: " + describe(step, hr) + "\n").c_str());
}

void fail(const char* step, HRESULT hr) {
  trace(step, hr);
  throw DeviceError(describe(step, hr), hr);
}

// Receives the control's events. On the GUI thread they go straight to the handler, as they
// always did; from any other thread (controls often read their hardware on one) they are copied
// and queued, and the relay window hands them over on the GUI thread in the order raised.
class EventSink final : public IDispatch, RefCounted<EventSink> {
 public:
  EventSink(IID events, EventHandler handler, HWND relay)
      : events_(events), handler_(std::move(handler)), relay_(relay), thread_(GetCurrentThreadId()) {}

  // On the GUI thread, before the control is let go: later events find nobody.
  void detach() {
    std::lock_guard lock(mutex_);
    handler_ = nullptr;
    queued_.clear();
  }

  void deliverQueued() {
    for (;;) {
      std::unique_lock lock(mutex_);
      if (queued_.empty() || !handler_) return;
      // Taken off before it is handled: a handler's modal loop may drain the rest.
      CopiedEvent event = std::move(queued_.front());
      queued_.pop_front();
      lock.unlock();
      DISPPARAMS params = event.params();
      deliver(event.id(), params);
    }
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || (iid == events_ && iid != IID_NULL)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return addRef(); }
  STDMETHODIMP_(ULONG) Release() override { return release(); }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (result) VariantInit(result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const DISPPARAMS& arguments = params ? *params : none;
    if (GetCurrentThreadId() == thread_) {
      deliverQueued();  // what came earlier from another thread goes first
      deliver(id, arguments);
      return S_OK;
    }
    std::lock_guard lock(mutex_);
    if (!handler_) return S_OK;
    queued_.emplace_back(id, arguments);
    PostMessageW(relay_, kRelayMessage, 0, 0);
    return S_OK;
  }

 private:
  friend class RefCounted<EventSink>;
  ~EventSink() = default;

  void deliver(DISPID id, const DISPPARAMS& params) {
    EventHandler handler;
    {
      std::lock_guard lock(mutex_);
      handler = handler_;
    }
    // The handler routes its own errors (the Korvan host to the application's exception
    // event); nothing may cross back into the control.
    try {
      if (handler) handler(id, params);
    } catch (...) {
    }
  }

  const IID events_;
  std::mutex mutex_;
  EventHandler handler_;
  std::deque<CopiedEvent> queued_;
  HWND relay_;
  const DWORD thread_;
};

namespace {

LRESULT CALLBACK relayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRelayMessage) return DefWindowProcW(window, message, wParam, lParam);
  if (auto* sink = reinterpret_cast<EventSink*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
    ComPtr<EventSink> keep = ComPtr<EventSink>::adopt((sink->AddRef(), sink));
    sink->deliverQueued();
  }
  return 0;
}

HWND createRelayWindow() {
  static const ATOM relayClass = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = relayProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kRelayClass;
    return RegisterClassExW(&windowClass);
  }();
  if (!relayClass) return nullptr;
  return CreateWindowExW(0, kRelayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                         nullptr);
}

// A storage in memory for a control that keeps its state in one.
HRESULT memoryStorage(ComPtr<IStorage>& storage) {
  ComPtr<ILockBytes> bytes;
  HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put());
  if (SUCCEEDED(hr)) {
    hr = StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                      storage.put());
  }
  return hr;
}

}  // namespace

std::unique_ptr<ControlHost> ControlHost::create(Options options) {
  std::unique_ptr<ControlHost> host(new ControlHost(std::move(options)));
  // A failing step throws; the host's destructor then undoes the steps done so far.
  host->instantiate();
  host->setSite();
  host->activate();
  host->advise();
  return host;
}

ControlHost::ControlHost(Options options) : options_(std::move(options)) {}

void ControlHost::instantiate() {
  check(CoCreateInstance(options_.classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                         control_.putVoid()),
        "creating the control");
  control_.queryInterface(IID_IOleObject, ole_);
  site_ = ComPtr<ControlSite>::adopt(new ControlSite(options_.owner, options_.position, options_.ambients));
  site_->setControl(control_.get());
}

// Controls that read ambient properties while they initialise ask for their site first.
void ControlHost::setSite() {
  DWORD status = 0;
  if (ole_) {
    const HRESULT hr = ole_->GetMiscStatus(DVASPECT_CONTENT, &status);
    if (FAILED(hr)) {
      trace("IOleObject::GetMiscStatus", hr);
      status = 0;
    }
  }
  const auto giveSite = [&] {
    if (!ole_) return;
    const HRESULT hr = ole_->SetClientSite(site_.get());
    if (FAILED(hr)) trace("IOleObject::SetClientSite", hr);
    sited_ = true;  // taken back at the end whatever it answered
  };
  if (status & OLEMISC_SETCLIENTSITEFIRST) giveSite();
  initialise();
  if (!sited_) giveSite();
}

// A new control's state, through the first persistence interface it has. Controls made with
// the common frameworks refuse their methods (E_UNEXPECTED) until this has happened.
void ControlHost::initialise() {
  HRESULT hr = S_OK;
  const char* step = nullptr;
  ComPtr<IPersistStreamInit> stream;
  ComPtr<IPersistStorage> storage;
  ComPtr<IPersistMemory> memory;
  ComPtr<IPersistPropertyBag> bag;
  if (SUCCEEDED(control_.queryInterface(IID_IPersistStreamInit, stream))) {
    step = "IPersistStreamInit::InitNew";
    hr = stream->InitNew();
  } else if (SUCCEEDED(control_.queryInterface(IID_IPersistStorage, storage))) {
    step = "IPersistStorage::InitNew";
    hr = memoryStorage(storage_);
    if (SUCCEEDED(hr)) hr = storage->InitNew(storage_.get());
  } else if (SUCCEEDED(control_.queryInterface(IID_IPersistMemory, memory))) {
    step = "IPersistMemory::InitNew";
    hr = memory->InitNew();
  } else if (SUCCEEDED(control_.queryInterface(IID_IPersistPropertyBag, bag))) {
    step = "IPersistPropertyBag::InitNew";
    hr = bag->InitNew();
  }
  // A control that does not implement its initialisation is used as it is.
  if (hr == E_NOTIMPL) {
    trace(step, hr);
    return;
  }
  if (step) check(hr, step);
}

void ControlHost::activate() {
  if (!ole_) return;
  RECT position = placement();
  site_->OnPosRectChange(&position);
  const HRESULT hr = ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.get(), 0, options_.owner, &position);
  // The device works without a window: a control that cannot show one is still used.
  if (FAILED(hr)) trace("IOleObject::DoVerb(OLEIVERB_INPLACEACTIVATE)", hr);
  if (SUCCEEDED(control_.queryInterface(IID_IOleInPlaceObject, inPlace_)) && FAILED(inPlace_->GetWindow(&window_))) {
    window_ = nullptr;
  }
}

// The given place, or the control's own extent at its top left corner when none is given.
RECT ControlHost::placement() const {
  RECT position = options_.position;
  SIZEL extent{};
  if (!IsRectEmpty(&position) || FAILED(ole_->GetExtent(DVASPECT_CONTENT, &extent))) return position;
  HDC screen = GetDC(nullptr);
  const int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  const int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  constexpr int kHimetricPerInch = 2540;
  position.right = position.left + MulDiv(extent.cx, dpiX, kHimetricPerInch);
  position.bottom = position.top + MulDiv(extent.cy, dpiY, kHimetricPerInch);
  return position;
}

void ControlHost::advise() {
  if (options_.events == IID_NULL) return;
  ComPtr<IConnectionPointContainer> container;
  if (FAILED(control_.queryInterface(IID_IConnectionPointContainer, container))) return;
  HRESULT hr = container->FindConnectionPoint(options_.events, point_.put());
  if (FAILED(hr)) {
    trace("IConnectionPointContainer::FindConnectionPoint", hr);
    return;
  }
  relay_.reset(createRelayWindow());
  if (!relay_) fail("creating the event relay window", HRESULT_FROM_WIN32(GetLastError()));
  sink_ = ComPtr<EventSink>::adopt(new EventSink(options_.events, options_.onEvent, relay_.get()));
  SetWindowLongPtrW(relay_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(sink_.get()));
  hr = point_->Advise(sink_.get(), &cookie_);
  if (FAILED(hr) && options_.eventsRequired) fail("IConnectionPoint::Advise", hr);
  if (FAILED(hr)) {
    trace("IConnectionPoint::Advise", hr);
    cookie_ = 0;
  }
}

// The reverse of the set-up: no more events, out of place, closed without saving, the site
// taken back, then every reference let go, the control's last.
ControlHost::~ControlHost() {
  if (sink_) sink_->detach();
  if (point_ && cookie_) point_->Unadvise(cookie_);
  if (inPlace_) inPlace_->InPlaceDeactivate();
  if (ole_) {
    ole_->Close(OLECLOSE_NOSAVE);
    if (sited_) ole_->SetClientSite(nullptr);
  }
  if (site_) site_->setControl(nullptr);
  point_.reset();
  inPlace_.reset();
  ole_.reset();
  control_.reset();
  storage_.reset();
  if (relay_) SetWindowLongPtrW(relay_.get(), GWLP_USERDATA, 0);
  relay_.reset();
}

}  // namespace device
