// The per-screen density calls of newer Windows, looked up at run time: the program also runs
// where they are missing, and there every window has the system's density.
#include "internal.h"

namespace fw::win32 {

int windowDpi(HWND hwnd) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = systemFunction<GetDpiForWindowFunction>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  return getDpiForWindow ? static_cast<int>(getDpiForWindow(hwnd)) : 0;
}

bool frameSizeAtDpi(HWND hwnd, Size client, int dpi, SIZE& frame) {
  using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = systemFunction<AdjustForDpiFunction>(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi");
  if (!adjust) return false;
  RECT r{0, 0, client.width, client.height};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  if (!adjust(&r, style, GetMenu(hwnd) != nullptr, exStyle, static_cast<UINT>(dpi))) return false;
  frame = {r.right - r.left, r.bottom - r.top};
  return true;
}

}  // namespace fw::win32
