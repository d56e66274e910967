// What Windows-only code above the framework (the device host, the tray icon) may ask of the
// win32 backend. Include only in Windows builds.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "fw/control.h"

namespace fw::win32 {

HWND nativeWindow(const Control& control);
// The application's hidden message window (timers, clipboard ownership, popup menus).
HWND messageWindow();

std::wstring wide(std::string_view cp1254);
std::string narrow(std::wstring_view text);

}  // namespace fw::win32
