// The tray icon's life, its shell record, its properties and its loading from a layout.
#include "tray_icon.h"

#include <algorithm>
#include <utility>

#include "fw/application.h"
#include "fw/form.h"

namespace tray {

namespace shell = fw::shell;

// ---- construction and destruction ----

TTrayIcon::HandlerUser::HandlerUser(TTrayIcon& icon) {
  window = TTrayIconHandler::acquire(icon, id).window();
}

TTrayIcon::HandlerUser::~HandlerUser() { TTrayIconHandler::release(id); }

TTrayIcon::TTrayIcon(fw::Component* owner) : fw::Component(owner), handlerUser_(*this) {
  icon_.onChange = [this] { RefreshTrayIcon(); };
  iconData_.window = handlerUser_.window;
  iconData_.id = handlerUser_.id;
  iconData_.flags = DefaultNotifyFlags;
  iconData_.callbackMessage = TrayCallbackMessage;
  iconCycleTimer_ = std::make_unique<TMsgTimer>(1000, [this](TMsgTimer&) { iconCycleTick(); });
  singleClickTimer_ = std::make_unique<TMsgTimer>(1000, [this](TMsgTimer&) { singleClickTick(); });
  pointerLeaveTimer_ = std::make_unique<TMsgTimer>(20, [this](TMsgTimer&) { pointerLeaveTick(); });
  applicationHook_ = shell::WindowHook(shell::applicationWindow(), [this](shell::Message& m) {
    onApplicationMessage(m);
    return false;  // it only watches
  });
  if (fw::Control* c = ownerControl())
    ownerHook_ = shell::WindowHook(shell::windowOf(*c), [this](shell::Message& m) { return onOwnerMessage(m); });
}

TTrayIcon::~TTrayIcon() {
  // The shell call below waits for the shell, and while it waits the system delivers messages
  // sent to this thread: notifications and hooked messages must no longer reach handlers whose
  // owner may already be half destroyed.
  destroying_ = true;
  // The icon always leaves the notification area; the members then go in reverse order:
  // timers, own icon, the application window's hook, the owner's hook, the hidden window's user.
  setIconVisible(false);
}

fw::Control* TTrayIcon::ownerControl() const { return dynamic_cast<fw::Control*>(owner()); }

// ---- the shell record ----

void TTrayIcon::FillIconData() {
  iconData_.icon = icon_.handle();
  if (!hint_.empty() && showHint_) {
    iconData_.tip = hint_.substr(0, shell::TipCapacity);
  } else {
    iconData_.tip.clear();
  }
}

bool TTrayIcon::notify(shell::NotifyAction action) {
  FillIconData();
  return shell::notifyIcon(action, iconData_);
}

bool TTrayIcon::AddToTray() {
  iconVisible_ = true;
  return notify(shell::NotifyAction::Add);
}

bool TTrayIcon::RemoveFromTray() {
  iconVisible_ = false;
  return notify(shell::NotifyAction::Delete);
}

bool TTrayIcon::RefreshTrayIcon() { return notify(shell::NotifyAction::Modify); }

bool TTrayIcon::ShowBalloonMessage(const std::string& Title, const std::string& Text, BalloonIcon IconKind,
                                   std::uint8_t TimeoutSeconds) {
  // Dismiss a balloon that may still be showing.
  iconData_.flags |= shell::NifInfo;
  iconData_.info.clear();
  RefreshTrayIcon();
  iconData_.info = Text.substr(0, shell::InfoCapacity);
  iconData_.infoTitle = Title.substr(0, shell::InfoTitleCapacity);
  iconData_.timeoutOrVersion = static_cast<unsigned>(TimeoutSeconds) * 1000u;
  iconData_.infoFlags = static_cast<unsigned>(IconKind);
  const bool shown = RefreshTrayIcon();
  // Later refreshes must not bring the balloon back.
  iconData_.flags = DefaultNotifyFlags;
  return shown;
}

// ---- properties ----

void TTrayIcon::setIconList(fw::ImageList* list) {
  if (iconList_) removeFreeNotification(*iconList_);
  iconList_ = list;
  if (iconList_) freeNotification(*iconList_);
  setIconIndex(0);
}

void TTrayIcon::setCycleIcons(bool on) {
  cycleIcons_ = on;
  if (on) {
    setIconIndex(0);
    iconCycleTimer_->setInterval(cycleInterval_);
    iconCycleTimer_->Start();
  } else {
    iconCycleTimer_->Stop(true);
  }
}

void TTrayIcon::setCycleInterval(unsigned ms) {
  if (ms == cycleInterval_) return;
  cycleInterval_ = ms;
  setCycleIcons(cycleIcons_);
}

void TTrayIcon::setHint(const std::string& hint) {
  hint_ = hint;
  RefreshTrayIcon();
}

void TTrayIcon::setShowHint(bool on) {
  showHint_ = on;
  RefreshTrayIcon();
}

void TTrayIcon::setIcon(const fw::Icon& icon) {
  // One refresh for the change, not two.
  auto notice = std::exchange(icon_.onChange, nullptr);
  icon_.assign(icon);
  icon_.onChange = std::move(notice);
  RefreshTrayIcon();
}

void TTrayIcon::setIconVisible(bool on) {
  if (on) {
    AddToTray();
  } else {
    RemoveFromTray();
  }
}

void TTrayIcon::setIconIndex(int index) {
  // Held inside the list, whichever side the value falls off; an empty list is like none.
  if (iconList_ && iconList_->count() > 0) {
    iconIndex_ = std::clamp(index, 0, iconList_->count() - 1);
    iconList_->getIcon(iconIndex_, icon_);  // refreshes through the icon's change notice
  } else {
    iconIndex_ = 0;
  }
  RefreshTrayIcon();
}

void TTrayIcon::setPopupMenu(fw::PopupMenu* menu) {
  if (popupMenu_) removeFreeNotification(*popupMenu_);
  popupMenu_ = menu;
  if (popupMenu_) freeNotification(*popupMenu_);
}

void TTrayIcon::setWantEnterExitEvents(bool on) {
  wantEnterExitEvents_ = on;
  // The leave check matters only while the pointer is on the icon; an idle program with its
  // icon in the tray should not wake fifty times a second for nothing.
  pointerLeaveTimer_->setEnabled(on && !pointerOutside_);
}

void TTrayIcon::setNotifyMode(TNotifyMode mode) {
  notifyMode_ = mode;
  if (mode == TNotifyMode::ClassicNotify) iconData_.timeoutOrVersion = 0;
  if (mode == TNotifyMode::Version3Notify) iconData_.timeoutOrVersion = 3;
  shell::notifyIcon(shell::NotifyAction::SetVersion, iconData_);
}

void TTrayIcon::removed(fw::Component& other) {
  if (&other == iconList_) {
    iconList_ = nullptr;
    setIconIndex(0);
  }
  if (&other == popupMenu_) popupMenu_ = nullptr;
}

// ---- loading ----

void TTrayIcon::applyProperty(const fw::LayoutProperty& p, fw::LoadContext& ctx) {
  const std::string& k = p.key;
  if (k == "CycleInterval") {
    const int ms = ctx.integer(p);
    if (ms < 0) ctx.fail(p, "an interval cannot be negative");
    setCycleInterval(static_cast<unsigned>(ms));
  } else if (k == "CycleIcons") {
    setCycleIcons(ctx.boolean(p));
  } else if (k == "IconVisible") {
    setIconVisible(ctx.boolean(p));
  } else if (k == "IconIndex") {
    setIconIndex(ctx.integer(p));
  } else if (k == "Enabled") {
    setEnabled(ctx.boolean(p));
  } else if (k == "Hint") {
    setHint(ctx.text(p));
  } else if (k == "ShowHint") {
    setShowHint(ctx.boolean(p));
  } else if (k == "LeftPopup") {
    setLeftPopup(ctx.boolean(p));
  } else if (k == "MinimizeToTray") {
    setMinimizeToTray(ctx.boolean(p));
  } else if (k == "WantEnterExitEvents") {
    setWantEnterExitEvents(ctx.boolean(p));
  } else if (k == "DesignPreview") {
    ctx.boolean(p);  // only a visual designer shows a preview; a layout may still carry it
  } else if (k == "PopupMenu") {
    const std::string name = ctx.identifier(p);
    auto* menu = ctx.form ? dynamic_cast<fw::PopupMenu*>(ctx.form->findComponent(name)) : nullptr;
    if (!menu) ctx.fail(p, "no popup menu '" + name + "' is declared before this component");
    setPopupMenu(menu);
  } else if (k == "IconList") {
    const std::string name = ctx.identifier(p);
    auto* list = ctx.form ? dynamic_cast<fw::ImageList*>(ctx.form->findComponent(name)) : nullptr;
    if (!list) ctx.fail(p, "no image list '" + name + "' is declared before this component");
    setIconList(list);
  } else if (k == "Icon") {
    const std::string name = ctx.identifier(p);
    fw::Icon image;
    if (!image.loadResource(name)) ctx.fail(p, "the program has no icon '" + name + "'");
    setIcon(image);
  } else {
    fw::Component::applyProperty(p, ctx);
  }
}

void TTrayIcon::loaded() {
  if (ownerControl()) {
    bool showMainForm = true;
    if (OnStartup) OnStartup(*this, showMainForm);
    if (!showMainForm) {
      fw::Application::instance().showMainForm = false;
      HideMainWindow();
    }
  }
  RefreshTrayIcon();
  setIconVisible(iconVisible_);  // a second add of a present icon fails quietly
  setCycleIcons(cycleIcons_);
  setWantEnterExitEvents(wantEnterExitEvents_);
  setNotifyMode(notifyMode_);
}

void registerTrayClasses() {
  TaskbarRestartMessage();  // registered at start, as the shell expects of its clients
  fw::ClassRegistry::instance().add("TTrayIcon", [](fw::Component* owner, fw::Control*) -> std::unique_ptr<fw::Component> {
    return std::make_unique<TTrayIcon>(owner);
  });
}

}  // namespace tray
