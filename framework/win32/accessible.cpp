// IAccessible objects over a control's model (fw/accessible.h), and over the platform's own
// objects for controls that need a name, value or description the system cannot know.
// oleacc and UI Automation are looked up when first needed, so a program that no client asks
// loads neither.
#include "accessible.h"

#include <oleacc.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "fw/application.h"
#include "fw/win32/com_ptr.h"
#include "fw/text.h"

namespace fw::win32 {
namespace {

// ---------------------------------------------------------------------------------------------
// oleacc, loaded on first use

struct Oleacc {
  LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
  HRESULT(WINAPI* createStdAccessibleObject)(HWND, LONG, REFIID, void**) = nullptr;
};

const Oleacc& oleacc() {
  static const Oleacc functions = [] {
    Oleacc f;
    if (HMODULE dll = LoadLibraryW(L"oleacc.dll")) {
      f.lresultFromObject = reinterpret_cast<decltype(f.lresultFromObject)>(
          reinterpret_cast<void*>(GetProcAddress(dll, "LresultFromObject")));
      f.createStdAccessibleObject = reinterpret_cast<decltype(f.createStdAccessibleObject)>(
          reinterpret_cast<void*>(GetProcAddress(dll, "CreateStdAccessibleObject")));
    }
    return f;
  }();
  return functions;
}

constexpr IID kIIDAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

HRESULT stdObject(HWND hwnd, LONG id, REFIID iid, void** out) {
  *out = nullptr;
  const auto create = oleacc().createStdAccessibleObject;
  return create ? create(hwnd, id, iid, out) : E_NOTIMPL;
}

BSTR toBstr(const std::string& cp1254) {
  const std::u16string text = toUtf16(cp1254);
  return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

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

// ---------------------------------------------------------------------------------------------
// The tree of a control with a model

// What every object of one window's tree shares; the window's end clears it.
struct Link {
  HWND hwnd = nullptr;
  const access::Model* model = nullptr;
  bool connected() const { return model != nullptr; }
};

// A new object for an element, with one reference: the caller's.
IDispatch* newElement(const std::shared_ptr<Link>& link, access::ElementId id);

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

IDispatch* newElement(const std::shared_ptr<Link>& link, access::ElementId id) {
  return static_cast<IAccessible*>(new Element(link, id));
}

// ---------------------------------------------------------------------------------------------
// A platform control with what the system cannot know: its name from a label beside it, its
// value from another control's text, its hint as its description. Everything else is the
// system's own object's.

struct Annotations {
  Control* control = nullptr;  // null once the window has gone
};

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

bool annotated(const Control& c) {
  return !c.accessibleName().empty() || c.accessibleLabel() || c.accessibleValue() || !c.hint().empty();
}

// ---------------------------------------------------------------------------------------------
// UI Automation, looked up on first use

UiaNotifications& uiaOverride() {
  static UiaNotifications functions;
  return functions;
}

const UiaNotifications& systemUia() {
  static const UiaNotifications functions = [] {
    UiaNotifications f;
    if (HMODULE dll = LoadLibraryW(L"uiautomationcore.dll")) {
      auto find = [dll](const char* name) { return reinterpret_cast<void*>(GetProcAddress(dll, name)); };
      f.clientsAreListening = reinterpret_cast<decltype(f.clientsAreListening)>(find("UiaClientsAreListening"));
      f.providerFromIAccessible =
          reinterpret_cast<decltype(f.providerFromIAccessible)>(find("UiaProviderFromIAccessible"));
      f.raiseNotification = reinterpret_cast<decltype(f.raiseNotification)>(find("UiaRaiseNotificationEvent"));
    }
    return f;
  }();
  return functions;
}

// NotificationKind_ItemAdded, NotificationProcessing_All (every call is read, in order).
constexpr int kItemAdded = 0;
constexpr int kProcessAll = 2;

}  // namespace

// ---------------------------------------------------------------------------------------------
// The server of one window

namespace {
int liveServers = 0;  // GUI thread only
}  // namespace

int liveAccessibleServers() { return liveServers; }

class AccessibleServer {
 public:
  AccessibleServer(HWND hwnd, const access::Model* model) : link_(std::make_shared<Link>(Link{hwnd, model})) {
    if (model) root_ = ComPtr<IAccessible>::adopt(new Element(link_, access::kSelf));
    ++liveServers;
  }
  ~AccessibleServer() {
    --liveServers;
    // Clients in other processes hold stubs of our objects: cut them off, so that their next
    // call fails instead of reaching an object whose model is gone.
    link_->model = nullptr;
    if (notes_) notes_->control = nullptr;
    if (root_) CoDisconnectObject(root_.get(), 0);
    if (annotated_) CoDisconnectObject(annotated_.get(), 0);
  }
  IAccessible* root() const { return root_.get(); }

