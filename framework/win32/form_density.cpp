// A form and the screen's density: the size it wants on a screen of another density
// (WM_GETDPISCALEDSIZE), the move there (WM_DPICHANGED), the density of the screen it is on,
// and its icons made at the density it is laid out at.
#include "form_widget.h"

#include "fw/form.h"

namespace fw::win32 {

// Sent to a window aware of each screen's density when it moves to a screen of another
// density: the new density, and the rectangle the window should take there.
int FormWidget::windowDpi() const { return win32::windowDpi(hwnd()); }

bool FormWidget::onGetDpiScaledSize(int dpi, SIZE& frame) const {
  const Form& form = static_cast<const Form&>(control_);
  if (const std::optional<Size> designed = form.designedFrameAt(dpi)) {
    frame = {designed->width, designed->height};
    return true;
  }
  return frameSizeAtDpi(hwnd(), form.clientSizeAt(dpi), dpi, frame);
}

void FormWidget::onDpiChanged(int dpi, const RECT& suggested) {
  static_cast<Form&>(control_).handleDpiChanged(dpi, {suggested.left, suggested.top, suggested.right, suggested.bottom});
}

void FormWidget::setIcon(const std::string& resource) {
  const std::wstring name = wide(resource);
  const int small = smallIconSize(dpi_), big = 2 * small;
  bigIcon_.reset(loadIconAtSize(name.c_str(), big));
  smallIcon_.reset(loadIconAtSize(name.c_str(), small));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

HICON loadIconAtSize(const wchar_t* name, int size) {
  // Common controls 6 (Vista on) scale an icon down from its next bigger image.
  using ScaleDown = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto scaleDown = systemFunction<ScaleDown>(GetModuleHandleW(L"comctl32.dll"), "LoadIconWithScaleDown");
  HICON icon = nullptr;
  if (scaleDown && SUCCEEDED(scaleDown(instance(), name, size, size, &icon)) && icon) return icon;
  return static_cast<HICON>(LoadImageW(instance(), name, IMAGE_ICON, size, size, 0));
}

}  // namespace fw::win32
