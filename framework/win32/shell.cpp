// Desktop-shell services of the win32 backend: hidden message windows, window hooks through
// the common controls' subclassing (which, unlike swapping GWLP_WNDPROC, can be undone in any
// order), the notification area and icons.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <stdexcept>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fw/application.h"
#include "fw/shell.h"
#include "fw/startup_trace.h"
#include "fw/win32/handles.h"
#include "internal.h"

namespace fw::shell {

using win32::wide;

namespace {

HWND toHwnd(Window w) { return reinterpret_cast<HWND>(w); }
Window fromHwnd(HWND h) { return reinterpret_cast<Window>(h); }

// Runs a handler the way every message of ours runs: an error goes to the application's event.
bool dispatch(const std::function<bool(Message&)>& handler, Message& m) {
  bool handled = false;
  Application::guard([&] { handled = handler(m); });
  return handled;
}

}  // namespace

struct MessageWindow::Impl {
  Handler handler;
  win32::UniqueWindow hwnd;
};

namespace {

LRESULT CALLBACK messageWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  auto* impl = reinterpret_cast<MessageWindow::Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!impl || !impl->handler) return DefWindowProcW(hwnd, msg, wp, lp);
  // A copy: the handler may destroy this window and with it the stored handler.
  const MessageWindow::Handler handler = impl->handler;
  Message m{msg, wp, lp, 0};
  if (dispatch(handler, m)) return m.result;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// The classes of the message windows, each registered once, by its first window, and given
// back at program end. Only the GUI thread makes message windows.
std::wstring messageClass(const std::string& className) {
  static std::vector<std::pair<std::wstring, std::unique_ptr<win32::RegisteredClass>>> classes;
  std::wstring name = wide(className);
  for (const auto& [registered, owner] : classes)
    if (registered == name) return registered;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = win32::instance();
  wc.lpfnWndProc = messageWindowProc;
  wc.lpszClassName = name.c_str();
  auto owner = std::make_unique<win32::RegisteredClass>(wc);
  if (!owner->valid())
    throw std::runtime_error("the window class " + className + " could not be registered (error " +
                             std::to_string(GetLastError()) + ")");
  classes.emplace_back(name, std::move(owner));
  return name;
}

}  // namespace

MessageWindow::MessageWindow(const std::string& className, Handler handler) : impl_(std::make_unique<Impl>()) {
  impl_->handler = std::move(handler);
  impl_->hwnd.reset(CreateWindowExW(WS_EX_TOOLWINDOW, messageClass(className).c_str(), L"", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, win32::instance(), impl_.get()));
  if (!impl_->hwnd)
    throw std::runtime_error("the hidden window " + className + " could not be created (error " +
                             std::to_string(GetLastError()) + ")");
  handle_ = fromHwnd(impl_->hwnd.get());
}

MessageWindow::~MessageWindow() {
  // Messages sent while the window goes must not reach a half-destroyed handler.
  SetWindowLongPtrW(impl_->hwnd.get(), GWLP_USERDATA, 0);
}

bool MessageWindow::setTimer(std::uintptr_t id, unsigned intervalMs) {
  return SetTimer(impl_->hwnd.get(), id, intervalMs, nullptr) != 0;
}

bool MessageWindow::killTimer(std::uintptr_t id) { return KillTimer(impl_->hwnd.get(), id) != FALSE; }

struct WindowHook::Impl {
  HWND hwnd = nullptr;
  Handler handler;
};

