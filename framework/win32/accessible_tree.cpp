// The tree of a control with a model (fw/accessible.h): one IAccessible object per element.
#include <algorithm>
#include <utility>
#include <vector>

#include "accessible_objects.h"

namespace fw::win32::accessible_objects {
namespace {

// A list of objects for get_accSelection.
class VariantList final : public IEnumVARIANT, public RefCounted<VariantList> {
 public:
  explicit VariantList(std::vector<ComPtr<IDispatch>> items, ULONG at = 0) : items_(std::move(items)), at_(at) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IEnumVARIANT) {
      *out = static_cast<IEnumVARIANT*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    ULONG n = 0;
    for (; n < count && at_ < items_.size(); ++n, ++at_) {
      VariantInit(&out[n]);
      out[n].vt = VT_DISPATCH;
      out[n].pdispVal = items_[at_].get();
      out[n].pdispVal->AddRef();
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    at_ = static_cast<ULONG>(std::min<size_t>(items_.size(), at_ + static_cast<size_t>(count)));
    return at_ < items_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    at_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
    *out = new (std::nothrow) VariantList(items_, at_);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::vector<ComPtr<IDispatch>> items_;
  ULONG at_;
};

// One element of the tree. Every element is an object of its own, so that navigation and hit
// tests can hand any of them back; child number k (from 1) is the element's k-th child, and
// a negative number is an element by its own number, as events name them.
class Element final : public AccessibleBase<Element> {
 public:
  Element(std::shared_ptr<Link> link, access::ElementId id) : link_(std::move(link)), id_(id) {}

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    *out = nullptr;
    return call([&] {
      const auto parent = model().parent(id_);
      if (parent) {
        *out = newElement(link_, *parent);
        return S_OK;
      }
      // The control's own parent is its window, as the system's objects have it.
      return stdObject(link_->hwnd, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(out));
    });
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    *count = 0;
    return call([&] {
      *count = model().childCount(id_);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    *out = nullptr;
    return call([&] {
      const auto id = resolve(child);
      if (!id || *id == id_) return E_INVALIDARG;
      *out = newElement(link_, *id);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    return text(child, out, [this](access::ElementId id) -> std::optional<std::string> { return model().name(id); });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    // Only cells have a value, even an empty one.
    return text(child, out, [this](access::ElementId id) -> std::optional<std::string> {
      if (model().role(id) != access::role::Cell) return std::nullopt;
      return model().value(id);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override { return none(child, out); }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { return none(child, out); }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override { return none(child, out); }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override { return none(child, out); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    *file = nullptr;
    *topic = 0;
    return link_->connected() ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    return number(child, out, [this](access::ElementId id) { return static_cast<long>(model().role(id)); });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    return number(child, out, [this](access::ElementId id) { return static_cast<long>(model().state(id)); });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    VariantInit(out);
    return call([&] {
      const auto focus = model().focus();
      if (!focus || !within(*focus)) return S_FALSE;
      put(out, *focus);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    VariantInit(out);
    return call([&] {
      std::vector<ComPtr<IDispatch>> items;
      for (access::ElementId id : model().selection())
        if (id != id_ && within(id)) items.push_back(ComPtr<IDispatch>::adopt(newElement(link_, id)));
      if (items.empty()) return S_FALSE;
      if (items.size() == 1) {
        out->vt = VT_DISPATCH;
        out->pdispVal = items[0].get();
        out->pdispVal->AddRef();
        return S_OK;
      }
      out->vt = VT_UNKNOWN;
      out->punkVal = new VariantList(std::move(items));
      return S_OK;
    });
  }
  // The list is read, not edited or acted on through assistive technology.
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return disconnectedOr(DISP_E_MEMBERNOTFOUND); }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return disconnectedOr(DISP_E_MEMBERNOTFOUND); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return disconnectedOr(DISP_E_MEMBERNOTFOUND); }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return disconnectedOr(DISP_E_MEMBERNOTFOUND); }

  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    *left = *top = *width = *height = 0;
    return call([&] {
      const auto id = resolve(child);
      if (!id) return E_INVALIDARG;
      const Rect r = model().location(*id);
      if (r.empty()) return S_FALSE;
      POINT origin{0, 0};
      ClientToScreen(link_->hwnd, &origin);
      *left = r.left + origin.x;
      *top = r.top + origin.y;
      *width = r.width();
      *height = r.height();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
    VariantInit(out);
    return call([&] {
      const auto from = resolve(start);
      if (!from || direction < NAVDIR_UP || direction > NAVDIR_LASTCHILD) return E_INVALIDARG;
      const auto to = model().navigate(*from, static_cast<access::Nav>(direction));
      if (!to) return S_FALSE;
      out->vt = VT_DISPATCH;
      out->pdispVal = newElement(link_, *to);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    VariantInit(out);
    return call([&] {
      POINT p{x, y};
      ScreenToClient(link_->hwnd, &p);
      auto hit = model().hitTest({p.x, p.y});
      if (!hit || !within(*hit)) return S_FALSE;
      // The child of this element on the way down to the one hit; the client asks it next.
      while (*hit != id_) {
        const auto parent = model().parent(*hit);
        if (!parent || *parent == id_) break;
        hit = parent;
      }
      put(out, *hit);
      return S_OK;
    });
  }

 private:
  const access::Model& model() const { return *link_->model; }

  HRESULT disconnectedOr(HRESULT hr) const { return link_->connected() ? hr : RPC_E_DISCONNECTED; }

  template <class F>
  HRESULT call(F&& f) {
    if (!link_->connected() || !model().exists(id_)) return RPC_E_DISCONNECTED;
    return guarded(std::forward<F>(f));
  }

  // A child number as an element: 0 is this one, 1 .. n its children, a negative number the
  // element by its own number.
  std::optional<access::ElementId> resolve(const VARIANT& v) const {
    if (v.vt == VT_EMPTY) return id_;
    if (v.vt != VT_I4) return std::nullopt;
    const long k = v.lVal;
    if (k == CHILDID_SELF) return id_;
    if (k > 0 && k <= model().childCount(id_)) return model().child(id_, static_cast<int>(k - 1));
    if (k < 0 && model().exists(static_cast<access::ElementId>(k))) return static_cast<access::ElementId>(k);
    return std::nullopt;
  }

  bool within(access::ElementId id) const {
    for (std::optional<access::ElementId> e = id; e; e = model().parent(*e))
      if (*e == id_) return true;
    return false;
  }

  void put(VARIANT* out, access::ElementId id) const {
    if (id == id_) {
      out->vt = VT_I4;
      out->lVal = CHILDID_SELF;
    } else {
      out->vt = VT_DISPATCH;
      out->pdispVal = newElement(link_, id);
    }
  }

  template <class F>
  HRESULT text(const VARIANT& child, BSTR* out, F&& get) {
    *out = nullptr;
    return call([&] {
      const auto id = resolve(child);
      if (!id) return E_INVALIDARG;
      const std::optional<std::string> value = get(*id);
      if (!value) return DISP_E_MEMBERNOTFOUND;
      *out = toBstr(*value);
      return *out ? S_OK : E_OUTOFMEMORY;
    });
  }
  HRESULT none(const VARIANT& child, BSTR* out) {
    return text(child, out, [](access::ElementId) { return std::optional<std::string>(); });
  }
  template <class F>
  HRESULT number(const VARIANT& child, VARIANT* out, F&& get) {
    VariantInit(out);
    return call([&] {
      const auto id = resolve(child);
      if (!id) return E_INVALIDARG;
      out->vt = VT_I4;
      out->lVal = get(*id);
      return S_OK;
    });
  }

  std::shared_ptr<Link> link_;
  access::ElementId id_;
};

}  // namespace

IDispatch* newElement(const std::shared_ptr<Link>& link, access::ElementId id) {
  return static_cast<IAccessible*>(new Element(link, id));
}

}  // namespace fw::win32::accessible_objects
