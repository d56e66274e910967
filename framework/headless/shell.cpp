// The headless desktop shell: everything in memory, time from the headless clock.
#include <algorithm>
#include <map>
#include <string>

#include "fw/application.h"
#include "fw/backend.h"
#include "fw/control.h"
#include "fw/testing/headless_shell.h"
#include "fw/menu.h"
#include "fw/shell.h"

namespace fw::shell {

struct MessageWindow::Impl {
  std::string className;
  Handler handler;
  std::map<std::uintptr_t, std::uintptr_t> timers;  // timer id -> the clock's timer
};

struct WindowHook::Impl {
  Window window = 0;
  Handler handler;
};

namespace {

constexpr Window kApplicationWindow = 1;

struct Desktop {
  Window nextWindow = 0x1000;
  std::map<Window, MessageWindow::Impl*> windows;
  std::map<Window, std::vector<WindowHook::Impl*>> hooks;  // oldest first
  std::map<Window, std::string> names;
  std::map<Window, bool> minimized;
  bool applicationVisible = false;
  std::vector<headless::ShellCall> calls;
  std::vector<headless::TrayEntry> tray;
  bool notificationArea = true;
  std::vector<std::string> log;
  Point cursor;
  bool cursorReadable = true;
  std::map<int, bool> keys;
  unsigned doubleClick = 500;
  unsigned comctlVersion = 0x60000;
  std::map<std::string, unsigned> registered;
  std::function<void(const NotifyIconData&)> duringShellCall;
  NativeIcon nextIcon = 0x5000;
  std::map<NativeIcon, std::string> icons;
};

Desktop& desk() {
  static Desktop d;
  return d;
}

std::string nameOf(Window w) {
  if (w == kApplicationWindow) return "application";
  auto& d = desk();
  if (auto it = d.windows.find(w); it != d.windows.end()) return it->second->className;
  if (auto it = d.names.find(w); it != d.names.end()) return it->second;
  return "window " + std::to_string(w);
}

bool dispatch(const std::function<bool(Message&)>& handler, Message& m) {
  bool handled = false;
  Application::guard([&] { handled = handler(m); });
  return handled;
}

}  // namespace

MessageWindow::MessageWindow(const std::string& className, Handler handler) : impl_(std::make_unique<Impl>()) {
  impl_->className = className;
  impl_->handler = std::move(handler);
  handle_ = desk().nextWindow++;
  desk().windows[handle_] = impl_.get();
}

MessageWindow::~MessageWindow() {
  // A destroyed window's timers die with it.
  for (const auto& [id, clockTimer] : impl_->timers) backend::stopTimer(clockTimer);
  desk().windows.erase(handle_);
}

bool MessageWindow::setTimer(std::uintptr_t id, unsigned intervalMs) {
  killTimer(id);
  const Window self = handle_;
  impl_->timers[id] = backend::startTimer(intervalMs, [self, id] { headless::send(self, msg::Timer, id, 0); });
  return true;
}

bool MessageWindow::killTimer(std::uintptr_t id) {
  auto it = impl_->timers.find(id);
  if (it == impl_->timers.end()) return false;
  backend::stopTimer(it->second);
  impl_->timers.erase(it);
  return true;
}

WindowHook::WindowHook(Window window, Handler handler) : impl_(std::make_unique<Impl>()) {
  impl_->window = window;
  impl_->handler = std::move(handler);
  desk().hooks[window].push_back(impl_.get());
}

WindowHook::~WindowHook() {
  if (!impl_) return;
  auto& list = desk().hooks[impl_->window];
  std::erase(list, impl_.get());
  if (list.empty()) desk().hooks.erase(impl_->window);
}

WindowHook::WindowHook() = default;
WindowHook::WindowHook(WindowHook&& o) noexcept = default;

WindowHook& WindowHook::operator=(WindowHook&& o) noexcept {
  if (this != &o) {
    WindowHook gone(std::move(*this));
    impl_ = std::move(o.impl_);
  }
  return *this;
}

Window applicationWindow() { return kApplicationWindow; }

Window windowOf(const Control& control) {
  const auto w = reinterpret_cast<Window>(&control);
  desk().names[w] = control.name();
  return w;
}

bool setForeground(Window window) {
  desk().log.push_back("foreground " + nameOf(window));
  return true;
}

bool postMessage(Window window, unsigned message, std::uintptr_t, std::intptr_t) {
  desk().log.push_back("post " + nameOf(window) + " " + std::to_string(message));
  return true;
}

bool isVisible(Window window) { return window == kApplicationWindow && desk().applicationVisible; }

void hide(Window window) {
  desk().log.push_back("hide " + nameOf(window));
  if (window == kApplicationWindow) desk().applicationVisible = false;
}

bool isMinimized(Window window) { return desk().minimized[window]; }

void restore(Window window) {
  desk().log.push_back("restore " + nameOf(window));
  desk().minimized[window] = false;
}

unsigned registerWindowMessage(const std::string& name) {
  auto& r = desk().registered;
  auto [it, added] = r.try_emplace(name, 0xC000u + static_cast<unsigned>(r.size()));
  return it->second;
}

unsigned commonControlsVersion() { return desk().comctlVersion; }

bool cursorPos(Point& at) {
  if (!desk().cursorReadable) return false;
  at = desk().cursor;
  return true;
}

bool keyDown(int virtualKey) { return desk().keys[virtualKey]; }
unsigned doubleClickTime() { return desk().doubleClick; }

NativeIcon loadIcon(const std::string& resourceName) {
  const NativeIcon h = desk().nextIcon++;
  desk().icons[h] = resourceName;
  return h;
}

NativeIcon copyIcon(NativeIcon icon) {
  auto it = desk().icons.find(icon);
  if (it == desk().icons.end()) return 0;
  const NativeIcon h = desk().nextIcon++;
  desk().icons[h] = it->second;
  return h;
}

void destroyIcon(NativeIcon icon) { desk().icons.erase(icon); }

namespace {

std::string cut(const std::string& text, std::size_t capacity) { return text.substr(0, std::min(text.size(), capacity)); }

bool applyNotify(NotifyAction action, const NotifyIconData& in) {
  auto& d = desk();
  if (!d.notificationArea) return false;
  NotifyIconData data = in;
  data.tip = cut(data.tip, TipCapacity);
  data.info = cut(data.info, InfoCapacity);
  data.infoTitle = cut(data.infoTitle, InfoTitleCapacity);
  auto it = std::find_if(d.tray.begin(), d.tray.end(), [&](const headless::TrayEntry& e) {
    return e.data.window == data.window && e.data.id == data.id;
  });
  const bool present = it != d.tray.end();
  switch (action) {
    case NotifyAction::Add:
      if (present) return false;
      d.tray.push_back({data, 0});
      return true;
    case NotifyAction::Modify: {
      if (!present) return false;
      NotifyIconData& held = it->data;
      if (data.flags & NifMessage) held.callbackMessage = data.callbackMessage;
      if (data.flags & NifIcon) held.icon = data.icon;
      if (data.flags & NifTip) held.tip = data.tip;
      if (data.flags & NifInfo) {
        held.info = data.info;
        held.infoTitle = data.infoTitle;
        held.infoFlags = data.infoFlags;
        held.timeoutOrVersion = data.timeoutOrVersion;
      }
      return true;
    }
    case NotifyAction::Delete:
      if (!present) return false;
      d.tray.erase(it);
      return true;
    case NotifyAction::SetVersion:
      if (!present) return false;
      it->version = data.timeoutOrVersion;
      return true;
  }
  return false;
}

}  // namespace

bool notifyIcon(NotifyAction action, const NotifyIconData& data) {
  if (auto during = desk().duringShellCall) during(data);
  const bool ok = applyNotify(action, data);
  desk().calls.push_back({action, data, ok});
  return ok;
}

}  // namespace fw::shell

