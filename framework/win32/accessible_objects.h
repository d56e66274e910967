// What the window's accessible objects share: oleacc looked up on first use, the COM helpers
// every object's calls go through, the base that answers IUnknown and IDispatch, and the
// factories of the two kinds of object (a model's tree, an annotated platform control).
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <new>
#include <string>

#include "fw/accessible.h"
#include "fw/control.h"
#include "fw/win32/com_ptr.h"

namespace fw::win32::accessible_objects {

struct Oleacc {
  LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
  HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) = nullptr;
};
const Oleacc& oleacc();

inline constexpr IID kIIDAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The system's own object of a window (E_NOTIMPL without oleacc).
HRESULT stdObject(HWND hwnd, LONG id, REFIID iid, void** out);

BSTR toBstr(const std::string& cp1254);

// A COM call must not let an exception through: it becomes a failure code.
template <class F>
HRESULT guarded(F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

// What every IAccessible of ours answers alike: its one interface by IUnknown, and an IDispatch
// that offers no type information, since clients call the interface directly.
template <class Self>
class AccessibleBase : public IAccessible, public RefCounted<Self> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIIDAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return this->addRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return this->release(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
};

// What every object of one window's tree shares; the window's end clears it.
struct Link {
  HWND hwnd = nullptr;
  const access::Model* model = nullptr;
  bool connected() const { return model != nullptr; }
};

// A new object for an element of the model's tree, with one reference: the caller's.
IDispatch* newElement(const std::shared_ptr<Link>& link, access::ElementId id);

// What an annotated object reads its notes from; the window's end clears it.
struct Annotations {
  Control* control = nullptr;  // null once the window has gone
};

// A platform control's own object with the notes the system cannot know laid over it.
ComPtr<IAccessible> newAnnotatedObject(ComPtr<IAccessible> inner, std::shared_ptr<Annotations> notes);

// Whether a control has anything the system's object cannot know.
bool annotated(const Control& c);

}  // namespace fw::win32::accessible_objects
