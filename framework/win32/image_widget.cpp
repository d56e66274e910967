// Images: a window of the framework's own class that stretches its picture over its client
// area and reports a click on the left button's release.
#include "gdi_canvas.h"
#include "widget.h"

namespace fw::win32 {
namespace {

class ImageWidget final : public Win32Widget, public PicturePeer {
 public:
  ImageWidget(Control& control, Win32Widget* parent) : Win32Widget(control, parent) { createChild(kImageClass, 0); }

  void setPicture(std::shared_ptr<const Bitmap> picture) override {
    picture_ = std::move(picture);
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

  LRESULT windowMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_PAINT:
        paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_LBUTTONUP:
        control_.handleClick();
        break;
      default:
        break;
    }
    return DefWindowProcW(hwnd(), msg, wp, lp);
  }

 private:
  void paint() {
    PaintDC paint(hwnd());
    const HDC dc = paint.get();
    RECT client;
    GetClientRect(hwnd(), &client);
    if (!picture_ || picture_->width <= 0) {
      FillRect(dc, &client, systemBrush(clBtnFace));
      return;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = picture_->width;
    bi.bmiHeader.biHeight = -picture_->height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, picture_->width, picture_->height,
                  picture_->pixels.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
  }

  std::shared_ptr<const Bitmap> picture_;
};

}  // namespace

std::unique_ptr<Win32Widget> makeImageWidget(Control& control, Win32Widget* parent) {
  return std::make_unique<ImageWidget>(control, parent);
}

}  // namespace fw::win32