namespace fw::headless {

using shell::desk;

void resetShell() {
  auto& d = desk();
  d.calls.clear();
  d.tray.clear();
  d.notificationArea = true;
  d.log.clear();
  d.cursor = {};
  d.cursorReadable = true;
  d.keys.clear();
  d.doubleClick = 500;
  d.minimized.clear();
  d.applicationVisible = false;
  d.comctlVersion = 0x60000;
  d.duringShellCall = nullptr;
}

const std::vector<ShellCall>& shellCalls() { return desk().calls; }
void clearShellCalls() { desk().calls.clear(); }
std::vector<TrayEntry> trayIcons() { return desk().tray; }
void setNotificationArea(bool present) { desk().notificationArea = present; }
void restartShell() { desk().tray.clear(); }
void setDuringShellCall(std::function<void(const shell::NotifyIconData&)> action) {
  desk().duringShellCall = std::move(action);
}

std::vector<shell::Window> messageWindows(const std::string& className) {
  std::vector<shell::Window> out;
  for (const auto& [w, impl] : desk().windows)
    if (impl->className == className) out.push_back(w);
  return out;
}

Delivery send(shell::Window window, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
  auto& d = desk();
  shell::Message m{msg, wParam, lParam, 0};
  if (auto it = d.windows.find(window); it != d.windows.end()) {
    const auto handler = it->second->handler;  // the handler may destroy the window
    const bool handled = handler && shell::dispatch(handler, m);
    return {handled, handled ? m.result : 0};
  }
  // Newest hook first, as subclassing chains them; a hook removed meanwhile is skipped.
  auto hooks = d.hooks[window];
  for (auto h = hooks.rbegin(); h != hooks.rend(); ++h) {
    const auto& live = d.hooks[window];
    if (std::find(live.begin(), live.end(), *h) == live.end()) continue;
    const auto handler = (*h)->handler;
    if (shell::dispatch(handler, m)) return {true, m.result};
  }
  return {false, 0};
}

int hookCount(shell::Window window) {
  auto it = desk().hooks.find(window);
  return it == desk().hooks.end() ? 0 : static_cast<int>(it->second.size());
}

const std::vector<std::string>& windowCalls() { return desk().log; }
void clearWindowCalls() { desk().log.clear(); }
void setCursor(Point at) { desk().cursor = at; }
void setCursorReadable(bool readable) { desk().cursorReadable = readable; }
void setKeyDown(int virtualKey, bool down) { desk().keys[virtualKey] = down; }
void setDoubleClickTime(unsigned ms) { desk().doubleClick = ms; }
void setApplicationWindowVisible(bool visible) { desk().applicationVisible = visible; }
void setMinimized(shell::Window window, bool minimized) { desk().minimized[window] = minimized; }
void setCommonControlsVersion(unsigned version) { desk().comctlVersion = version; }

std::string iconName(shell::NativeIcon icon) {
  auto it = desk().icons.find(icon);
  return it == desk().icons.end() ? std::string() : it->second;
}

int liveIcons() { return static_cast<int>(desk().icons.size()); }

void recordPopup(const std::vector<MenuItem*>&, Point at) {
  desk().log.push_back("popup " + std::to_string(at.x) + "," + std::to_string(at.y));
}

}  // namespace fw::headless
