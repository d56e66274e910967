// What the two picture windows (connection guide and recommended settings) share.
#pragma once

#include "fw/form.h"

namespace guide {

// Puts the window at (10, 10) and makes it as high as the primary screen less 200 pixels,
// read at the moment of the call. The width is left to the caller.
void placeOnScreen(fw::Form& form);

// Shows a window that may be hidden, behind others or minimised, and brings it to the front.
void showInFront(fw::Form& form);

// Shows the window of the application with that component name in front; nothing when the
// application has no such window (a form created on its own, as in a test).
void showInFront(const char* formName);

constexpr char kEscape = 27;

}  // namespace guide
