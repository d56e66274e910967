// The notification-area icon: tooltip, balloons, mouse events, popup menu, icon cycling,
// minimise-to-tray, and re-adding the icon when the shell re-creates its taskbar. All tray icons
// of the process share one hidden window, TTrayIconHandler, for the shell's notifications.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "fw/control.h"
#include "fw/icon.h"
#include "fw/menu.h"
#include "fw/shell.h"
#include "msg_timer.h"

namespace tray {

enum class BalloonIcon { BalloonNone = 0, BalloonInfo = 1, BalloonWarning = 2, BalloonError = 3 };
// Which shell notifications count as a right-button release.
enum class TNotifyMode { ClassicNotify = 0, Version3Notify = 1 };

using TrayMouseEvent = std::function<void(fw::Component& Sender, fw::MouseButton Button, fw::ShiftState Shift, int X, int Y)>;
using TrayMouseMoveEvent = std::function<void(fw::Component& Sender, fw::ShiftState Shift, int X, int Y)>;
using TCycleEvent = std::function<void(fw::Component& Sender, int NextIndex)>;
using TStartupEvent = std::function<void(fw::Component& Sender, bool& ShowMainForm)>;

// The message the shell sends to the hidden window: wParam the icon's uID, lParam the event.
inline constexpr unsigned TrayCallbackMessage = fw::shell::msg::User + 0x400;
// The record's flags outside a balloon: message, icon and tip.
inline constexpr unsigned DefaultNotifyFlags = fw::shell::NifMessage | fw::shell::NifIcon | fw::shell::NifTip;

// The shell's "TaskbarCreated" message, registered once per process; 0 with common controls
// older than 4.71, where the shell never sends it.
unsigned TaskbarRestartMessage();

class TTrayIcon : public fw::Component {
 public:
  explicit TTrayIcon(fw::Component* owner);
  ~TTrayIcon() override;

  fw::ImageList* IconList() const { return iconList_; }
  void setIconList(fw::ImageList* list);
  void setCycleIcons(bool on);
  unsigned CycleInterval() const { return cycleInterval_; }
  void setCycleInterval(unsigned ms);
  bool Enabled() const { return enabled_; }
  void setEnabled(bool on) { enabled_ = on; }
  const std::string& Hint() const { return hint_; }
  void setHint(const std::string& hint);  // Windows-1254
  bool ShowHint() const { return showHint_; }
  void setShowHint(bool on);
  const fw::Icon& Icon() const { return icon_; }
  void setIcon(const fw::Icon& icon);
  bool IconVisible() const { return iconVisible_; }
  void setIconVisible(bool on);
  int IconIndex() const { return iconIndex_; }
  void setIconIndex(int index);
  fw::PopupMenu* PopupMenu() const { return popupMenu_; }
  void setPopupMenu(fw::PopupMenu* menu);
  bool LeftPopup() const { return leftPopup_; }
  void setLeftPopup(bool on) { leftPopup_ = on; }
  bool WantEnterExitEvents() const { return wantEnterExitEvents_; }
  void setWantEnterExitEvents(bool on);
  bool MinimizeToTray() const { return minimizeToTray_; }
  void setMinimizeToTray(bool on) { minimizeToTray_ = on; }
  void setNotifyMode(TNotifyMode mode);

  fw::NotifyEvent OnClick;
  fw::NotifyEvent OnDblClick;
  TrayMouseEvent OnMouseDown;
  TrayMouseEvent OnMouseUp;
  TrayMouseMoveEvent OnMouseMove;
  fw::NotifyEvent OnMouseEnter;
  fw::NotifyEvent OnMouseExit;
  TCycleEvent OnCycle;
  fw::NotifyEvent OnBalloonHintShow;
  fw::NotifyEvent OnBalloonHintHide;
  fw::NotifyEvent OnBalloonHintTimeout;
  fw::NotifyEvent OnBalloonHintClick;
  fw::NotifyEvent OnMinimizeToTray;
  TStartupEvent OnStartup;

  // True when the shell took the balloon; an icon that is not shown cannot have one.
  bool ShowBalloonMessage(const std::string& Title, const std::string& Text, BalloonIcon IconKind,
                          std::uint8_t TimeoutSeconds);
  // Each returns the shell's answer.
  bool AddToTray();
  bool RemoveFromTray();
  bool RefreshTrayIcon();
  void HideMainWindow();
  void ShowPopupAt(int X, int Y);
  void ShowPopupAtCursor();

