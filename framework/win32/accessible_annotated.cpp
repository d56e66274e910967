// A platform control's own accessible object with what the system cannot know laid over it.
#include <optional>
#include <utility>

#include "accessible_objects.h"

namespace fw::win32::accessible_objects {
namespace {

// A platform control with what the system cannot know: its name from a label beside it, its
// value from another control's text, its hint as its description. Everything else is the
// system's own object's.

class AnnotatedObject final : public AccessibleBase<AnnotatedObject> {
 public:
  AnnotatedObject(ComPtr<IAccessible> inner, std::shared_ptr<Annotations> notes)
      : inner_(std::move(inner)), notes_(std::move(notes)) {}

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return annotated(
        child, out,
        [](Control& c) -> std::optional<std::string> {
          if (!c.accessibleName().empty()) return c.accessibleName();
          if (c.accessibleLabel()) return c.accessibleLabel()->text();
          return std::nullopt;
        },
        [](IAccessible& a, VARIANT c, BSTR* o) { return a.get_accName(c, o); });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    return annotated(
        child, out,
        [](Control& c) -> std::optional<std::string> {
          if (c.accessibleValue()) return c.accessibleValue()->text();
          return std::nullopt;
        },
        [](IAccessible& a, VARIANT c, BSTR* o) { return a.get_accValue(c, o); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    return annotated(
        child, out,
        [](Control& c) -> std::optional<std::string> {
          if (!c.hint().empty()) return c.hint();
          return std::nullopt;
        },
        [](IAccessible& a, VARIANT c, BSTR* o) { return a.get_accDescription(c, o); });
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accParent(out);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accChildCount(out);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accChild(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accRole(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accState(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accHelp(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accHelpTopic(f, c, t);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accKeyboardShortcut(c, out);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accFocus(out);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accSelection(out);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->get_accDefaultAction(c, out);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->accSelect(f, c);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* l, long* t, long* w, long* h, VARIANT c) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->accLocation(l, t, w, h, c);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->accNavigate(d, s, out);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->accHitTest(x, y, out);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->accDoDefaultAction(c);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR t) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->put_accName(c, t);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR t) override {
    return gone() ? RPC_E_DISCONNECTED : inner_->put_accValue(c, t);
  }

 private:
  bool gone() const { return !notes_->control; }

  template <class F>
  HRESULT annotated(const VARIANT& child, BSTR* out, F&& note, HRESULT (*fallback)(IAccessible&, VARIANT, BSTR*)) {
    *out = nullptr;
    if (!notes_->control) return RPC_E_DISCONNECTED;
    const bool self = child.vt == VT_EMPTY || (child.vt == VT_I4 && child.lVal == CHILDID_SELF);
    if (self) {
      std::optional<std::string> text;
      const HRESULT hr = guarded([&] {
        text = note(*notes_->control);
        return S_OK;
      });
      if (FAILED(hr)) return hr;
      if (text) {
        *out = toBstr(*text);
        return *out ? S_OK : E_OUTOFMEMORY;
      }
    }
    return fallback(*inner_.get(), child, out);
  }

  ComPtr<IAccessible> inner_;
  std::shared_ptr<Annotations> notes_;
};

}  // namespace

ComPtr<IAccessible> newAnnotatedObject(ComPtr<IAccessible> inner, std::shared_ptr<Annotations> notes) {
  return ComPtr<IAccessible>::adopt(new AnnotatedObject(std::move(inner), std::move(notes)));
}

bool annotated(const Control& c) {
  return !c.accessibleName().empty() || c.accessibleLabel() || c.accessibleValue() || !c.hint().empty();
}

}  // namespace fw::win32::accessible_objects
