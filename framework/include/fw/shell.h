// Desktop-shell services for components that have no window of their own (the tray icon, the
// message-window timer): hidden message windows, hooks on existing windows, the notification
// area, icons, the cursor and the keyboard. The win32 backend does the real calls; the headless
// one keeps a fake desktop that tests drive (fw/testing/headless_shell.h).
//
// Messages keep their Windows numbers, so the platform-free code above reads like the window
// procedures it replaces and the headless tests deliver exactly what Windows would.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "fw/geometry.h"

namespace fw {

class Control;

// Modifier keys and mouse buttons that go with a mouse event.
struct ShiftState {
  bool shift = false;
  bool alt = false;
  bool ctrl = false;
  bool left = false;
  bool right = false;
  bool middle = false;
  friend bool operator==(const ShiftState&, const ShiftState&) = default;
};

namespace shell {

// A native window as an opaque number (HWND on Windows).
using Window = std::uintptr_t;
// A native icon as an opaque number (HICON on Windows); 0 is no icon.
using NativeIcon = std::uintptr_t;

namespace msg {
inline constexpr unsigned Null = 0x0000;
inline constexpr unsigned Destroy = 0x0002;
inline constexpr unsigned Size = 0x0005;
inline constexpr unsigned Close = 0x0010;
inline constexpr unsigned QueryEndSession = 0x0011;
inline constexpr unsigned Quit = 0x0012;
inline constexpr unsigned EndSession = 0x0016;
inline constexpr unsigned ShowWindow = 0x0018;
inline constexpr unsigned WindowPosChanged = 0x0047;
inline constexpr unsigned ContextMenu = 0x007B;
inline constexpr unsigned NcDestroy = 0x0082;
inline constexpr unsigned SysCommand = 0x0112;
inline constexpr unsigned Timer = 0x0113;
inline constexpr unsigned MouseMove = 0x0200;
inline constexpr unsigned LButtonDown = 0x0201;
inline constexpr unsigned LButtonUp = 0x0202;
inline constexpr unsigned LButtonDblClk = 0x0203;
inline constexpr unsigned RButtonDown = 0x0204;
inline constexpr unsigned RButtonUp = 0x0205;
inline constexpr unsigned RButtonDblClk = 0x0206;
inline constexpr unsigned MButtonDown = 0x0207;
inline constexpr unsigned MButtonUp = 0x0208;
inline constexpr unsigned MButtonDblClk = 0x0209;
inline constexpr unsigned User = 0x0400;
// Notification-area codes, carried in lParam of an icon's callback message.
inline constexpr unsigned NinSelect = 0x0400;
inline constexpr unsigned NinKeySelect = 0x0401;
inline constexpr unsigned NinBalloonShow = 0x0402;
inline constexpr unsigned NinBalloonHide = 0x0403;
inline constexpr unsigned NinBalloonTimeout = 0x0404;
inline constexpr unsigned NinBalloonUserClick = 0x0405;
}  // namespace msg

inline constexpr unsigned SizeMinimized = 1;     // WM_SIZE wParam
inline constexpr unsigned ScMinimize = 0xF020;   // WM_SYSCOMMAND wParam
inline constexpr unsigned ScRestore = 0xF120;
inline constexpr unsigned SwParentClosing = 1;   // WM_SHOWWINDOW lParam

struct Message {
  unsigned msg = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::intptr_t result = 0;
};

// A window that is never shown and exists only to receive messages. The handler returns true
// when it handled the message (its result in Message::result); otherwise the default window
// procedure runs. The handler may destroy this very window; it must not touch it afterwards.
class MessageWindow {
 public:
  using Handler = std::function<bool(Message&)>;
  MessageWindow(const std::string& className, Handler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  Window handle() const { return handle_; }
  // The window timer service: WM_TIMER with wParam = id. Setting an id that runs restarts it.
  bool setTimer(std::uintptr_t id, unsigned intervalMs);
  bool killTimer(std::uintptr_t id);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  Window handle_ = 0;
};

// A hook on an existing window's procedure. The handler sees each message first; returning true
// consumes it (its result in Message::result), false passes it on. Removed when destroyed, in
// any order relative to other hooks on the same window.
class WindowHook {
 public:
  using Handler = std::function<bool(Message&)>;
  WindowHook();
  WindowHook(Window window, Handler handler);
  ~WindowHook();
  WindowHook(WindowHook&&) noexcept;
  WindowHook& operator=(WindowHook&&) noexcept;
  WindowHook(const WindowHook&) = delete;
  WindowHook& operator=(const WindowHook&) = delete;
  bool installed() const { return impl_ != nullptr; }

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// The application's hidden window (the one behind its taskbar presence; it receives broadcasts
// such as the shell's "TaskbarCreated").
Window applicationWindow();
Window windowOf(const Control& control);

bool setForeground(Window window);
bool postMessage(Window window, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
bool isVisible(Window window);
void hide(Window window);
bool isMinimized(Window window);
void restore(Window window);

unsigned registerWindowMessage(const std::string& name);
// The file version of the common-controls library as major * 65536 + minor.
unsigned commonControlsVersion();

// Cursor position in screen coordinates; false when it cannot be read.
bool cursorPos(Point& at);
inline constexpr int VkShift = 0x10;
inline constexpr int VkControl = 0x11;
inline constexpr int VkMenu = 0x12;
// The key is down at this moment (not as the message queue saw it).
bool keyDown(int virtualKey);
unsigned doubleClickTime();

// Icons: each handle returned is owned by the caller and freed with destroyIcon.
NativeIcon loadIcon(const std::string& resourceName);  // 0 when the program has no such icon
NativeIcon copyIcon(NativeIcon icon);
void destroyIcon(NativeIcon icon);

// The notification area (Shell_NotifyIcon). Texts are Windows-1254; each is cut to the
// record's capacity, one character less than the field for its terminating zero.
enum class NotifyAction { Add = 0, Modify = 1, Delete = 2, SetVersion = 4 };
inline constexpr unsigned NifMessage = 0x01;
inline constexpr unsigned NifIcon = 0x02;
inline constexpr unsigned NifTip = 0x04;
inline constexpr unsigned NifInfo = 0x10;
inline constexpr std::size_t TipCapacity = 127;
inline constexpr std::size_t InfoCapacity = 255;
inline constexpr std::size_t InfoTitleCapacity = 63;

struct NotifyIconData {
  Window window = 0;
  unsigned id = 0;
  unsigned flags = 0;
  unsigned callbackMessage = 0;
  NativeIcon icon = 0;
  std::string tip;
  std::string info;
  unsigned timeoutOrVersion = 0;  // one field in the shell's record
  std::string infoTitle;
  unsigned infoFlags = 0;
};

bool notifyIcon(NotifyAction action, const NotifyIconData& data);

}  // namespace shell
}  // namespace fw
