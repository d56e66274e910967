// What reaches the tray icon: the shell's notifications, its timers' ticks and the messages of
// the windows it hooks; and what it raises for them.
#include "tray_icon.h"

#include <algorithm>

#include "fw/application.h"
#include "fw/form.h"

namespace tray {

namespace shell = fw::shell;
namespace msg = fw::shell::msg;

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
}  // namespace tray
