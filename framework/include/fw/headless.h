// Test controls of the headless backend (native builds only): a settable screen, a clock that
// tests advance, and a look at what the in-memory widgets hold.
#pragma once

#include <string>
#include <vector>

#include "fw/backend.h"

namespace fw::headless {

void setScreen(Size size, int dpi);
void setResourceDir(const std::string& dir);
// Advances the virtual clock, running the timers that fall due, in order.
void advanceTime(unsigned ms);
int liveTimers();
bool quitRequested();
bool applicationBroughtToFront();
std::vector<std::string> reportedErrors();
// Text metrics are fixed so that layout arithmetic can be checked exactly: every character
// is half the font height wide (at least 1 pixel) and one font height high.
Size textExtent(const std::string& text, int fontHeight);

}  // namespace fw::headless
