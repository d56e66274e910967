// Test controls of the headless backend (native builds only): a settable screen, a clock that
// tests advance, and a look at what the in-memory widgets hold.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fw/backend.h"
#include "fw/control.h"
#include "fw/testing/raster_canvas.h"

namespace fw {
class CustomControl;
class Form;
}

namespace fw::headless {

// The primary screen, from the origin; it drops any second screen.
void setScreen(Size size, int dpi);
// A second screen of its own density: a window whose top-left corner lies in `area` is on it.
void addScreen(Rect area, int dpi);
void setResourceDir(const std::string& dir);
// Moves a form's window to a screen of another density, as the platform tells a window that
// is aware of each screen's density: it asks the window the client size it wants there, then
// gives it the new density and a suggested rectangle of that size at its top-left corner.
void moveToDpi(Form& form, int dpi);
// Advances the virtual clock, running the timers that fall due, in order.
void advanceTime(unsigned ms);
int liveTimers();
bool quitRequested();
bool applicationBroughtToFront();
std::vector<std::string> reportedErrors();
// The repaint requests a control made since the last call, in order (client coordinates).
std::vector<Rect> takeInvalidations(const Control& control);
// The accessibility events a control raised since the last call, in order, and what it
// asked to be read out.
struct AccessibleEvent {
  unsigned event = 0;
  int element = 0;
  friend bool operator==(const AccessibleEvent&, const AccessibleEvent&) = default;
};
std::vector<AccessibleEvent> takeAccessibleEvents(const Control& control);
struct Announcement {
  std::string text;
  int element = 0;
  friend bool operator==(const Announcement&, const Announcement&) = default;
};
std::vector<Announcement> takeAnnouncements(const Control& control);
// Paints a control into memory, all of it or only the given update box.
RasterCanvas paint(CustomControl& control, const Rect* box = nullptr);
int cursorOf(const Control& control);
// How often a control's window was placed (moved or sized) and given a font of another face
// since it was made: each is a round trip to the window system in the real backend.
struct WindowChanges {
  int moves = 0;
  int fonts = 0;
};
WindowChanges windowChanges(const Control& control);
// The background colour last set on a control's window, and an edit's text alignment.
std::uint32_t colorOf(const Control& control);
TextAlign textAlignmentOf(const Control& control);
// The icon resource a form's window shows; empty when the layout gave it none.
std::string iconOf(const Form& form);
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

// Input delivered to a control's window as the platform delivers it: the control's handler
// first; then, for an edit whose handler did not eat it, the edit's own typing (a character is
// appended at the end, Backspace takes the last one off, and the change is reported).
void keyDown(Control& control, int key, ShiftState shift = {});
void character(Control& control, char ch);
void typeText(Control& control, const std::string& text);
// A press carries its own button in the shift state; a move carries what the test says is held.
void mouseDown(Control& control, MouseButton button, Point at, ShiftState shift = {});
void mouseMove(Control& control, Point at, ShiftState shift = {});
void mouseUp(Control& control, MouseButton button, Point at);
// True when the control took the wheel message.
bool mouseWheel(Control& control, int delta, Point at = {});
void scrollBar(Control& control, ScrollBar bar, int code, int position = 0);
// The control that holds the mouse capture, or null.
const Control* captured();
// Empties the clipboard: afterwards it holds no text at all.
void clearClipboard();
// The control that has the keyboard focus, or null.
const Control* focused();

// Text metrics are fixed so that layout arithmetic can be checked exactly: every character
// is half the font height wide (at least 1 pixel) and one font height high.
Size textExtent(const std::string& text, int fontHeight);

}  // namespace fw::headless
