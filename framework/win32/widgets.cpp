// Where a message enters the framework: the window procedures of the framework's window
// classes and the subclass of the system's controls, each with the one error guard of its
// window; and the factory that makes the widget class for a kind of control.
//
//   window procedure (the framework's classes) / subclass (system classes' children)
//     →  Win32Widget::message  (widget.h): a kind's own switch, in its class, for its own
//        messages: form_widget.cpp (+ form_density.cpp), image_widget.cpp, custom_widget.cpp
//     →  its default, Win32Widget::sharedMessage (widget.cpp): the one switch of the messages
//        every kind may get, calling typed handlers (input ones in input.cpp) that a kind
//        overrides where it differs (edit_widget.cpp, system_widgets.cpp ...)
//     →  what is not taken goes to the system: DefWindowProc or the class's own procedure
#include <algorithm>
#include <cwchar>
#include <exception>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <vector>

#include "fw/application.h"
#include "widget.h"

namespace fw::win32 {

const wchar_t kFormClass[] = L"ZelvoraForm";
const wchar_t kImageClass[] = L"ZelvoraImage";
const wchar_t kCustomClass[] = L"ZelvoraControl";

namespace {

// The one error guard of a window: an error that escapes a handler goes to the application's
// error handling (Application::guard) and never into the system, which called us. The message
// then gets the system's handling, as it would without the control, except that a close
// request is not taken as one: a form's close went through its own handler, and a control's
// window is never destroyed by a message.
template <class Handle, class System>
LRESULT guarded(UINT msg, Handle handle, System system) {
  try {
    return handle();
  } catch (...) {
    Application::guard([error = std::current_exception()] { std::rethrow_exception(error); });
  }
  return msg == WM_CLOSE ? 0 : system();
}

// The widget is known from the first message on: CreateWindowExW passes it in.
Win32Widget* attach(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* w = static_cast<Win32Widget*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    return nullptr;  // not yet constructed far enough to take messages
  }
  return reinterpret_cast<Win32Widget*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// A message through its widget, then (unless taken) the system's handling, within the one
// error guard. `system` is called with hwnd, never through the widget: a handler may have
// destroyed it.
template <class System>
LRESULT route(Win32Widget& w, UINT msg, WPARAM wp, LPARAM lp, System system) {
  const WPARAM received = wp;
  return guarded(
      msg,
      [&] {
        LRESULT result = 0;
        return w.message(msg, wp, lp, result) ? result : system(wp);
      },
      [&] { return system(received); });
}

// The procedure of the framework's own window classes (forms, images, custom controls).
LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Win32Widget* w = attach(hwnd, msg, lp);
  if (!w || !w->hwnd()) return DefWindowProcW(hwnd, msg, wp, lp);
  return route(*w, msg, wp, lp, [&](WPARAM passed) { return DefWindowProcW(hwnd, msg, passed, lp); });
}

// Every window of the framework's widgets, in the program's own memory. A message looks its
// widget up here at no cost, where a window property (or the common controls' subclass, which
// keeps its chain in one) costs a round trip to the window system for every message of every
// control. Windows belong to the GUI thread, and so does this.
struct WindowEntry {
  Win32Widget* widget = nullptr;  // null once the widget is gone and its window is going
  WNDPROC systemProc = nullptr;   // a system class's child: the procedure its messages end in
};

std::unordered_map<HWND, WindowEntry>& knownWindows() {
  static auto* windows = new std::unordered_map<HWND, WindowEntry>;  // outlives every window
  return *windows;
}

// A system class's child's messages, before its class's own procedure.
LRESULT CALLBACK childProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const auto found = knownWindows().find(hwnd);
  if (found == knownWindows().end()) return DefWindowProcW(hwnd, msg, wp, lp);
  const WNDPROC system = found->second.systemProc;
  Win32Widget* w = found->second.widget;
  if (msg == WM_NCDESTROY) {  // the window's last message: nothing is known of it after this
    knownWindows().erase(found);
    return CallWindowProcW(system, hwnd, msg, wp, lp);
  }
  if (!w) return CallWindowProcW(system, hwnd, msg, wp, lp);
  return route(*w, msg, wp, lp, [&](WPARAM passed) { return CallWindowProcW(system, hwnd, msg, passed, lp); });
}