  // The shell's record as last filled, and the timers of the click and the pointer's leaving.
  const fw::shell::NotifyIconData& IconData() const { return iconData_; }
  const TMsgTimer& SingleClickTimer() const { return *singleClickTimer_; }
  const TMsgTimer& PointerLeaveTimer() const { return *pointerLeaveTimer_; }

  void applyProperty(const fw::LayoutProperty& p, fw::LoadContext& ctx) override;
  void loaded() override;

 protected:
  void removed(fw::Component& other) override;

 private:
  friend class TTrayIconHandler;

  // Gives up the user of the shared hidden window last, even when construction fails midway.
  struct HandlerUser {
    explicit HandlerUser(TTrayIcon& icon);
    ~HandlerUser();
    HandlerUser(const HandlerUser&) = delete;
    HandlerUser& operator=(const HandlerUser&) = delete;
    unsigned id = 0;
    fw::shell::Window window = 0;
  };

  void RaiseClick();
  void RaiseDoubleClick();
  void RaiseCycle(int NextIndex);
  void RaiseMouseDown(fw::MouseButton Button, fw::ShiftState Shift, int X, int Y);
  void RaiseMouseUp(fw::MouseButton Button, fw::ShiftState Shift, int X, int Y);
  void RaiseMouseMove(fw::ShiftState Shift, int X, int Y);
  void RaiseMouseEnter();
  void RaiseMouseExit();
  void MinimizeToTrayNow();
  void FillIconData();
  bool notify(fw::shell::NotifyAction action);
  fw::ShiftState ReadShiftState() const;
  void HideApplicationButton();
  fw::Control* ownerControl() const;
  void handleNotification(std::intptr_t code);
  void onApplicationMessage(const fw::shell::Message& m);
  bool onOwnerMessage(fw::shell::Message& m);
  void iconCycleTick();
  void singleClickTick();
  void pointerLeaveTick();

  HandlerUser handlerUser_;
  fw::shell::WindowHook ownerHook_;
  fw::shell::WindowHook applicationHook_;
  fw::Icon icon_;
  std::unique_ptr<TMsgTimer> iconCycleTimer_;
  std::unique_ptr<TMsgTimer> singleClickTimer_;
  std::unique_ptr<TMsgTimer> pointerLeaveTimer_;

  fw::shell::NotifyIconData iconData_;
  fw::ImageList* iconList_ = nullptr;
  bool cycleIcons_ = false;
  unsigned cycleInterval_ = 0;
  bool enabled_ = true;
  std::string hint_;
  bool showHint_ = true;
  bool iconVisible_ = false;
  int iconIndex_ = 0;
  fw::PopupMenu* popupMenu_ = nullptr;
  bool leftPopup_ = false;
  bool wantEnterExitEvents_ = false;
  bool minimizeToTray_ = false;
  TNotifyMode notifyMode_ = TNotifyMode::ClassicNotify;

  bool buttonDownSeen_ = false;
  bool clickPending_ = false;
  bool doubleClickSeen_ = false;
  bool pointerOutside_ = true;
  bool destroying_ = false;
  fw::Point lastPointerPos_;
};

// The hidden window shared by all tray icons: made by the first, freed with the last (or at
// program end). It hands each shell notification to the icon whose uID it carries.
class TTrayIconHandler {
 public:
  static constexpr const char* ClassName = "TTrayIconHandler";
  static TTrayIconHandler* instance();  // null while no tray icon lives
  unsigned users() const { return users_; }
  fw::shell::Window window() const { return window_.handle(); }

  TTrayIconHandler(const TTrayIconHandler&) = delete;
  TTrayIconHandler& operator=(const TTrayIconHandler&) = delete;

 private:
  friend class TTrayIcon;
  TTrayIconHandler();  // made by acquire()
  static TTrayIconHandler& acquire(TTrayIcon& icon, unsigned& id);
  static void release(unsigned id);
  bool handleMessage(fw::shell::Message& m);

  unsigned users_ = 0;
  unsigned nextId_ = 1;
  std::map<unsigned, TTrayIcon*> icons_;
  fw::shell::MessageWindow window_;
};

// Registers TTrayIcon for stored layouts and the shell's restart message; call once at start.
void registerTrayClasses();

}  // namespace tray
