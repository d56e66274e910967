// Single-line edits: their change notice, their own background colour, and the alignment that
// needs a new window.
#include "fw/controls.h"
#include "widget.h"

namespace fw::win32 {
namespace {

DWORD alignmentStyle(TextAlign align) {
  return align == TextAlign::Center ? ES_CENTER : align == TextAlign::Right ? ES_RIGHT : ES_LEFT;
}

class EditWidget final : public Win32Widget, public EditPeer {
 public:
  EditWidget(Control& control, Win32Widget* parent, const WidgetStyle& style)
      : Win32Widget(control, parent), ownColors_(!style.parentColor) {
    if (ownColors_) color_ = clWindow;
    createChild(L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, style.border ? WS_EX_CLIENTEDGE : 0);
  }

  bool takesKeys() const override { return true; }

  void setTextAlignment(TextAlign align) override {
    if (align == alignment_) return;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
    recreateWindow((style & ~static_cast<DWORD>(ES_CENTER | ES_RIGHT)) | alignmentStyle(align));
    alignment_ = align;
  }

 private:
  void notified(WORD code) override {
    if (code == EN_CHANGE && !recreating_) static_cast<Edit&>(control_).handleChange();
  }

  // With a background of its own, the edit paints it and its text in the font's colour.
  HBRUSH paintColors(UINT msg, HDC dc) override {
    if (!ownColors_) return Win32Widget::paintColors(msg, dc);
    SetTextColor(dc, toColorRef(font_.color));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, toColorRef(color_));
    return backgroundBrush();
  }

  // Some styles of the system's controls count only when the window is created: a new window
  // with the style takes the old one's place in the parent (bounds, stacking, visibility),
  // its text, selection, font and focus, and the properties by which the framework and other
  // programs know it. Its messages meanwhile raise no events: nothing changed for the control.
  void recreateWindow(DWORD style) {
    HWND old = hwnd();
    const Rect r = bounds();
    const std::wstring text = windowText();
    DWORD selStart = 0, selEnd = 0;
    SendMessageW(old, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(old, GWL_EXSTYLE));
    UniqueWindow created(CreateWindowExW(ex, L"EDIT", text.c_str(), style & ~static_cast<DWORD>(WS_VISIBLE), r.left,
                                         r.top, r.width(), r.height(), GetParent(old), nullptr, instance(), nullptr));
    if (!created) throw std::runtime_error("the window could not be created (error " + std::to_string(GetLastError()) + ")");
    SendMessageW(created.get(), WM_SETFONT, reinterpret_cast<WPARAM>(hfont_.get()), FALSE);
    SendMessageW(created.get(), EM_SETSEL, selStart, selEnd);
    recreating_ = true;
    replaceWindow(std::move(created), (style & WS_VISIBLE) != 0);
    recreating_ = false;
  }

  bool ownColors_;  // paints the background set by setColor, not the system's
  TextAlign alignment_ = TextAlign::Left;
};

}  // namespace

std::unique_ptr<Win32Widget> makeEditWidget(Control& control, Win32Widget* parent, const WidgetStyle& style) {
  return std::make_unique<EditWidget>(control, parent, style);
}

}  // namespace fw::win32
