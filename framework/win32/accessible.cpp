// IAccessible objects over a control's model (fw/accessible.h), and over the platform's own
// objects for controls that need a name, value or description the system cannot know.
// oleacc and UI Automation are looked up when first needed, so a program that no client asks
// loads neither.
#include "accessible.h"

#include <oleacc.h>

#include <utility>

#include "accessible_objects.h"
#include "fw/application.h"
#include "fw/win32/com_ptr.h"
#include "fw/text.h"
#include "internal.h"

namespace fw::win32 {

namespace accessible_objects {

const Oleacc& oleacc() {
  static const Oleacc functions = [] {
    Oleacc f;
    if (HMODULE dll = LoadLibraryW(L"oleacc.dll")) {
      f.lresultFromObject = systemFunction<decltype(f.lresultFromObject)>(dll, "LresultFromObject");
      f.createStdAccessibleObject = systemFunction<decltype(f.createStdAccessibleObject)>(dll, "CreateStdAccessibleObject");
    }
    return f;
  }();
  return functions;
}

HRESULT stdObject(HWND hwnd, LONG id, REFIID iid, void** out) {
  *out = nullptr;
  const auto create = oleacc().createStdAccessibleObject;
  return create ? create(hwnd, id, iid, out) : E_NOTIMPL;
}

BSTR toBstr(const std::string& cp1254) {
  const std::u16string text = toUtf16(cp1254);
  return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

}  // namespace accessible_objects

using namespace accessible_objects;

namespace {

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
      f.clientsAreListening = systemFunction<decltype(f.clientsAreListening)>(dll, "UiaClientsAreListening");
      f.providerFromIAccessible = systemFunction<decltype(f.providerFromIAccessible)>(dll, "UiaProviderFromIAccessible");
      f.raiseNotification = systemFunction<decltype(f.raiseNotification)>(dll, "UiaRaiseNotificationEvent");
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
    if (model) root_ = ComPtr<IAccessible>::adopt(static_cast<IAccessible*>(newElement(link_, access::kSelf)));
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
      annotated_ = newAnnotatedObject(std::move(inner), notes_);
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