namespace {

LRESULT CALLBACK hookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* impl = reinterpret_cast<WindowHook::Impl*>(ref);
  const WindowHook::Handler handler = impl->handler;  // the handler may remove this hook
  Message m{msg, wp, lp, 0};
  if (dispatch(handler, m)) return m.result;
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

WindowHook::WindowHook(Window window, Handler handler) : impl_(std::make_unique<Impl>()) {
  impl_->hwnd = toHwnd(window);
  impl_->handler = std::move(handler);
  const auto id = reinterpret_cast<UINT_PTR>(impl_.get());
  if (!impl_->hwnd || !SetWindowSubclass(impl_->hwnd, hookProc, id, reinterpret_cast<DWORD_PTR>(impl_.get())))
    impl_.reset();
}

WindowHook::~WindowHook() {
  if (impl_) RemoveWindowSubclass(impl_->hwnd, hookProc, reinterpret_cast<UINT_PTR>(impl_.get()));
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

Window applicationWindow() { return fromHwnd(win32::messageWindow()); }
Window windowOf(const Control& control) { return fromHwnd(win32::nativeWindow(control)); }

bool setForeground(Window window) { return SetForegroundWindow(toHwnd(window)) != FALSE; }
bool postMessage(Window window, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
  return PostMessageW(toHwnd(window), msg, wParam, lParam) != FALSE;
}
bool isVisible(Window window) { return IsWindowVisible(toHwnd(window)) != FALSE; }
void hide(Window window) { ShowWindow(toHwnd(window), SW_HIDE); }
bool isMinimized(Window window) { return IsIconic(toHwnd(window)) != FALSE; }
void restore(Window window) { ShowWindow(toHwnd(window), SW_RESTORE); }

unsigned registerWindowMessage(const std::string& name) { return RegisterWindowMessageW(wide(name).c_str()); }

unsigned commonControlsVersion() {
  const auto get = win32::systemFunction<DLLGETVERSIONPROC>(GetModuleHandleW(L"comctl32.dll"), "DllGetVersion");
  if (!get) return 0;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof(info);
  if (FAILED(get(&info))) return 0;
  return (info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF);
}

bool cursorPos(Point& at) {
  POINT p;
  if (!GetCursorPos(&p)) return false;
  at = {p.x, p.y};
  return true;
}

bool keyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }
unsigned doubleClickTime() { return GetDoubleClickTime(); }

NativeIcon loadIcon(const std::string& resourceName) {
  const std::wstring name = wide(resourceName);
  // The notification area draws at the system's density, whose small-icon size this is.
  return reinterpret_cast<NativeIcon>(win32::loadIconAtSize(name.c_str(), GetSystemMetrics(SM_CXSMICON)));
}

NativeIcon copyIcon(NativeIcon icon) { return reinterpret_cast<NativeIcon>(CopyIcon(reinterpret_cast<HICON>(icon))); }
void destroyIcon(NativeIcon icon) { DestroyIcon(reinterpret_cast<HICON>(icon)); }

namespace {
template <std::size_t N>
void copyText(WCHAR (&field)[N], const std::string& text) {
  const std::wstring w = wide(text);
  const std::size_t n = std::min(w.size(), N - 1);
  std::copy_n(w.begin(), n, field);
  std::fill(field + n, field + N, L'\0');
}
}  // namespace

bool notifyIcon(NotifyAction action, const NotifyIconData& data) {
  NOTIFYICONDATAW nid{};
  // The record as far as the balloon fields: what every shell since 2000 reads.
  nid.cbSize = NOTIFYICONDATAW_V2_SIZE;
  nid.hWnd = toHwnd(data.window);
  nid.uID = data.id;
  nid.uFlags = data.flags;
  nid.uCallbackMessage = data.callbackMessage;
  nid.hIcon = reinterpret_cast<HICON>(data.icon);
  copyText(nid.szTip, data.tip);
  copyText(nid.szInfo, data.info);
  nid.uTimeout = data.timeoutOrVersion;
  copyText(nid.szInfoTitle, data.infoTitle);
  nid.dwInfoFlags = data.infoFlags;
  const bool ok = Shell_NotifyIconW(static_cast<DWORD>(action), &nid) != FALSE;
  fw::startup_trace::mark("  notification icon");
  return ok;
}

}  // namespace fw::shell
