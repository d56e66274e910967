// Test controls of the headless backend (native builds only): a settable screen, a clock that
// tests advance, and a look at what the in-memory widgets hold.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fw/backend.h"
#include "fw/raster_canvas.h"

namespace fw {
class CustomControl;
}

namespace fw::headless {

void setScreen(Size size, int dpi);
void setResourceDir(const std::string& dir);
// Advances the virtual clock, running the timers that fall due, in order.
void advanceTime(unsigned ms);
int liveTimers();
bool quitRequested();
bool applicationBroughtToFront();
std::vector<std::string> reportedErrors();
// The repaint requests a control made since the last call, in order (client coordinates).
std::vector<Rect> takeInvalidations(const Control& control);
// Paints a control into memory, all of it or only the given update box.
RasterCanvas paint(CustomControl& control, const Rect* box = nullptr);
int cursorOf(const Control& control);
// What a control drew outside the paint cycle since the last call, on a white surface of its
// client size; nothing when it drew nothing.
std::optional<RasterCanvas> takeDrawnNow(const Control& control);
struct Caret {
  bool exists = false;
  bool shown = false;
  Point at;
  Size size;
};
Caret caretOf(const Control& control);
// The visible top-level window in front of the others (shown or brought to the front last).
const Control* frontWindow();

// Text metrics are fixed so that layout arithmetic can be checked exactly: every character
// is half the font height wide (at least 1 pixel) and one font height high.
Size textExtent(const std::string& text, int fontHeight);

}  // namespace fw::headless
