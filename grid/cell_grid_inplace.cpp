// TCellInplace, the one-line editor laid over the current cell: it writes the cell on every
// change of its text, so there is nothing to commit or cancel when it closes.
#include "cell_grid.h"

namespace grid {

TCellInplace::TCellInplace(TCellGrid& grid) : fw::Edit(nullptr, &grid), grid_(grid) {
  hide();
  setBounds(fw::Rect::fromSize(-200, -200, 100, 20));
}

void TCellInplace::HideEditor() {
  if (visible()) hide();
  grid_.editorActive_ = false;
}

void TCellInplace::ShowEditorAt(int, int) {}
void TCellInplace::SetEditorAlignment(THorzAlign) {}
void TCellInplace::handleChange() { fw::Edit::handleChange(); }
bool TCellInplace::handleKeyDown(int& key, fw::ShiftState shift) { return fw::Edit::handleKeyDown(key, shift); }
bool TCellInplace::handleKeyPress(char& key) { return fw::Edit::handleKeyPress(key); }

}  // namespace grid
