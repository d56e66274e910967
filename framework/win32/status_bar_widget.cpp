// Status bars: one simple pane; the bar places itself at the bottom of its window.
#include "widget.h"

namespace fw::win32 {
namespace {

class StatusBarWidget final : public Win32Widget {
 public:
  StatusBarWidget(Control& control, Win32Widget* parent) : Win32Widget(control, parent) {
    createChild(STATUSCLASSNAMEW, CCS_BOTTOM | SBARS_SIZEGRIP);
    SendMessageW(hwnd(), SB_SIMPLE, TRUE, 0);
  }

  void setText(const std::string& text) override {
    SendMessageW(hwnd(), SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide(text).c_str()));
  }

  // A status bar places itself at the bottom and takes the height its font needs, or the
  // given one when that is more; its borders come on top of the minimum it is told.
  void setBounds(const Rect& r) override {
    SendMessageW(hwnd(), SB_SETMINHEIGHT, r.height(), 0);
    SendMessageW(hwnd(), WM_SIZE, 0, 0);
    const int extra = bounds().height() - r.height();
    if (extra > 0 && extra < r.height()) {
      SendMessageW(hwnd(), SB_SETMINHEIGHT, r.height() - extra, 0);
      SendMessageW(hwnd(), WM_SIZE, 0, 0);
    }
  }
};

}  // namespace

std::unique_ptr<Win32Widget> makeStatusBarWidget(Control& control, Win32Widget* parent) {
  return std::make_unique<StatusBarWidget>(control, parent);
}

}  // namespace fw::win32
