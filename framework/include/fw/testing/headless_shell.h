// Test controls of the headless desktop shell (native builds only): a fake notification area
// that behaves as the shell does (a second add fails, a change to an absent icon fails), hidden
// windows and hooks that tests send messages to, a settable cursor and keyboard, and a log of
// the window calls made.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fw/geometry.h"
#include "fw/shell.h"

namespace fw {
class MenuItem;
}

namespace fw::headless {

// Forgets icons, calls, the log and input state; live windows and hooks stay.
void resetShell();

struct ShellCall {
  shell::NotifyAction action;
  shell::NotifyIconData data;
  bool succeeded;
};
const std::vector<ShellCall>& shellCalls();
void clearShellCalls();

struct TrayEntry {
  shell::NotifyIconData data;  // as the shell holds it after the last change
  unsigned version = 0;
};
// The icons now in the notification area, in the order they were added.
std::vector<TrayEntry> trayIcons();
// Without a notification area every call fails.
void setNotificationArea(bool present);
// The shell restarts: every icon is gone. (It does not send "TaskbarCreated"; the test does.)
void restartShell();
// Runs while each shell call waits for the shell, as messages sent to the thread meanwhile are.
void setDuringShellCall(std::function<void(const shell::NotifyIconData&)> action);

// Live hidden windows of a class, oldest first.
std::vector<shell::Window> messageWindows(const std::string& className);
// Sends a message to a hidden window or a hooked window; hooks see it newest first.
struct Delivery {
  bool handled = false;    // a handler or hook took it
  std::intptr_t result = 0;
};
Delivery send(shell::Window window, unsigned msg, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
int hookCount(shell::Window window);

// Window calls in order: "foreground <window>", "post <window> <message>", "hide <window>",
// "restore <window>", "popup <x>,<y>". A window is named by its class (hidden windows),
// "application", or its component's name.
const std::vector<std::string>& windowCalls();
void clearWindowCalls();

void setCursor(Point at);
void setCursorReadable(bool readable);
void setKeyDown(int virtualKey, bool down);
void setDoubleClickTime(unsigned ms);
void setApplicationWindowVisible(bool visible);
void setMinimized(shell::Window window, bool minimized);
void setCommonControlsVersion(unsigned version);

// The resource an icon's image came from ("" for none); copies keep their source's name.
std::string iconName(shell::NativeIcon icon);
int liveIcons();

// Called by the headless backend when a popup menu opens.
void recordPopup(const std::vector<MenuItem*>& items, Point at);

}  // namespace fw::headless
