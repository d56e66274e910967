// TCellInplace, the one-line editor laid over the current cell: it writes the cell on every
// change of its text, so there is nothing to commit or cancel when it closes.
#include "cell_grid.h"
#include "grid_caret.h"

namespace grid {
namespace {

fw::TextAlign textAlignOf(THorzAlign a) {
  switch (a) {
    case haCenter: return fw::TextAlign::Center;
    case haRight: return fw::TextAlign::Right;
    case haLeft: break;
  }
  return fw::TextAlign::Left;
}

// The keys that close the editor and hand the keyboard back to the grid.
bool closesEditor(int key) { return key == vk::Return || key == vk::Escape || key == vk::Up || key == vk::Down; }

}  // namespace

// Owned by the grid, not by a form: the grid frees it before its own window goes. The cell's
// colour is set on every opening, so the parent's background must not show through.
TCellInplace::TCellInplace(TCellGrid& grid)
    : fw::Edit(nullptr, &grid, fw::WidgetStyle{.border = false, .parentColor = false}), grid_(grid) {
  hide();
  setBounds(fw::Rect::fromSize(-200, -200, 100, 20));
}

void TCellInplace::HideEditor() {
  if (visible()) hide();
  open_ = false;
}

void TCellInplace::SetEditorAlignment(THorzAlign a) {
  if (a == alignment_) return;
  alignment_ = a;
  // The platform re-creates the window for a new alignment; only do that when it changed.
  peer<fw::EditPeer>().setTextAlignment(textAlignOf(a));
}

void TCellInplace::ShowEditorAt(int col, int row) {
  caret::hide(grid_.peer());
  open_ = true;
  editCol_ = col;
  editRow_ = row;
  const TCellColumn& column = grid_.Columns()[col];
  setColor(grid_.CellColor(col, row));
  SetEditorAlignment(column.HorzAlign());
  setCaption(grid_.RawCellText(col, row));  // the change it reports writes the same text back
  PlaceEditor();
  // Showing does not take the focus: the press that opened the editor leaves it on the grid.
  show();
}

void TCellInplace::PlaceEditor() {
  const int col = editCol_, row = editRow_;
  if (col < 0 || col >= grid_.ColCount()) return;
  const TCellColumn& column = grid_.Columns()[col];
  setFont(column.Font());

  fw::Rect r = grid_.CellRectToClient(grid_.CellRect(col, row));
  if (alignment_ == haRight) r.right += 1;
  // Its text starts where the painted text did.
  const int side = cellInsets(grid_.dpi()).left;
  r = {r.left + side, r.top + 3, r.right - side, r.bottom - 3};
  // One line in the column's font. Measured on the editor's own window, which holds that font
  // from the line above; the grid's surface holds whatever font it painted with last.
  const int height = peer().measureText("gM").height;
  int top = r.top - 1;
  switch (column.VertAlign()) {
    case vaTop: break;
    case vaCenter: top = r.top + (r.height() - height) / 2; break;
    case vaBottom: top = r.bottom - height + 1; break;
  }
  setBounds(fw::Rect::fromSize(r.left, top, r.width(), height));
}

void TCellInplace::handleChange() {
  fw::Edit::handleChange();
  // Nothing to write before the first opening, nor once the grid lost the cell's row or
  // column (the editor is hidden by then; only the program can still set its text).
  if (editCol_ < 0 || editCol_ >= grid_.ColCount() || editRow_ < 0 || editRow_ >= grid_.RowCount()) return;
  grid_.EditCellText(editCol_, editRow_, true, text());
}

bool TCellInplace::handleKeyDown(int& key, fw::ShiftState shift) {
  if (!closesEditor(key)) return fw::Edit::handleKeyDown(key, shift);
  HideEditor();
  grid_.setFocus();
  return true;
}

bool TCellInplace::handleKeyPress(char& key) {
  bool allowed = true;
  if (grid_.OnFilterChar) grid_.OnFilterChar(*this, editCol_, editRow_, key, allowed);
  if (!allowed && key != '\b') key = 0;
  return fw::Edit::handleKeyPress(key);
}

bool TCellInplace::wantsNavigationKey(int key) const { return closesEditor(key); }

}  // namespace grid
