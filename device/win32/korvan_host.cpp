// Hosts the caller-ID control: creates it by class identifier, gives it a client site and
// in-place activation when it is a full ActiveX control, calls its two methods through the
// interface table and receives its events through a connection point.
#include "korvan_host.h"

#include <windows.h>
#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>

#include "fw/application.h"
#include "fw/win32/com_ptr.h"
#include "fw/win32/native.h"
#include "korvan_abi.h"

namespace device {
namespace {

using fw::win32::Bstr;
using fw::win32::ComPtr;
using fw::win32::RefCounted;

std::string describe(const char* what, HRESULT hr) {
  char code[16];
  snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  return std::string(what) + " (" + code + ")";
}

void check(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw DeviceError(describe(what, hr), hr);
}

// The container side the control sees: our form's window, no frame, no documents.
class HostSite final : public IOleClientSite, public IOleInPlaceSite, RefCounted<HostSite> {
 public:
  explicit HostSite(HWND window) : window_(window) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleInPlaceSite || iid == IID_IOleWindow) {
      *out = static_cast<IOleInPlaceSite*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return addRef(); }
  STDMETHODIMP_(ULONG) Release() override { return release(); }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
    *m = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow / IOleInPlaceSite
  STDMETHODIMP GetWindow(HWND* w) override {
    *w = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO info) override {
    *frame = nullptr;
    *doc = nullptr;
    SetRectEmpty(pos);
    SetRectEmpty(clip);
    if (info) {
      info->fMDIApp = FALSE;
      info->hwndFrame = window_;
      info->haccel = nullptr;
      info->cAccelEntries = 0;
    }
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

 private:
  friend class RefCounted<HostSite>;
  ~HostSite() = default;
  HWND window_;
};

class KorvanHost;

// Receives the control's events and hands the two bound ones to the host.
class EventSink final : public IDispatch, RefCounted<EventSink> {
 public:
  explicit EventSink(KorvanHost* host) : host_(host) {}
  void detach() { host_ = nullptr; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == korvan::kEventsId) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return addRef(); }
  STDMETHODIMP_(ULONG) Release() override { return release(); }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** t) override {
    *t = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

 private:
  friend class RefCounted<EventSink>;
  ~EventSink() = default;
  KorvanHost* host_;
};

// Argument i in declared order; COM passes them last first. Missing or null ones are empty.
std::u16string argument(const DISPPARAMS* params, UINT i) {
  if (!params || i >= params->cArgs) return {};
  const VARIANT& v = params->rgvarg[params->cArgs - 1 - i];
  if (V_VT(&v) == VT_BSTR) return Bstr::text(V_BSTR(&v));
  if (V_VT(&v) == (VT_BSTR | VT_BYREF)) return V_BSTRREF(&v) ? Bstr::text(*V_BSTRREF(&v)) : std::u16string();
  VARIANT converted;
  VariantInit(&converted);
  std::u16string text;
  if (SUCCEEDED(VariantChangeType(&converted, const_cast<VARIANT*>(&v), 0, VT_BSTR))) text = Bstr::text(V_BSTR(&converted));
  VariantClear(&converted);
  return text;
}

class KorvanHost final : public TKorvan {
 public:
  KorvanHost(ComPtr<IUnknown> control, ComPtr<korvan::IKorvan> korvan, HWND owner)
      : control_(std::move(control)), korvan_(std::move(korvan)), owner_(owner) {}

  ~KorvanHost() override {
    // A control that keeps the sink past this finds it detached. The sink and the site go with
    // the members, after the control has given them back.
    if (sink_) sink_->detach();
    if (point_ && cookie_) point_->Unadvise(cookie_);
    if (inPlace_) inPlace_->InPlaceDeactivate();
    if (ole_) {
      ole_->Close(OLECLOSE_NOSAVE);
      ole_->SetClientSite(nullptr);
    }
  }

  // A full ActiveX control gets a site and is activated in place, so it can make its window.
  void activate() {
    if (FAILED(control_.queryInterface(IID_IOleObject, ole_))) return;
    site_ = ComPtr<HostSite>::adopt(new HostSite(owner_));
    ole_->SetClientSite(site_.get());
    RECT r{0, 0, 0, 0};
    ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.get(), 0, owner_, &r);
    if (SUCCEEDED(control_.queryInterface(IID_IOleInPlaceObject, inPlace_))) inPlace_->GetWindow(&window_);
  }

  void connectEvents() {
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(control_.queryInterface(IID_IConnectionPointContainer, container))) return;
    if (FAILED(container->FindConnectionPoint(korvan::kEventsId, point_.put()))) return;
    sink_ = ComPtr<EventSink>::adopt(new EventSink(this));
    check(point_->Advise(sink_.get(), &cookie_), "the control refused its event sink");
  }

  void StartMonitoring() override { check(korvan_->StartMonitoring(), "StartMonitoring failed"); }

  std::u16string ExecuteCommand(std::u16string_view command) override {
    Bstr in(command);
    Bstr reply;
    const HRESULT hr = korvan_->ExecuteCommand(in.get(), reply.put());
    check(hr, "ExecuteCommand failed");
    return reply.text();
  }

  void SetParent(fw::Control& parent) override {
    if (window_) ::SetParent(window_, fw::win32::nativeWindow(parent));
  }
  void SetTop(int top) override {
    if (!window_) return;
    RECT r;
    GetWindowRect(window_, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(window_), reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(window_, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void Hide() override {
    if (window_) ShowWindow(window_, SW_HIDE);
  }

  void dispatch(DISPID id, const DISPPARAMS* params) {
    if (id == korvan::kOnCallerID && OnCallerID) {
      const std::u16string a0 = argument(params, 0), a1 = argument(params, 1), a2 = argument(params, 2),
                           a3 = argument(params, 3), a4 = argument(params, 4);
      fw::Application::guard([&] { OnCallerID(*this, a0, a1, a2, a3, a4); });
    } else if (id == korvan::kOnSignalA && OnSignalA) {
      std::array<std::u16string, 8> levels;
      for (UINT i = 0; i < levels.size(); ++i) levels[i] = argument(params, i);
      fw::Application::guard([&] { OnSignalA(*this, levels); });
    }
    // The other eight events have no handler here and are dropped.
  }

 private:
  ComPtr<IUnknown> control_;
  ComPtr<korvan::IKorvan> korvan_;
  ComPtr<IOleObject> ole_;
  ComPtr<IOleInPlaceObject> inPlace_;
  ComPtr<IConnectionPoint> point_;
  ComPtr<HostSite> site_;
  ComPtr<EventSink> sink_;
  DWORD cookie_ = 0;
  HWND owner_;
  HWND window_ = nullptr;
};

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  if (host_) host_->dispatch(id, params);
  return S_OK;
}

}  // namespace

std::unique_ptr<TKorvan> createKorvan(fw::Control& owner) {
  ComPtr<IUnknown> control;
  check(CoCreateInstance(korvan::kClassId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                         control.putVoid()),
        "the caller-ID control is not installed");
  ComPtr<korvan::IKorvan> korvan;
  check(control.queryInterface(korvan::kInterfaceId, korvan), "the caller-ID control has no IKorvan interface");
  auto host = std::make_unique<KorvanHost>(std::move(control), std::move(korvan), fw::win32::nativeWindow(owner));
  host->activate();
  host->connectEvents();
  return host;
}

}  // namespace device
