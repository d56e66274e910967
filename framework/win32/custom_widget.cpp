// Self-painted controls (fw/custom_control.h): a window of the framework's own class that
// paints every pixel through the control and keeps the keyboard, Return included.
#include "fw/custom_control.h"
#include "gdi_canvas.h"
#include "widget.h"

namespace fw::win32 {
namespace {

class CustomWidget final : public Win32Widget {
 public:
  CustomWidget(Control& control, Win32Widget* parent, const WidgetStyle& style) : Win32Widget(control, parent) {
    createChild(kCustomClass, WS_TABSTOP | (style.scrollBars ? WS_HSCROLL | WS_VSCROLL : 0),
                style.border ? WS_EX_CLIENTEDGE : 0);
  }

  bool takesKeys() const override { return true; }

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
  bool keepsReturn() const override { return true; }
  bool onEraseBackground(HDC) override { return true; }  // the control paints every pixel itself

  void onPaint() {
    PaintDC paint(hwnd());
    GdiCanvas canvas(paint.get());
    static_cast<CustomControl&>(control_).paint(canvas);
  }
};

}  // namespace

std::unique_ptr<Win32Widget> makeCustomWidget(Control& control, Win32Widget* parent, const WidgetStyle& style) {
  return std::make_unique<CustomWidget>(control, parent, style);
}

}  // namespace fw::win32
