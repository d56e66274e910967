// Shared between the win32 backend's files.
#pragma once

#include <windows.h>

#include <string>

#include "fw/backend.h"
#include "fw/win32/native.h"

namespace fw::win32 {

class Win32Widget;

// The widget behind a window this backend created; null for foreign windows.
Win32Widget* widgetOf(HWND hwnd);
HINSTANCE instance();
void registerWindowClasses();
// Key preview: gives a form that asks for it the characters typed in any of its controls.
// True when the form consumed the character.
bool previewCharacter(const MSG& msg);
// Escape and Return, which the dialog manager would take for itself (cancel, default button),
// go to a form with key preview as characters first: true for such a key press.
bool previewBeforeDialogKeys(const MSG& msg);
// Shows a top-level window in front, restored if it was minimised and made the active one:
// the one way the program brings a window forward.
void showInFront(HWND top);
// One UTF-16 unit of a character message as the program's 8-bit text.
char toCodePage(WPARAM unit);
HBRUSH systemBrush(Color c);
// An icon resource at a square size, scaled down from a bigger image of the icon when it has
// none of that size (smoother than the nearest image stretched).
HICON loadIconAtSize(const wchar_t* name, int size);
COLORREF toColorRef(Color c);
// A function of a system DLL that older Windows may lack, looked up at run time; null when the
// module or the function is missing.
template <class Function>
Function systemFunction(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
// Sent before WM_DPICHANGED by Windows 10 1703 and later; its headers name it only for
// programs that require that version.
inline constexpr UINT kGetDpiScaledSize = 0x02E4;  // WM_GETDPISCALEDSIZE
// The density of the screen a window is on, as Windows gives it to this window; 0 where
// Windows cannot say (before Windows 10), where every window has the system's density.
int windowDpi(HWND hwnd);
// The frame size around a client size at a density, for the window's styles and menu bar;
// false where Windows cannot compute it for another density than the system's.
bool frameSizeAtDpi(HWND hwnd, Size client, int dpi, SIZE& frame);

}  // namespace fw::win32
