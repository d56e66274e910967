// The input handlers: key, character, mouse, wheel, scroll-bar and focus messages, unpacked by
// the shared switch (widget.cpp), become the control's Control::handle* calls; WM_GETDLGCODE
// asks the control which keys it keeps.
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

}  // namespace

char toCodePage(WPARAM unit) { return narrow(std::wstring(1, static_cast<wchar_t>(unit)))[0]; }

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

bool Win32Widget::onKeyDown(int& key) { return takesKeys() && (control_.handleKeyDown(key, keyShift()) || key == 0); }

// A character the code page cannot hold reaches the handler as '?'; unless the handler
// changes it, the window still gets the character that was typed.
bool Win32Widget::onChar(WPARAM& unit) {
  if (!takesKeys()) return false;
  const char typed = toCodePage(unit);
  char key = typed;
  if (control_.handleKeyPress(key) || key == 0) return true;
  if (key != typed) unit = fromCodePage(key);
  return false;
}

void Win32Widget::onMouseDown(MouseButton button, ShiftState shift, Point at) { control_.handleMouseDown(button, shift, at); }
void Win32Widget::onMouseUp(MouseButton button, Point at) { control_.handleMouseUp(button, at); }
void Win32Widget::onMouseMove(ShiftState shift, Point at) { control_.handleMouseMove(shift, at); }

// The wheel message goes to the focused window with the pointer in screen coordinates.
bool Win32Widget::onMouseWheel(int delta, ShiftState shift, Point screen) {
  POINT p{screen.x, screen.y};
  ScreenToClient(hwnd(), &p);
  return control_.handleMouseWheel(delta, shift, {p.x, p.y});
}

void Win32Widget::onScroll(ScrollBar bar, int code, WORD carried) {
  control_.handleScroll(bar, code, scrollMessagePosition(bar, code, carried));
}

void Win32Widget::onSetFocus() { control_.handleFocusGained(); }

void Win32Widget::onKillFocus(HWND next) {
  Win32Widget* w = widgetOf(next);
  control_.handleFocusLost(w ? &w->control() : nullptr);
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

LRESULT Win32Widget::onGetDlgCode(LRESULT standard, const MSG* message) const {
  const bool keyMessage = message && message->message == WM_KEYDOWN;
  const int key = keyMessage ? static_cast<int>(message->wParam) : 0;
  LRESULT code = standard;
  if (control_.wantsCharacters()) code |= DLGC_WANTCHARS;
  // The program's forms have no default button: Enter belongs to the focused control.
  if (keyMessage && (control_.wantsNavigationKey(key) || (key == VK_RETURN && keepsReturn()))) code |= DLGC_WANTMESSAGE;
  return code;
}

}  // namespace fw::win32