// Cursors registered by number; owned for the life of the program as the system owns its own.
std::vector<std::pair<int, HCURSOR>>& registeredCursors() {
  static std::vector<std::pair<int, HCURSOR>> cursors;
  return cursors;
}

}  // namespace


Win32Widget* widgetOf(HWND hwnd) {
  const auto found = knownWindows().find(hwnd);
  return found == knownWindows().end() ? nullptr : found->second.widget;
}

void adoptWindow(HWND hwnd, Win32Widget& widget) { knownWindows()[hwnd] = {&widget, nullptr}; }

void subclassSystemWindow(HWND hwnd) {
  knownWindows()[hwnd].systemProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(childProc)));
}

void releaseWindow(HWND hwnd) {
  const auto found = knownWindows().find(hwnd);
  if (found == knownWindows().end()) return;
  WindowEntry& entry = found->second;
  entry.widget = nullptr;
  // A window subclassed after ours (a tooltip's tool) still passes its messages through
  // childProc: the entry then stays until the window's last message.
  if (entry.systemProc && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != childProc) return;
  if (entry.systemProc) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.systemProc));
  knownWindows().erase(found);
}

LRESULT callSystemProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const auto found = knownWindows().find(hwnd);
  const WNDPROC system = found == knownWindows().end() ? nullptr : found->second.systemProc;
  return system ? CallWindowProcW(system, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

bool isFrameworkClass(const wchar_t* windowClass) {
  for (const wchar_t* ours : {kFormClass, kImageClass, kCustomClass})
    if (std::wcscmp(windowClass, ours) == 0) return true;
  return false;
}

HCURSOR cursorHandle(int number) {
  const struct {
    int number;
    LPCWSTR id;
  } system[] = {{-2, IDC_ARROW}, {-3, IDC_CROSS}, {-4, IDC_IBEAM}, {-7, IDC_SIZENS}, {-9, IDC_SIZEWE},
                {-11, IDC_WAIT}, {-21, IDC_HAND},
                // crHSplit: the system has no splitter shape; the west-east arrows say the same.
                {-14, IDC_SIZEWE}};
  for (const auto& s : system)
    if (s.number == number) return LoadCursorW(nullptr, s.id);
  for (const auto& [n, c] : registeredCursors())
    if (n == number) return c;
  return nullptr;
}

void registerWindowClasses() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = windowProc;
  wc.lpszClassName = kFormClass;
  wc.hIcon = LoadIconW(instance(), L"MAINICON");
  RegisterClassExW(&wc);
  wc.hIcon = nullptr;
  wc.lpszClassName = kImageClass;
  RegisterClassExW(&wc);
  wc.lpszClassName = kCustomClass;
  RegisterClassExW(&wc);
}

HWND nativeWindow(const Control& control) { return static_cast<Win32Widget&>(control.peer()).hwnd(); }

IAccessible* accessibleObjectOf(const Control& control) { return static_cast<Win32Widget&>(control.peer()).accessibleRoot(); }

}  // namespace fw::win32

namespace fw {

void backend::registerCursor(int number, const std::string& resourceName) {
  HCURSOR c = static_cast<HCURSOR>(
      LoadImageW(win32::instance(), win32::wide(resourceName).c_str(), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  if (!c) throw std::runtime_error("the cursor '" + resourceName + "' is missing from the program");
  auto& cursors = win32::registeredCursors();
  std::erase_if(cursors, [number](const auto& e) { return e.first == number; });
  cursors.emplace_back(number, c);
}

std::unique_ptr<WidgetPeer> createWidget(WidgetKind kind, Control& control, WidgetPeer* parent, const WidgetStyle& style) {
  using namespace win32;
  auto* parentWidget = static_cast<Win32Widget*>(parent);
  switch (kind) {
    case WidgetKind::Form: return makeFormWidget(control);
    case WidgetKind::Edit: return makeEditWidget(control, parentWidget, style);
    case WidgetKind::StatusBar: return makeStatusBarWidget(control, parentWidget);
    case WidgetKind::Image: return makeImageWidget(control, parentWidget);
    case WidgetKind::Custom: return makeCustomWidget(control, parentWidget, style);
    default: return makeSystemWidget(kind, control, parentWidget, style);
  }
}

}  // namespace fw
