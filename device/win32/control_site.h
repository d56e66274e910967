// The container side a hosted ActiveX control sees: one site object answering as client site,
// in-place site, control site, ambient properties and container, with a minimal frame and
// document window behind it. Windows only.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

#include "fw/win32/com_ptr.h"

namespace device {

// What the container tells the control about itself through its ambient properties.
struct Ambients {
  std::wstring fontName = L"MS Sans Serif";
  int fontHeight = 13;  // pixels, as the form's font gives it
  bool bold = false;
  bool italic = false;
  int charset = DEFAULT_CHARSET;
  OLE_COLOR backColor = 0x80000000 | COLOR_BTNFACE;
  OLE_COLOR foreColor = 0x80000000 | COLOR_WINDOWTEXT;
  LCID locale = MAKELCID(0x041F, SORT_DEFAULT);  // Turkish
};

class ControlSite final : public IOleClientSite,
                          public IOleInPlaceSiteEx,
                          public IOleControlSite,
                          public IDispatch,
                          public IOleContainer,
                          fw::win32::RefCounted<ControlSite> {
 public:
  // `position`: where the control sits in `window`, in pixels.
  ControlSite(HWND window, RECT position, Ambients ambients);

  // The one control this container holds (for IOleContainer); null once it is let go.
  void setControl(IUnknown* control) { control_ = control; }
  const RECT& position() const { return position_; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return addRef(); }
  STDMETHODIMP_(ULONG) Release() override { return release(); }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow / IOleInPlaceSite / IOleInPlaceSiteEx
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT position) override;
  STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override;
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
  STDMETHODIMP RequestUIActivate() override { return S_OK; }

  // IOleControlSite
  STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
  STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
  STDMETHODIMP GetExtendedControl(IDispatch** extended) override;
  STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
  STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
  STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

  // IDispatch: the ambient properties
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override;

  // IParseDisplayName / IOleContainer
  STDMETHODIMP ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker** moniker) override;
  STDMETHODIMP EnumObjects(DWORD flags, IEnumUnknown** objects) override;
  STDMETHODIMP LockContainer(BOOL) override { return S_OK; }

 private:
  friend class fw::win32::RefCounted<ControlSite>;
  ~ControlSite() = default;
  HRESULT ambientFont(VARIANT* result) const;

  HWND window_;
  RECT position_;
  Ambients ambients_;
  IUnknown* control_ = nullptr;  // not owned: the host owns the control and outlives the link
};

}  // namespace device
