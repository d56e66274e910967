// The system's own controls where the framework adds little: labels, check boxes, buttons,
// group boxes, progress bars and memos.
#include "widget.h"

namespace fw::win32 {
namespace {

// Labels and buttons report a click through their parent's WM_COMMAND.
class ClickableWidget : public Win32Widget {
 public:
  ClickableWidget(Control& control, Win32Widget* parent, WORD clickCode)
      : Win32Widget(control, parent), clickCode_(clickCode) {}

 private:
  void notified(WORD code) override {
    if (code == clickCode_) control_.handleClick();
  }
  WORD clickCode_;
};

// A static control does not repaint its old text away when the text changes.
class LabelWidget final : public ClickableWidget {
 public:
  LabelWidget(Control& control, Win32Widget* parent) : ClickableWidget(control, parent, STN_CLICKED) {
    createChild(L"STATIC", SS_NOPREFIX | SS_LEFT | SS_NOTIFY);
  }
  void setText(const std::string& text) override {
    Win32Widget::setText(text);
    InvalidateRect(hwnd(), nullptr, TRUE);
  }
};

class ButtonWidget final : public ClickableWidget {
 public:
  ButtonWidget(Control& control, Win32Widget* parent) : ClickableWidget(control, parent, BN_CLICKED) {
    createChild(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP);
  }
};

class CheckBoxWidget final : public ClickableWidget, public CheckPeer {
 public:
  CheckBoxWidget(Control& control, Win32Widget* parent) : ClickableWidget(control, parent, BN_CLICKED) {
    createChild(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP);
  }
  void setChecked(bool checked) override {
    SendMessageW(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  bool checked() const override { return SendMessageW(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
};

// A group box paints only its frame and caption: the inside shows its parent's background.
class GroupBoxWidget final : public Win32Widget {
 public:
  GroupBoxWidget(Control& control, Win32Widget* parent) : Win32Widget(control, parent) {
    createChild(L"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
  }
  void setText(const std::string& text) override {
    Win32Widget::setText(text);
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

 private:
  bool showsParentBackground() const override { return true; }
  // Without this the inside would stay whatever was there.
  bool onEraseBackground(HDC dc) override {
    fillClient(dc, background_ ? background_.get() : backgroundOwner().backgroundBrush());
    return true;
  }
};

class ProgressBarWidget final : public Win32Widget, public ProgressPeer {
 public:
  ProgressBarWidget(Control& control, Win32Widget* parent, const WidgetStyle& style) : Win32Widget(control, parent) {
    createChild(PROGRESS_CLASSW, style.smooth ? PBS_SMOOTH : 0);
  }
  void setRange(int min, int max) override { SendMessageW(hwnd(), PBM_SETRANGE32, min, max); }
  // The bar paints itself at once on every change of position (PBM_SETPOS updates the window
  // before it returns), and a themed bar's paint is costly: a burst of level reports would paint
  // every intermediate value. Drawing is held while the position changes, and the bar is painted
  // in the next paint cycle, once for however many changes came before it.
  void setPosition(int position) override {
    if (position == this->position()) return;
    // Turning drawing back on shows a window: a hidden bar paints nothing anyway.
    const bool shown = (GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown) SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd(), PBM_SETPOS, position, 0);
    if (!shown) return;
    SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
  int position() const override { return static_cast<int>(SendMessageW(hwnd(), PBM_GETPOS, 0, 0)); }
  void setSmooth(bool smooth) override {
    LONG_PTR style = GetWindowLongPtrW(hwnd(), GWL_STYLE);
    style = smooth ? (style | PBS_SMOOTH) : (style & ~static_cast<LONG_PTR>(PBS_SMOOTH));
    SetWindowLongPtrW(hwnd(), GWL_STYLE, style);
    InvalidateRect(hwnd(), nullptr, TRUE);
  }
};

class MemoWidget final : public Win32Widget {
 public:
  MemoWidget(Control& control, Win32Widget* parent, const WidgetStyle& style) : Win32Widget(control, parent) {
    createChild(L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | WS_TABSTOP | (style.readOnly ? ES_READONLY : 0) |
                             (style.border ? WS_BORDER : 0));
  }

 private:
  // A multi-line edit in a window that takes dialog keys closes its parent on Escape; a memo
  // leaves its window alone.
  bool onKeyDown(int& key) override { return key == VK_ESCAPE || Win32Widget::onKeyDown(key); }
};

}  // namespace

std::unique_ptr<Win32Widget> makeSystemWidget(WidgetKind kind, Control& control, Win32Widget* parent,
                                              const WidgetStyle& style) {
  switch (kind) {
    case WidgetKind::Label: return std::make_unique<LabelWidget>(control, parent);
    case WidgetKind::Button: return std::make_unique<ButtonWidget>(control, parent);
    case WidgetKind::CheckBox: return std::make_unique<CheckBoxWidget>(control, parent);
    case WidgetKind::GroupBox: return std::make_unique<GroupBoxWidget>(control, parent);
    case WidgetKind::ProgressBar: return std::make_unique<ProgressBarWidget>(control, parent, style);
    case WidgetKind::Memo: return std::make_unique<MemoWidget>(control, parent, style);
    default: throw std::logic_error("not a system control");
  }
}

}  // namespace fw::win32
