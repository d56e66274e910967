// The text caret while a grid is typed into. There is one caret per GUI thread, shared by every
// grid and its editor, and so is whether it is shown: a second hide or show must not unbalance
// the platform's count.
#pragma once

#include "fw/backend.h"

namespace grid::caret {

bool shown();
void show(fw::WidgetPeer& peer);
void hide(fw::WidgetPeer& peer);
// The caret was made anew or destroyed with the focus: hidden, whatever was shown before.
void forget();

}  // namespace grid::caret