  IAccessible* annotatedObject(HWND hwnd, Control& control) {
    if (!annotated_) {
      ComPtr<IAccessible> inner;
      if (FAILED(stdObject(hwnd, OBJID_CLIENT, kIIDAccessible, inner.putVoid())) || !inner) return nullptr;
      notes_ = std::make_shared<Annotations>(Annotations{&control});
      annotated_ = ComPtr<IAccessible>::adopt(new AnnotatedObject(std::move(inner), notes_));
    }
    return annotated_.get();
  }

 private:
  std::shared_ptr<Link> link_;
  ComPtr<IAccessible> root_;
  std::shared_ptr<Annotations> notes_;
  ComPtr<IAccessible> annotated_;
};

void AccessibleServerDeleter::operator()(AccessibleServer* server) const { delete server; }

IAccessible* accessibleRoot(HWND hwnd, Control& control, AccessibleServerPtr& server) {
  const access::Model* model = control.accessibleModel();
  if (!model) return nullptr;
  if (!server) server.reset(new AccessibleServer(hwnd, model));
  return server->root();
}

bool answerGetObject(HWND hwnd, Control& control, AccessibleServerPtr& server, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (static_cast<LONG>(lp) != OBJID_CLIENT) return false;
  const auto lresult = oleacc().lresultFromObject;
  if (!lresult) return false;
  IAccessible* object = nullptr;
  Application::guard([&] {
    object = accessibleRoot(hwnd, control, server);
    if (!object && annotated(control)) {
      if (!server) server.reset(new AccessibleServer(hwnd, nullptr));
      object = server->annotatedObject(hwnd, control);
    }
  });
  if (!object) return false;
  result = lresult(kIIDAccessible, wp, object);
  return true;
}

void raiseAccessibleEvent(HWND hwnd, unsigned event, int element) {
  NotifyWinEvent(event, hwnd, OBJID_CLIENT, element);
}

void announce(HWND hwnd, Control& control, AccessibleServerPtr& server, const std::string& text, int element) {
  // Until a client has asked for this window's objects or a screen reader says it runs, no
  // accessibility library is loaded: the events alone cost nothing without a listener.
  static const UiaNotifications none;
  BOOL screenReader = FALSE;
  const bool clients = server || (SystemParametersInfoW(SPI_GETSCREENREADER, 0, &screenReader, 0) && screenReader);
  const UiaNotifications& uia = uiaOverride().clientsAreListening ? uiaOverride() : clients ? systemUia() : none;
  bool told = false;
  if (uia.clientsAreListening && uia.providerFromIAccessible && uia.raiseNotification && uia.clientsAreListening()) {
    // A client listens, so it has or will have our objects: making them now costs nothing extra.
    if (IAccessible* root = accessibleRoot(hwnd, control, server)) {
      ComPtr<IUnknown> provider;
      if (SUCCEEDED(uia.providerFromIAccessible(root, CHILDID_SELF, 0, provider.put())) && provider) {
        Bstr display(toUtf16(text));
        Bstr activity(u"Zelvora.Call");
        told = SUCCEEDED(uia.raiseNotification(provider.get(), kItemAdded, kProcessAll, display.get(), activity.get()));
      }
    }
  }
  if (!told) {
    raiseAccessibleEvent(hwnd, EVENT_OBJECT_SHOW, element);
    raiseAccessibleEvent(hwnd, EVENT_OBJECT_NAMECHANGE, element);
  }
}

void setUiaNotificationsForTesting(const UiaNotifications& functions) { uiaOverride() = functions; }

}  // namespace fw::win32
