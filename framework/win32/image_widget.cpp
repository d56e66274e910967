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

  bool message(UINT msg, WPARAM& wp, LPARAM lp, LRESULT& result) override {
    switch (msg) {
      case WM_PAINT:
        onPaint();
        result = 0;
        return true;
      default: return sharedMessage(msg, wp, lp, result);
    }
  }

 private:
  bool onEraseBackground(HDC) override { return true; }  // the picture covers the whole window
  void onMouseUp(MouseButton button, Point at) override {
    Win32Widget::onMouseUp(button, at);
    if (button == MouseButton::Left) control_.handleClick();
  }

  void onPaint() {
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
