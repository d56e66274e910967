// The in-memory peers: one record for every kind, and a small class for each kind that
// answers a narrower peer interface (forms, edits, check boxes, progress bars, images).
#include "widgets.h"

#include <algorithm>
#include <utility>

#include "fw/application.h"
#include "fw/controls.h"
#include "fw/form.h"

namespace fw::headless {

// Top-level windows, the front one last. Never freed: forms that the application still holds
// at exit leave it after every other static is gone.
std::vector<const Control*>& stacking() {
  static auto* windows = new std::vector<const Control*>;
  return *windows;
}

Widget::~Widget() {
  std::erase(stacking(), &control_);
  if (focusedWidget() == this) focusedWidget() = nullptr;
  if (capturedWidget() == this) capturedWidget() = nullptr;
}

Widget*& Widget::focusedWidget() {
  static Widget* focused = nullptr;
  return focused;
}

Widget*& Widget::capturedWidget() {
  static Widget* captured = nullptr;
  return captured;
}

template <class F>
void Widget::resizing(F change) {
  const Size before = clientSize();
  change();
  if (clientSize() != before) Application::guard([this] { control_.handleResize(); });
}

void Widget::setBounds(const Rect& r) {
  ++changes_.moves;
  resizing([&] { bounds_ = r; });
}

// Counted as the real peer makes a font: only for another face (the colour is not the font's).
void Widget::setFont(const Font& f) {
  Font face = f;
  face.color = font_.color;
  if (changes_.fonts == 0 || !(face == font_)) ++changes_.fonts;
  font_ = f;
}

// Inside the client edge and beside the scroll bars that are shown.
Size Widget::clientSize() const {
  const int bar = kScrollBarSize;
  return {std::max(0, bounds_.width() - 2 * edge_ - (bars_[1].visible ? bar : 0)),
          std::max(0, bounds_.height() - 2 * edge_ - (bars_[0].visible ? bar : 0))};
}

void Widget::setVisible(bool v) {
  const bool changed = v != visible_;
  visible_ = v;
  if (changed) shownChanged(v);
}

// The window that loses the focus hears of it first, then the one that gets it.
void Widget::setFocus() {
  Widget* old = focusedWidget();
  if (old == this) return;
  focusedWidget() = this;
  if (old) Application::guard([&] { old->control_.handleFocusLost(&control_); });
  if (focusedWidget() == this) Application::guard([this] { control_.handleFocusGained(); });
}

void Widget::setCapture(bool capture) {
  if (capture) {
    capturedWidget() = this;
  } else if (capturedWidget() == this) {
    capturedWidget() = nullptr;
  }
}

// What is drawn outside the paint cycle lands on a surface that tests take.
void Widget::paintNow(const std::function<void(Canvas&)>& draw) {
  const Size client = clientSize();
  if (!drawnNow_ || drawnNow_->width() != client.width || drawnNow_->height() != client.height)
    drawnNow_.emplace(client.width, client.height);
  draw(*drawnNow_);
}

void Widget::showScrollBar(ScrollBar bar, bool show) {
  resizing([&] { bars_[index(bar)].visible = show; });
}

// As the platform does: a range change shows the bar when the range is not empty and hides
// it when it is; the position is held inside the range.
void Widget::setScrollRange(ScrollBar bar, int max, int position) {
  ScrollInfo& b = bars_[index(bar)];
  const bool rangeChanged = b.min != 0 || b.max != max;
  b.min = 0;
  b.max = max;
  b.position = std::clamp(position, b.min, std::max(b.min, b.max));
  if (rangeChanged) resizing([&] { b.visible = b.max > b.min; });
}

void Widget::setScrollPosition(ScrollBar bar, int position) {
  ScrollInfo& b = bars_[index(bar)];
  b.position = std::clamp(position, b.min, std::max(b.min, b.max));
}

void Widget::raise() {
  const Control* top = &control_;
  while (top->parent()) top = top->parent();
  std::erase(stacking(), top);
  stacking().push_back(top);
}

namespace {

class FormWidget final : public Widget, public FormPeer {
 public:
  explicit FormWidget(Control& control) : Widget(control, 0) {}
  void setMenu(const std::vector<MenuItem*>*) override {}
  void setDpi(int) override {}
  int windowDpi() const override { return headless::dpiAt({bounds_.left, bounds_.top}); }
  void setIcon(const std::string& resource) override { icon_ = resource; }
  void centerOnScreen() override {
    const Size s = backend::screenSize();
    bounds_ = Rect::fromSize((s.width - bounds_.width()) / 2, (s.height - bounds_.height()) / 2, bounds_.width(),
                             bounds_.height());
  }
  std::string icon_;

