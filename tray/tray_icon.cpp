#include "tray_icon.h"

#include <algorithm>
#include <utility>

#include "fw/application.h"
#include "fw/form.h"

namespace tray {

namespace shell = fw::shell;
namespace msg = fw::shell::msg;

namespace {

std::unique_ptr<TTrayIconHandler>& handlerSlot() {
  static std::unique_ptr<TTrayIconHandler> slot;  // freed at program end if still there
  return slot;
}

// The shell announces a re-created taskbar only from common controls 4.71 on.
constexpr unsigned kTaskbarCreatedSince = (4u << 16) | 71u;

}  // namespace

unsigned TaskbarRestartMessage() {
  static const unsigned message =
      shell::commonControlsVersion() >= kTaskbarCreatedSince ? shell::registerWindowMessage("TaskbarCreated") : 0;
  return message;
}

// ---- the shared hidden window ----

TTrayIconHandler::TTrayIconHandler(int)
    : window_(ClassName, [this](shell::Message& m) { return handleMessage(m); }) {}

TTrayIconHandler* TTrayIconHandler::instance() { return handlerSlot().get(); }

TTrayIconHandler& TTrayIconHandler::acquire(TTrayIcon& icon, unsigned& id) {
  auto& slot = handlerSlot();
  if (!slot) slot = std::make_unique<TTrayIconHandler>(0);
  TTrayIconHandler& h = *slot;
  // A number of our own rather than the instance's address: it fits the shell's 32-bit uID on
  // every build, and a notification queued for an icon that has gone finds nobody.
  while (h.nextId_ == 0 || h.icons_.count(h.nextId_)) ++h.nextId_;
  id = h.nextId_++;
  h.icons_[id] = &icon;
  ++h.users_;
  return h;
}

void TTrayIconHandler::release(unsigned id) {
  auto& slot = handlerSlot();
  if (!slot) return;
  slot->icons_.erase(id);
  if (--slot->users_ == 0) slot.reset();
}

bool TTrayIconHandler::handleMessage(shell::Message& m) {
  switch (m.msg) {
    case TrayCallbackMessage: {
      m.result = 0;
      auto it = icons_.find(static_cast<unsigned>(m.wParam));
      if (it != icons_.end()) it->second->handleNotification(m.lParam);
      return true;
    }
    // A stray close or end-of-session request must not take the window from the icons.
    case msg::Destroy:
    case msg::Close:
    case msg::QueryEndSession:
    case msg::Quit:
    case msg::EndSession:
    case msg::NcDestroy:
      m.result = 1;
      return true;
    default:
      return false;
  }
}

// ---- construction and destruction ----

TTrayIcon::HandlerUser::HandlerUser(TTrayIcon& icon) : icon(icon) {
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
  setDesignPreview(false);
  icon_.onChange = nullptr;
}

fw::Control* TTrayIcon::ownerControl() const { return dynamic_cast<fw::Control*>(owner()); }

// ---- the shell record ----

bool TTrayIcon::FillIconData() {
  iconData_.icon = icon_.handle();
  if (!hint_.empty() && showHint_) {
    iconData_.tip = hint_.substr(0, shell::TipCapacity);
  } else {
    iconData_.tip.clear();
  }
  return true;
}

bool TTrayIcon::notify(shell::NotifyAction action) {
  if (!FillIconData()) return false;
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
    setDesignPreview(ctx.boolean(p));
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

// ---- shell notifications ----

fw::ShiftState TTrayIcon::ReadShiftState() const {
  fw::ShiftState s;
  s.shift = shell::keyDown(shell::VkShift);
  s.alt = shell::keyDown(shell::VkMenu);
  s.ctrl = shell::keyDown(shell::VkControl);
  return s;
}

void TTrayIcon::handleNotification(std::intptr_t code) {
  if (destroying_) return;
  fw::Point at;
  shell::cursorPos(at);  // the position now, not one carried by the message
  const int X = at.x, Y = at.y;
  const bool classic = notifyMode_ == TNotifyMode::ClassicNotify;
  const bool menuPops = popupMenu_ && popupMenu_->autoPopup();
  auto keys = [this](fw::MouseButton b) {
    fw::ShiftState s = ReadShiftState();
    s.left = b == fw::MouseButton::Left;
    s.right = b == fw::MouseButton::Right;
    s.middle = b == fw::MouseButton::Middle;
    return s;
  };

  switch (static_cast<unsigned>(code)) {
    case msg::NinBalloonShow:
      if (OnBalloonHintShow) OnBalloonHintShow(*this);
      return;
    case msg::NinBalloonHide:
      if (OnBalloonHintHide) OnBalloonHintHide(*this);
      return;
    case msg::NinBalloonTimeout:
      if (OnBalloonHintTimeout) OnBalloonHintTimeout(*this);
      return;
    case msg::NinBalloonUserClick:
      if (OnBalloonHintClick) OnBalloonHintClick(*this);
      return;
    default:
      break;
  }
  if (!enabled_) return;

  switch (static_cast<unsigned>(code)) {
    case msg::MouseMove:
      if (wantEnterExitEvents_ && pointerOutside_) {
        RaiseMouseEnter();
        pointerOutside_ = false;
        pointerLeaveTimer_->setEnabled(true);
      }
      RaiseMouseMove(ReadShiftState(), X, Y);
      lastPointerPos_ = at;
      break;
    case msg::LButtonDown:
      if (OnDblClick) {
        singleClickTimer_->setInterval(shell::doubleClickTime());
        singleClickTimer_->Start();
      }
      RaiseMouseDown(fw::MouseButton::Left, keys(fw::MouseButton::Left), X, Y);
      buttonDownSeen_ = true;
      if (leftPopup_ && menuPops) {
        shell::setForeground(handlerUser_.window);
        ShowPopupAtCursor();
      }
      break;
    case msg::LButtonUp:
      if (buttonDownSeen_) clickPending_ = true;
      if (buttonDownSeen_ && !singleClickTimer_->Enabled()) {
        buttonDownSeen_ = false;
        clickPending_ = false;
        RaiseClick();
      }
      buttonDownSeen_ = false;
      RaiseMouseUp(fw::MouseButton::Left, keys(fw::MouseButton::Left), X, Y);
      break;
    case msg::LButtonDblClk:
      clickPending_ = false;
      doubleClickSeen_ = true;
      RaiseDoubleClick();
      if (popupMenu_ && popupMenu_->autoPopup() && !leftPopup_) {
        const auto& items = popupMenu_->items();
        auto item = std::find_if(items.begin(), items.end(), [](fw::MenuItem* i) { return i->isDefault(); });
        if (item != items.end()) (*item)->click();
      }
      break;
    case msg::RButtonDown:
      RaiseMouseDown(fw::MouseButton::Right, keys(fw::MouseButton::Right), X, Y);
      // The menu opens on the press, not on the release.
      if (menuPops) {
        shell::setForeground(handlerUser_.window);
        ShowPopupAtCursor();
      }
      break;
    case msg::RButtonUp:
      if (classic) RaiseMouseUp(fw::MouseButton::Right, keys(fw::MouseButton::Right), X, Y);
      break;
    case msg::ContextMenu:
    case msg::NinSelect:
    case msg::NinKeySelect:
      if (!classic) RaiseMouseUp(fw::MouseButton::Right, keys(fw::MouseButton::Right), X, Y);
      break;
    case msg::MButtonDown:
      RaiseMouseDown(fw::MouseButton::Middle, keys(fw::MouseButton::Middle), X, Y);
      break;
    case msg::MButtonUp:
      RaiseMouseUp(fw::MouseButton::Middle, keys(fw::MouseButton::Middle), X, Y);
      break;
    default:
      break;  // right and middle double-clicks among them
  }
}

// ---- timers ----

void TTrayIcon::iconCycleTick() {
  if (destroying_) return;
  if (!iconList_ || iconList_->count() == 0) return;
  iconList_->getIcon(iconIndex_, icon_);
  const int next = iconIndex_ < iconList_->count() - 1 ? iconIndex_ + 1 : 0;
  RaiseCycle(next);
  if (iconList_) setIconIndex(next);  // the handler may have taken the list away
}

void TTrayIcon::singleClickTick() {
  if (destroying_) return;
  singleClickTimer_->Stop(true);
  if (!doubleClickSeen_ && clickPending_) {
    clickPending_ = false;
    RaiseClick();
  }
  doubleClickSeen_ = false;
}

void TTrayIcon::pointerLeaveTick() {
  if (destroying_) return;
  if (pointerOutside_) {
    pointerLeaveTimer_->Stop(true);
    return;
  }
  fw::Point at;
  if (!shell::cursorPos(at)) return;
  // Any movement the shell did not report as a move over the icon has left it.
  if (at.x != lastPointerPos_.x || at.y != lastPointerPos_.y) {
    pointerOutside_ = true;
    pointerLeaveTimer_->Stop(true);
    RaiseMouseExit();
  }
}

// ---- popup menu, hiding ----

void TTrayIcon::ShowPopupAtCursor() {
  fw::Point at;
  if (shell::cursorPos(at)) ShowPopupAt(at.x, at.y);
}

void TTrayIcon::ShowPopupAt(int X, int Y) {
  if (!popupMenu_) return;
  // The menu closes on a click elsewhere only when its owner is in the foreground.
  shell::setForeground(handlerUser_.window);
  fw::Application::instance().processMessages();
  if (!popupMenu_) return;  // removed while messages ran
  popupMenu_->setPopupComponent(this);
  popupMenu_->popup({X, Y});
  // Lets the owner's queue wake up, so that the next menu opens without a stray click.
  if (fw::Control* c = ownerControl()) shell::postMessage(shell::windowOf(*c), msg::Null, 0, 0);
}

void TTrayIcon::HideMainWindow() {
  fw::Form* main = fw::Application::instance().mainForm();
  if (!ownerControl() || !main) return;
  main->hide();
  HideApplicationButton();
}

void TTrayIcon::HideApplicationButton() {
  const shell::Window app = shell::applicationWindow();
  if (shell::isVisible(app)) shell::hide(app);
}

void TTrayIcon::MinimizeToTrayNow() {
  HideMainWindow();
  setIconVisible(true);
}

// ---- hooks ----

void TTrayIcon::onApplicationMessage(const shell::Message& m) {
  if (destroying_) return;
  if (m.msg == msg::Size && m.wParam == shell::SizeMinimized && minimizeToTray_) MinimizeToTrayNow();
  if (m.msg == msg::WindowPosChanged && startupCheckPending_ && fw::Application::instance().mainForm()) {
    // Only an MDI frame would ask OnStartup here; this framework makes none.
    startupCheckPending_ = false;
  }
  if (m.msg == msg::SysCommand && (m.wParam & 0xFFF0) == shell::ScRestore) {
    if (fw::Form* main = fw::Application::instance().mainForm()) {
      const shell::Window w = shell::windowOf(*main);
      if (shell::isMinimized(w)) shell::restore(w);
      main->show();
    }
  }
  const unsigned restart = TaskbarRestartMessage();
  if (restart != 0 && m.msg == restart && iconVisible_) {
    AddToTray();
    // A new shell knows nothing of the icon's version either.
    if (notifyMode_ != TNotifyMode::ClassicNotify) setNotifyMode(notifyMode_);
  }
}

bool TTrayIcon::onOwnerMessage(shell::Message& m) {
  if (destroying_) return false;
  fw::Control* owner = ownerControl();
  if (m.msg == msg::ShowWindow && m.wParam == 1 && m.lParam == 0) {
    shell::setForeground(shell::applicationWindow());
    if (owner) shell::setForeground(shell::windowOf(*owner));
    return false;
  }
  const bool parentClosing = m.msg == msg::ShowWindow && m.wParam == 0 && m.lParam == shell::SwParentClosing &&
                             !fw::Application::instance().terminating();
  const bool minimizing = m.msg == msg::SysCommand && (m.wParam & 0xFFF0) == shell::ScMinimize;
  if ((parentClosing || minimizing) && minimizeToTray_ && OnMinimizeToTray) {
    OnMinimizeToTray(*this);
    MinimizeToTrayNow();
    m.result = 1;
    return true;
  }
  return false;
}

// ---- event dispatchers ----

void TTrayIcon::RaiseClick() {
  if (OnClick) OnClick(*this);
}
void TTrayIcon::RaiseDoubleClick() {
  if (OnDblClick) OnDblClick(*this);
}
void TTrayIcon::RaiseCycle(int NextIndex) {
  if (OnCycle) OnCycle(*this, NextIndex);
}
void TTrayIcon::RaiseMouseDown(fw::MouseButton Button, fw::ShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(*this, Button, Shift, X, Y);
}
void TTrayIcon::RaiseMouseUp(fw::MouseButton Button, fw::ShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(*this, Button, Shift, X, Y);
}
void TTrayIcon::RaiseMouseMove(fw::ShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(*this, Shift, X, Y);
}
void TTrayIcon::RaiseMouseEnter() {
  if (OnMouseEnter) OnMouseEnter(*this);
}
void TTrayIcon::RaiseMouseExit() {
  if (OnMouseExit) OnMouseExit(*this);
}

void registerTrayClasses() {
  TaskbarRestartMessage();  // registered at start, as the shell expects of its clients
  fw::ClassRegistry::instance().add("TTrayIcon", [](fw::Component* owner, fw::Control*) -> std::unique_ptr<fw::Component> {
    return std::make_unique<TTrayIcon>(owner);
  });
}

}  // namespace tray
