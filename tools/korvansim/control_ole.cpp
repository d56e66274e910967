// The OLE control a container may activate in place: its client site, its verbs, its extent
// and its view window.
#include "control.h"

#include <olectl.h>

#include "module.h"

namespace korvansim {

HRESULT Control::SetClientSite(IOleClientSite* site) {
  // A container takes its site away when it lets go of the control; the view must not outlive
  // the window it lives in.
  if (!site) InPlaceDeactivate();
  clientSite_ = site;
  if (site && strict_.userMode) readUserMode();
  return S_OK;
}

// Design mode only when the container says so: a container without ambient properties is
// taken to be running, as the common frameworks take it.
void Control::readUserMode() {
  ComPtr<IDispatch> ambients;
  if (FAILED(clientSite_.As(&ambients))) return;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  if (SUCCEEDED(ambients->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                 &none, &value, nullptr, nullptr)) &&
      SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BOOL))) {
    designMode_ = V_BOOL(&value) == VARIANT_FALSE;
  }
  VariantClear(&value);
}

HRESULT Control::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = clientSite_.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

HRESULT Control::Close(DWORD) {
  InPlaceDeactivate();
  device_.stopMonitoring();
  updateDemo();
  return S_OK;
}

HRESULT Control::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return activateInPlace(site ? site : clientSite_.Get(), parent, position);
    case OLEIVERB_HIDE:
      if (view_) ShowWindow(view_.get(), SW_HIDE);
      return S_OK;
    default:
      if (verb < 0) return E_NOTIMPL;
      // Verbs of its own the control has none; a positive one is taken as the primary verb.
      const HRESULT result = activateInPlace(site ? site : clientSite_.Get(), parent, position);
      return FAILED(result) ? result : OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT Control::activateInPlace(IOleClientSite* site, HWND parent, LPCRECT position) {
  if (position) viewRect_ = *position;
  if (view_) {
    SetWindowPos(view_.get(), nullptr, viewRect_.left, viewRect_.top, viewRect_.right - viewRect_.left,
                 viewRect_.bottom - viewRect_.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return S_OK;
  }
  ComPtr<IOleInPlaceSite> inPlaceSite;
  if (site) site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inPlaceSite.GetAddressOf()));
  if (inPlaceSite && inPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
  if (!parent && inPlaceSite) inPlaceSite->GetWindow(&parent);
  // The device works without a window; with nowhere to show one there is nothing more to do.
  if (!parent) return S_OK;
  if (inPlaceSite) inPlaceSite->OnInPlaceActivate();
  view_.reset(CreateWindowExW(0, kViewWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, viewRect_.left,
                              viewRect_.top, viewRect_.right - viewRect_.left, viewRect_.bottom - viewRect_.top,
                              parent, nullptr, moduleInstance(), nullptr));
  if (!view_) {
    const HRESULT error = HRESULT_FROM_WIN32(GetLastError());
    if (inPlaceSite) inPlaceSite->OnInPlaceDeactivate();
    return FAILED(error) ? error : E_FAIL;
  }
  inPlaceSite_ = std::move(inPlaceSite);
  return S_OK;
}

HRESULT Control::GetUserClassID(CLSID* classId) {
  if (!classId) return E_POINTER;
  *classId = korvan::kClassId;
  return S_OK;
}

HRESULT Control::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  extent_ = *size;
  return S_OK;
}

HRESULT Control::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

HRESULT Control::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
            OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;
  return S_OK;
}

HRESULT Control::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = view_.get();
  return view_ ? S_OK : E_FAIL;
}

HRESULT Control::InPlaceDeactivate() {
  if (!view_) return S_OK;
  view_.reset();
  if (inPlaceSite_) {
    ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    site->OnInPlaceDeactivate();
  }
  return S_OK;
}

HRESULT Control::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_INVALIDARG;
  viewRect_ = *position;
  if (view_) {
    SetWindowPos(view_.get(), nullptr, viewRect_.left, viewRect_.top, viewRect_.right - viewRect_.left,
                 viewRect_.bottom - viewRect_.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return S_OK;
}

}  // namespace korvansim
