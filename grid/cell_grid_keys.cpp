// The grid's keyboard: the three key tables, Enter's commit and advance, automatic rows and
// typing into the current cell.
#include <algorithm>

#include "cell_grid.h"
#include "grid_navigation.h"

namespace grid {

bool TCellGrid::handleKeyDown(int& key, fw::ShiftState shift) {
  // A disabled or empty grid is inert: not even the key event is raised.
  if (!enabled_ || !hasCells()) return false;
  if (shift.ctrl) {
    keyWithCtrl(key);
  } else if (shift.shift) {
    keyWithShift(key);
  } else {
    keyPlain(key);
  }
  return fw::CustomControl::handleKeyDown(key, shift);
}

bool TCellGrid::handleKeyPress(char& key) {
  // The key event comes first: its handler may change the character or cancel it (0).
  const bool eaten = fw::CustomControl::handleKeyPress(key);
  if (enabled_ && hasCells() && !readOnly_) typeCharacter(key);
  return eaten;
}

bool TCellGrid::wantsNavigationKey(int key) const {
  return fw::CustomControl::wantsNavigationKey(key) || (key >= vk::Left && key <= vk::Down);
}

// ---------------------------------------------------------------------------------------------
// The key tables

void TCellGrid::moveTo(int col, int row) {
  // With every column hidden there is no visible column to go to; the column stays rather
  // than becoming -1, which would leave the current cell outside the grid.
  if (col != -1) sel_.col = col;
  sel_.row = row;
  SelectSingleCell();
}

void TCellGrid::keyWithCtrl(int key) {
  if (const std::optional<TGridCoord> to = keyTarget({*columns_, rowCount_}, sel_, key, true)) {
    moveTo(to->Col, to->Row);
    return;
  }
  switch (key) {
    case vk::Delete:
      if (!readOnly_ && rowCount_ > 1) {
        const int row = sel_.row;
        RemoveRow(row);
        if (OnDeleteRow) OnDeleteRow(*this, row);
        SelectSingleCell();
      }
      break;
    case vk::C: CopySelection(); break;
    case vk::V:
      if (!readOnly_) PasteClipboard();
      break;
    case vk::X:
      if (!readOnly_) CutSelection();
      break;
    default: break;
  }
}

void TCellGrid::keyWithShift(int key) {
  if (const std::optional<TGridCoord> corner = cornerTarget({*columns_, rowCount_}, sel_, key)) {
    if (corner->Col != -1) sel_.endCol = corner->Col;  // as moveTo: no visible column leaves it
    sel_.endRow = corner->Row;
    ExtendSelection();
  } else if (key == vk::Return) {
    if (sel_.isOneCell()) {
      moveTo(sel_.col, std::max(0, sel_.row - 1));
    } else {
      walkInsideSelection(false);
    }
  }
}

void TCellGrid::keyPlain(int key) {
  // At the last row with AutoAddRow, Down adds a row and Up may take an empty one away.
  if (autoRowsApply() && key == vk::Down) {
    addRowBelow();
    return;
  }
  if (autoRowsApply() && key == vk::Up && sel_.row >= 1) {
    removeEmptyLastRowOrMoveUp();
    return;
  }
  if (const std::optional<TGridCoord> to = keyTarget({*columns_, rowCount_}, sel_, key, false)) {
    moveTo(to->Col, to->Row);
    return;
  }
  switch (key) {
    case vk::Return: commitAndAdvance(); break;
    case vk::Insert:
      if (!readOnly_) {
        InsertRow(std::max(0, sel_.row));
        if (OnInsertRow) OnInsertRow(*this, sel_.row);
        SelectSingleCell();
      }
      break;
    case vk::Delete:
      if (typedText_.empty() && !readOnly_) clearSelectedCells();
      break;
    default: break;
  }
}

void TCellGrid::clearSelectedCells() {
  BlockEdit edit(*this);
  // The bounds are checked on every step: a change handler may take rows or columns away.
  for (int c = sel_.block.Left; c <= sel_.block.Right && c < ColCount(); ++c)
    for (int r = sel_.block.Top; r <= sel_.block.Bottom && r < rowCount_; ++r) EditCellText(c, r, true, {});
}

// ---------------------------------------------------------------------------------------------
// Rows added and removed by the arrows

bool TCellGrid::autoRowsApply() const { return autoAddRow_ && sel_.row == rowCount_ - 1 && !readOnly_; }

void TCellGrid::addRowBelow() {
  ++sel_.row;
  setRowCount(rowCount_ + 1);
  if (OnInsertRow) OnInsertRow(*this, sel_.row);
  SelectSingleCell();
}

void TCellGrid::removeEmptyLastRowOrMoveUp() {
  const int last = rowCount_ - 1;
  bool empty = true;
  for (int c = 0; c < ColCount() && empty; ++c) empty = rawText(c, last).empty();
  if (empty) {
    setRowCount(last);
    sel_.row = rowCount_ - 1;
    if (OnDeleteRow) OnDeleteRow(*this, rowCount_);
  } else {
    sel_.row = std::max(0, sel_.row - 1);
  }
  SelectSingleCell();
}

// ---------------------------------------------------------------------------------------------
// Enter

void TCellGrid::commitAndAdvance() {
  // A read-only grid is not written by Enter either: neither an assignment handler's result
  // nor a fill reaches its cells, so Enter only moves.
  std::string s;
  if (!readOnly_) {
    s = CellText(sel_.col, sel_.row);
    const std::string stored = s;
    if (OnCellAssignment) OnCellAssignment(*this, sel_.col, sel_.row, s);
    if (s != stored) EditCellText(sel_.col, sel_.row, true, s);
  }
  const TEnterStep step = enterStep(s, autoFillDown_, autoFillRight_, sel_, ColCount(), rowCount_);
  switch (step.kind) {
    case TEnterStep::FillDown: fillFromCurrent(s, true, step.last); break;
    case TEnterStep::FillRight: fillFromCurrent(s, false, step.last); break;
    case TEnterStep::MoveDown: moveTo(sel_.col, std::min(rowCount_ - 1, sel_.row + 1)); break;
    case TEnterStep::WalkBlock: walkInsideSelection(true); break;
  }
}

void TCellGrid::fillFromCurrent(std::string text, bool down, int last) {
  typedText_.clear();
  HideCaretAndEditor();
  text.pop_back();  // the fill marker
  // Program writes: no events, no column read-only check; each cell is repainted at once.
  if (down) {
    for (int r = sel_.row; r <= last && r < rowCount_; ++r) setCellText(sel_.col, r, text);
  } else {
    for (int c = sel_.col; c <= last && c < ColCount(); ++c) setCellText(c, sel_.row, text);
  }
}

void TCellGrid::walkInsideSelection(bool forward) {
  const TGridCoord next = stepInsideBlock(sel_, forward);
  sel_.col = next.Col;
  sel_.row = next.Row;
  HideCaretAndEditor();
  typedText_.clear();
  EnsureCellVisible(sel_.col, sel_.row);
  InvalidateCellArea();
  NotifyColRowChanged();
}

// ---------------------------------------------------------------------------------------------
// Typing

void TCellGrid::typeCharacter(char ch) {
  const auto code = static_cast<unsigned char>(ch);
  if (code == vk::Back) {
    HideCaretAndEditor();
    if (!typedText_.empty()) typedText_.pop_back();
  } else if (code >= 32) {
    bool allowed = true;
    if (OnFilterChar) OnFilterChar(*this, sel_.col, sel_.row, ch, allowed);
    if (!allowed) return;
    HideCaretAndEditor();
    typedText_.push_back(ch);
  } else {
    return;
  }
  // The whole buffer is written each time, so a character a change handler refused is
  // written with the next accepted one.
  EditCellText(sel_.col, sel_.row, true, typedText_);
  EnsureCellVisible(sel_.col, sel_.row);
  peer().setCaretPos(RepaintCellText(sel_.col, sel_.row, true));
  ShowGridCaret();
}

}  // namespace grid
