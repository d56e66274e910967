// The in-memory peers' common record, shared by the peer classes (widgets.cpp) and the test
// controls that drive and read them (test_access.cpp).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fw/backend.h"
#include "fw/control.h"
#include "fw/testing/headless.h"
#include "fw/testing/raster_canvas.h"

namespace fw::headless {

// The density of the screen a point lies on (the test-set screens of backend.cpp).
int dpiAt(Point p);

class Widget : public WidgetPeer {
 public:
  Widget(Control& control, int clientEdge) : control_(control), edge_(clientEdge) {}
  ~Widget() override;
  Control& control() const { return control_; }
  // Edits type the characters their handler leaves them, as the platform's edit control does.
  virtual bool typesCharacters() const { return false; }

  void setName(const std::string&) override {}
  void setText(const std::string& text) override { text_ = text; }
  std::string text() const override { return text_; }
  void setBounds(const Rect& r) override;
  Rect bounds() const override { return bounds_; }
  Size clientSize() const override;
  void setClientSize(Size s) override {
    ++changes_.moves;
    bounds_ = Rect::fromSize(bounds_.left, bounds_.top, s.width, s.height);
  }
  void setVisible(bool v) override;
  bool visible() const override { return visible_; }
  void setEnabled(bool) override {}
  void setFont(const Font& f) override;
  void setColor(std::uint32_t color) override { color_ = color; }
  void setHint(const std::string&, bool) override {}
  Size measureText(const std::string& text) const override { return textExtent(text, font_.height); }
  void bringToFront() override { raise(); }
  void setFocus() override;
  void setCapture(bool capture) override;
  bool focused() const override { return focusedWidget() == this; }
  void accessibleEvent(unsigned event, int element) override { accessibleEvents_.push_back({event, element}); }
  void announce(const std::string& text, int element) override { announcements_.push_back({text, element}); }
  void invalidate() override { invalidated_.push_back({0, 0, clientSize().width, clientSize().height}); }
  void invalidateRect(const Rect& r) override { invalidated_.push_back(r); }
  void update() override {}
  void setCursor(int cursor) override { cursor_ = cursor; }
  void paintNow(const std::function<void(Canvas&)>& draw) override;

  void showScrollBar(ScrollBar bar, bool show) override;
  void setScrollRange(ScrollBar bar, int max, int position) override;
  void setScrollPosition(ScrollBar bar, int position) override;
  ScrollInfo scrollInfo(ScrollBar bar) const override { return bars_[index(bar)]; }

  void createCaret(Size size) override { caret_ = {true, false, caret_.at, size}; }
  void destroyCaret() override { caret_ = {}; }
  void showCaret(bool show) override { caret_.shown = caret_.exists && show; }
  void setCaretPos(Point p) override { caret_.at = p; }

  static Widget*& focusedWidget();
  static Widget*& capturedWidget();

  // What tests read back (test_access.cpp).
  std::uint32_t color_ = clWindow;
  std::vector<AccessibleEvent> accessibleEvents_;
  std::vector<Announcement> announcements_;
  std::vector<Rect> invalidated_;
  int cursor_ = 0;
  WindowChanges changes_;
  std::optional<RasterCanvas> drawnNow_;
  Caret caret_;

 protected:
  // A top-level window hears that it was shown or hidden.
  virtual void shownChanged(bool /*shown*/) {}
  // Puts the top-level window this control lives in above all others.
  void raise();
  Control& control_;
  Rect bounds_;

 private:
  static constexpr int kScrollBarSize = 17;
  static int index(ScrollBar bar) { return bar == ScrollBar::Horizontal ? 0 : 1; }
  // Applies a change; when it changed the client size, the control gets its resize handling
  // at once, as the platform's size message arrives.
  template <class F>
  void resizing(F change);

  std::string text_;
  bool visible_ = false;
  Font font_;
  int edge_;
  ScrollInfo bars_[2];
};

// Top-level windows, the front one last.
std::vector<const Control*>& stacking();

inline Widget& widget(const Control& control) { return static_cast<Widget&>(control.peer()); }

}  // namespace fw::headless
