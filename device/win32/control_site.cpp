// The site a hosted control talks to. Standard containers give a control a frame, a document
// window and ambient properties; controls made with the common frameworks ask for all three
// and misbehave when any is missing, so none of them is ever null here.
#include "control_site.h"

#include <vector>

namespace device {
namespace {

using fw::win32::ComPtr;
using fw::win32::RefCounted;

// The frame and the document window at once: the program has neither menus nor tool bars to
// share, so the frame's answers are the polite refusals of a container without them.
class InPlaceFrame final : public IOleInPlaceFrame, RefCounted<InPlaceFrame> {
 public:
  explicit InPlaceFrame(HWND window) : window_(window) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
        iid == IID_IOleInPlaceFrame) {
      *out = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return addRef(); }
  STDMETHODIMP_(ULONG) Release() override { return release(); }

  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  friend class RefCounted<InPlaceFrame>;
  ~InPlaceFrame() = default;
  HWND window_;
};

// The container's objects: the one control, or nothing once it has been let go.
class ObjectEnumerator final : public IEnumUnknown, RefCounted<ObjectEnumerator> {
 public:
  ObjectEnumerator(std::vector<ComPtr<IUnknown>> objects, ULONG next) : objects_(std::move(objects)), next_(next) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumUnknown) {
      *out = static_cast<IEnumUnknown*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return addRef(); }
  STDMETHODIMP_(ULONG) Release() override { return release(); }

  STDMETHODIMP Next(ULONG wanted, IUnknown** out, ULONG* fetched) override {
    if (!out || (wanted > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    for (; n < wanted && next_ < objects_.size(); ++n, ++next_) {
      out[n] = objects_[next_].get();
      out[n]->AddRef();
    }
    if (fetched) *fetched = n;
    return n == wanted ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const ULONG left = static_cast<ULONG>(objects_.size()) - next_;
    next_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    next_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumUnknown** copy) override {
    if (!copy) return E_POINTER;
    *copy = new ObjectEnumerator(objects_, next_);
    return S_OK;
  }

 private:
  friend class RefCounted<ObjectEnumerator>;
  ~ObjectEnumerator() = default;
  std::vector<ComPtr<IUnknown>> objects_;
  ULONG next_;
};

void setBool(VARIANT* result, bool value) {
  V_VT(result) = VT_BOOL;
  V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void setInt(VARIANT* result, LONG value) {
  V_VT(result) = VT_I4;
  V_I4(result) = value;
}

}  // namespace

ControlSite::ControlSite(HWND window, RECT position, Ambients ambients)
    : window_(window), position_(position), ambients_(std::move(ambients)) {}

STDMETHODIMP ControlSite::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *out = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite || iid == IID_IOleInPlaceSiteEx) {
    *out = static_cast<IOleInPlaceSiteEx*>(this);
  } else if (iid == IID_IOleControlSite) {
    *out = static_cast<IOleControlSite*>(this);
  } else if (iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
  } else if (iid == IID_IParseDisplayName || iid == IID_IOleContainer) {
    *out = static_cast<IOleContainer*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP ControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP ControlSite::GetContainer(IOleContainer** container) {
  if (!container) return E_POINTER;
  *container = this;
  AddRef();
  return S_OK;
}

STDMETHODIMP ControlSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_;
  return S_OK;
}

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                           LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (!frame || !document || !position || !clip) return E_POINTER;
  *frame = new InPlaceFrame(window_);
  *document = *frame;
  (*document)->AddRef();
  *position = position_;
  GetClientRect(window_, clip);
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP ControlSite::OnPosRectChange(LPCRECT position) {
  if (!position) return E_POINTER;
  position_ = *position;
  return S_OK;
}

STDMETHODIMP ControlSite::OnInPlaceActivateEx(BOOL* noRedraw, DWORD) {
  if (noRedraw) *noRedraw = FALSE;
  return S_OK;
}

STDMETHODIMP ControlSite::GetExtendedControl(IDispatch** extended) {
  if (extended) *extended = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP ControlSite::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP ControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

// The values a running program gives: user mode, no design-time decorations, the form's font,
// colours and language.
STDMETHODIMP ControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                 UINT*) {
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (!result) return E_POINTER;
  VariantInit(result);
  switch (id) {
    case DISPID_AMBIENT_USERMODE:
      setBool(result, true);
      return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
    case DISPID_AMBIENT_MESSAGEREFLECT:
      setBool(result, false);
      return S_OK;
    case DISPID_AMBIENT_LOCALEID:
      setInt(result, static_cast<LONG>(ambients_.locale));
      return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
      setInt(result, static_cast<LONG>(ambients_.backColor));
      return S_OK;
    case DISPID_AMBIENT_FORECOLOR:
      setInt(result, static_cast<LONG>(ambients_.foreColor));
      return S_OK;
    case DISPID_AMBIENT_FONT:
      return ambientFont(result);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT ControlSite::ambientFont(VARIANT* result) const {
  // OLE fonts are sized in points; the form's height is in pixels at the screen's density.
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  FONTDESC description{};
  description.cbSizeofstruct = sizeof description;
  description.lpstrName = const_cast<LPOLESTR>(ambients_.fontName.c_str());
  description.cySize.int64 = MulDiv(ambients_.fontHeight, 72 * 10000, dpi);
  description.sWeight = static_cast<SHORT>(ambients_.bold ? FW_BOLD : FW_NORMAL);
  description.sCharset = static_cast<SHORT>(ambients_.charset);
  description.fItalic = ambients_.italic;
  IDispatch* font = nullptr;
  const HRESULT hr = OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(&font));
  if (FAILED(hr)) return hr;
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = font;
  return S_OK;
}

STDMETHODIMP ControlSite::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG* eaten, IMoniker** moniker) {
  if (eaten) *eaten = 0;
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP ControlSite::EnumObjects(DWORD flags, IEnumUnknown** objects) {
  if (!objects) return E_POINTER;
  std::vector<ComPtr<IUnknown>> held;
  if (control_ && (flags & OLECONTF_EMBEDDINGS)) {
    control_->AddRef();
    held.push_back(ComPtr<IUnknown>::adopt(control_));
  }
  *objects = new ObjectEnumerator(std::move(held), 0);
  return S_OK;
}

}  // namespace device
