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

}  // namespace fw::win32
