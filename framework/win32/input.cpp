// Input cracking: key, character, mouse, wheel, scroll-bar and focus messages become the
// control's Control::handle* calls; WM_GETDLGCODE asks the control which keys it keeps.
#include <windowsx.h>

#include "fw/controls.h"
#include "widget.h"

namespace fw::win32 {
namespace {

WPARAM fromCodePage(char ch) { return wide(std::string(1, ch))[0]; }

// The modifier keys as the thread's keyboard state had them when the message was sent.
ShiftState keyShift() {
  ShiftState s;
  s.shift = GetKeyState(VK_SHIFT) < 0;
  s.ctrl = GetKeyState(VK_CONTROL) < 0;
  s.alt = GetKeyState(VK_MENU) < 0;
  return s;
}

// A mouse message's key flags; Alt is not among them.
ShiftState mouseShift(WPARAM flags) {
  ShiftState s;
  s.shift = (flags & MK_SHIFT) != 0;
  s.ctrl = (flags & MK_CONTROL) != 0;
  s.alt = GetKeyState(VK_MENU) < 0;
  s.left = (flags & MK_LBUTTON) != 0;
  s.right = (flags & MK_RBUTTON) != 0;
  s.middle = (flags & MK_MBUTTON) != 0;
  return s;
}

Point mousePoint(LPARAM lp) { return {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}; }

}  // namespace

char toCodePage(WPARAM unit) { return narrow(std::wstring(1, static_cast<wchar_t>(unit)))[0]; }

bool Win32Widget::inputMessage(UINT msg, WPARAM& wp, LPARAM lp, LRESULT& result) {
  if (recreating_) return false;
  switch (msg) {
    case WM_KEYDOWN: return takesKeys() && keyDown(wp, result);
    case WM_CHAR: return takesKeys() && character(wp, result);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: control_.handleMouseDown(MouseButton::Left, mouseShift(wp), mousePoint(lp)); return false;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: control_.handleMouseDown(MouseButton::Right, mouseShift(wp), mousePoint(lp)); return false;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: control_.handleMouseDown(MouseButton::Middle, mouseShift(wp), mousePoint(lp)); return false;
    case WM_LBUTTONUP: control_.handleMouseUp(MouseButton::Left, mousePoint(lp)); return false;
    case WM_RBUTTONUP: control_.handleMouseUp(MouseButton::Right, mousePoint(lp)); return false;
    case WM_MBUTTONUP: control_.handleMouseUp(MouseButton::Middle, mousePoint(lp)); return false;
    case WM_MOUSEMOVE: control_.handleMouseMove(mouseShift(wp), mousePoint(lp)); return false;
    case WM_MOUSEWHEEL: return wheel(wp, lp, result);
    case WM_HSCROLL:
    case WM_VSCROLL:
      // lParam names the bar control that sent it; zero: the window's own bar.
      if (lp == 0) scrolled(msg == WM_HSCROLL ? ScrollBar::Horizontal : ScrollBar::Vertical, wp);
      return false;
    case WM_SETFOCUS: control_.handleFocusGained(); return false;
    case WM_KILLFOCUS: {
      Win32Widget* next = widgetOf(reinterpret_cast<HWND>(wp));
      control_.handleFocusLost(next ? &next->control() : nullptr);
      return false;
    }
    default: return false;
  }
}

bool Win32Widget::keyDown(WPARAM& wp, LRESULT& result) {
  int key = static_cast<int>(wp);
  if (control_.handleKeyDown(key, keyShift()) || key == 0) {
    result = 0;
    return true;
  }
  wp = static_cast<WPARAM>(key);
  return false;
}

// A character the code page cannot hold reaches the handler as '?'; unless the handler
// changes it, the window still gets the character that was typed.
bool Win32Widget::character(WPARAM& wp, LRESULT& result) {
  const char typed = toCodePage(wp);
  char key = typed;
  if (control_.handleKeyPress(key) || key == 0) {
    result = 0;
    return true;
  }
  if (key != typed) wp = fromCodePage(key);
  return false;
}

// The wheel message goes to the focused window with the pointer in screen coordinates.
bool Win32Widget::wheel(WPARAM wp, LPARAM lp, LRESULT& result) {
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  ScreenToClient(hwnd(), &p);
  const bool taken = control_.handleMouseWheel(GET_WHEEL_DELTA_WPARAM(wp), mouseShift(GET_KEYSTATE_WPARAM(wp)), {p.x, p.y});
  if (taken) result = 0;
  return taken;
}

void Win32Widget::scrolled(ScrollBar bar, WPARAM wp) {
  const int code = LOWORD(wp);
  control_.handleScroll(bar, code, scrollMessagePosition(bar, code, HIWORD(wp)));
}

// A thumb message carries only 16 bits of the position, so a range beyond 32767 could not
// be reached by dragging: the bar's 32-bit tracking position is used instead. A message that
// a program posted while the bar is not tracked finds the current position there; the
// message's own value then holds, widened as the signed number it is.
int Win32Widget::scrollMessagePosition(ScrollBar bar, int code, WORD carried) const {
  const int fromMessage = static_cast<short>(carried);
  if (code != SB_THUMBTRACK && code != SB_THUMBPOSITION) return fromMessage;
  SCROLLINFO si{sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(hwnd(), barCode(bar), &si)) return fromMessage;
  return static_cast<WORD>(si.nTrackPos) == carried ? si.nTrackPos : fromMessage;
}

LRESULT Win32Widget::dialogCode(LRESULT standard, const MSG* message) const {
  const bool keyMessage = message && message->message == WM_KEYDOWN;
  const int key = keyMessage ? static_cast<int>(message->wParam) : 0;
  LRESULT code = standard;
  if (control_.wantsCharacters()) code |= DLGC_WANTCHARS;
  // The program's forms have no default button: Enter belongs to the focused control.
  if (keyMessage && (control_.wantsNavigationKey(key) || (key == VK_RETURN && keepsReturn()))) code |= DLGC_WANTMESSAGE;
  return code;
}

}  // namespace fw::win32