 private:
  void shownChanged(bool shown) override {
    auto& form = static_cast<Form&>(control_);
    if (!shown) {
      form.handleHidden();
      return;
    }
    raise();  // as a window that the system shows comes up in front
    Application::guard([&form] { form.handleShown(); });
  }
};

// An edit reports every change of its text, also one made by the program, as the platform's
// edit control does.
class EditWidget final : public Widget, public EditPeer {
 public:
  EditWidget(Control& control) : Widget(control, 0) {}
  bool typesCharacters() const override { return true; }
  void setText(const std::string& text) override {
    Widget::setText(text);
    Application::guard([this] { static_cast<Edit&>(control_).handleChange(); });
  }
  void setTextAlignment(TextAlign align) override { alignment_ = align; }
  TextAlign alignment_ = TextAlign::Left;
};

class CheckWidget final : public Widget, public CheckPeer {
 public:
  explicit CheckWidget(Control& control) : Widget(control, 0) {}
  void setChecked(bool c) override { checked_ = c; }
  bool checked() const override { return checked_; }

 private:
  bool checked_ = false;
};

class ProgressWidget final : public Widget, public ProgressPeer {
 public:
  explicit ProgressWidget(Control& control) : Widget(control, 0) {}
  void setRange(int min, int max) override {
    min_ = min;
    max_ = max;
  }
  // The platform's bar holds positions at the nearer end of its range; so does this one.
  void setPosition(int p) override { position_ = std::clamp(p, min_, std::max(min_, max_)); }
  int position() const override { return position_; }
  void setSmooth(bool) override {}

 private:
  int min_ = 0, max_ = 100, position_ = 0;
};

class ImageWidget final : public Widget, public PicturePeer {
 public:
  explicit ImageWidget(Control& control) : Widget(control, 0) {}
  void setPicture(std::shared_ptr<const Bitmap> picture) override { picture_ = std::move(picture); }

 private:
  std::shared_ptr<const Bitmap> picture_;
};

constexpr int kClientEdge = 2;

}  // namespace

TextAlign textAlignmentOf(const Control& control) {
  const auto* edit = dynamic_cast<const EditWidget*>(&control.peer());
  return edit ? edit->alignment_ : TextAlign::Left;
}

std::string iconOf(const Form& form) { return static_cast<const FormWidget&>(form.peer()).icon_; }

}  // namespace fw::headless

namespace fw {

std::unique_ptr<WidgetPeer> createWidget(WidgetKind kind, Control& control, WidgetPeer*, const WidgetStyle& style) {
  using namespace headless;
  switch (kind) {
    case WidgetKind::Form: return std::make_unique<FormWidget>(control);
    case WidgetKind::Edit: return std::make_unique<EditWidget>(control);
    case WidgetKind::CheckBox: return std::make_unique<CheckWidget>(control);
    case WidgetKind::ProgressBar: return std::make_unique<ProgressWidget>(control);
    case WidgetKind::Image: return std::make_unique<ImageWidget>(control);
    case WidgetKind::Custom: return std::make_unique<Widget>(control, style.border ? kClientEdge : 0);
    default: return std::make_unique<Widget>(control, 0);
  }
}

}  // namespace fw
