// What tests do to the in-memory windows and read back from them: input delivered as the
// platform delivers it, repaint requests, drawings, carets, events, the front window.
#include <utility>

#include "fw/application.h"
#include "fw/custom_control.h"
#include "widgets.h"

namespace fw::headless {

std::vector<AccessibleEvent> takeAccessibleEvents(const Control& control) {
  return std::exchange(widget(control).accessibleEvents_, {});
}

std::vector<Announcement> takeAnnouncements(const Control& control) {
  return std::exchange(widget(control).announcements_, {});
}

std::vector<Rect> takeInvalidations(const Control& control) {
  return std::exchange(widget(control).invalidated_, {});
}

RasterCanvas paint(CustomControl& control, const Rect* box) {
  const Size client = control.clientSize();
  RasterCanvas canvas(client.width, client.height, clWhite, box ? *box : Rect{0, 0, client.width, client.height});
  control.paint(canvas);
  return canvas;
}

const Control* frontWindow() {
  const auto& windows = stacking();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if ((*it)->peer().visible()) return *it;
  return nullptr;
}

int cursorOf(const Control& control) { return widget(control).cursor_; }
WindowChanges windowChanges(const Control& control) { return widget(control).changes_; }
std::uint32_t colorOf(const Control& control) { return widget(control).color_; }
std::optional<RasterCanvas> takeDrawnNow(const Control& control) {
  return std::exchange(widget(control).drawnNow_, std::nullopt);
}

Caret caretOf(const Control& control) { return widget(control).caret_; }

void keyDown(Control& control, int key, ShiftState shift) {
  Application::guard([&] { control.handleKeyDown(key, shift); });
}

void character(Control& control, char ch) {
  bool eaten = false;
  Application::guard([&] { eaten = control.handleKeyPress(ch); });
  if (eaten || !widget(control).typesCharacters()) return;
  std::string text = control.peer().text();
  if (ch == '\b') {
    if (text.empty()) return;
    text.pop_back();
  } else if (static_cast<unsigned char>(ch) >= 32) {
    text.push_back(ch);
  } else {
    return;
  }
  control.peer().setText(text);
}

void typeText(Control& control, const std::string& text) {
  for (char ch : text) character(control, ch);
}

void mouseDown(Control& control, MouseButton button, Point at, ShiftState shift) {
  (button == MouseButton::Left ? shift.left : button == MouseButton::Right ? shift.right : shift.middle) = true;
  Application::guard([&] { control.handleMouseDown(button, shift, at); });
}

void mouseMove(Control& control, Point at, ShiftState shift) {
  Application::guard([&] { control.handleMouseMove(shift, at); });
}

void mouseUp(Control& control, MouseButton button, Point at) {
  Application::guard([&] { control.handleMouseUp(button, at); });
}

bool mouseWheel(Control& control, int delta, Point at) {
  bool taken = false;
  Application::guard([&] { taken = control.handleMouseWheel(delta, {}, at); });
  return taken;
}

void scrollBar(Control& control, ScrollBar bar, int code, int position) {
  Application::guard([&] { control.handleScroll(bar, code, position); });
}

const Control* captured() {
  Widget* w = Widget::capturedWidget();
  return w ? &w->control() : nullptr;
}

const Control* focused() {
  Widget* w = Widget::focusedWidget();
  return w ? &w->control() : nullptr;
}

}  // namespace fw::headless
