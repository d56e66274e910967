#include "grid_caret.h"

namespace grid::caret {
namespace {
bool isShown = false;
}  // namespace

bool shown() { return isShown; }

void show(fw::WidgetPeer& peer) {
  if (!isShown) peer.showCaret(true);
  isShown = true;
}

void hide(fw::WidgetPeer& peer) {
  if (isShown) peer.showCaret(false);
  isShown = false;
}

void forget() { isShown = false; }

}  // namespace grid::caret
