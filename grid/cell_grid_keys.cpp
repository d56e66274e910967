// The grid's keyboard: the three key tables, Enter's commit and advance, automatic rows and
// typing into the current cell.
#include <algorithm>

#include "cell_grid.h"

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
  if (col != -1) currentCol_ = col;
  currentRow_ = row;
  SelectSingleCell();
}

void TCellGrid::keyWithCtrl(int key) {
  switch (key) {
    case vk::Home: moveTo(FirstVisibleColumn(), 0); break;
    case vk::End: moveTo(LastVisibleColumn(), rowCount_ - 1); break;
    case vk::Delete:
      if (!readOnly_ && rowCount_ > 1) {
        const int row = currentRow_;
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
  auto extendToColumn = [this](int col) {
    if (col != -1) rangeEndCol_ = col;  // as moveTo: no visible column leaves the corner alone
    ExtendSelection();
  };
  switch (key) {
    case vk::Left: extendToColumn(std::max(PreviousVisibleColumn(rangeEndCol_), FirstVisibleColumn())); break;
    case vk::Right: extendToColumn(std::min(NextVisibleColumn(rangeEndCol_), LastVisibleColumn())); break;
    case vk::Up:
      rangeEndRow_ = std::max(rangeEndRow_ - 1, 0);
      ExtendSelection();
      break;
    case vk::Down:
      rangeEndRow_ = std::min(rangeEndRow_ + 1, rowCount_ - 1);
      ExtendSelection();
      break;
    case vk::Return:
      if (selectionIsOneCell()) {
        moveTo(currentCol_, std::max(0, currentRow_ - 1));
      } else {
        moveInsideSelection(false);
      }
      break;
    default: break;
  }
}

void TCellGrid::keyPlain(int key) {
  switch (key) {
    case vk::Return: commitAndAdvance(); break;
    case vk::Prior: moveTo(currentCol_, 0); break;
    case vk::Next: moveTo(currentCol_, rowCount_ - 1); break;
    case vk::Home: moveTo(FirstVisibleColumn(), currentRow_); break;
    case vk::End: moveTo(LastVisibleColumn(), currentRow_); break;
    case vk::Left: moveTo(std::max(PreviousVisibleColumn(currentCol_), FirstVisibleColumn()), currentRow_); break;
    case vk::Right: moveTo(std::min(NextVisibleColumn(currentCol_), LastVisibleColumn()), currentRow_); break;
    case vk::Up:
      if (autoRowsApply() && currentRow_ >= 1) {
        removeEmptyLastRowOrMoveUp();
      } else {
        moveTo(currentCol_, std::max(0, currentRow_ - 1));
      }
      break;
    case vk::Down:
      if (autoRowsApply()) {
        addRowBelow();
      } else {
        moveTo(currentCol_, std::min(currentRow_ + 1, rowCount_ - 1));
      }
      break;
    case vk::Insert:
      if (!readOnly_) {
        InsertRow(std::max(0, currentRow_));
        if (OnInsertRow) OnInsertRow(*this, currentRow_);
        SelectSingleCell();
      }
      break;
    case vk::Delete:
      if (typedText_.empty() && !readOnly_) clearSelectedCells();
      break;
    default: break;
  }
}

bool TCellGrid::selectionIsOneCell() const {
  return selection_.Left == selection_.Right && selection_.Top == selection_.Bottom;
}

void TCellGrid::clearSelectedCells() {
  BlockEdit edit(*this);
  // The bounds are checked on every step: a change handler may take rows or columns away.
  for (int c = selection_.Left; c <= selection_.Right && c < ColCount(); ++c)
    for (int r = selection_.Top; r <= selection_.Bottom && r < rowCount_; ++r) EditCellText(c, r, true, {});
}

// ---------------------------------------------------------------------------------------------
// Rows added and removed by the arrows

bool TCellGrid::autoRowsApply() const { return autoAddRow_ && currentRow_ == rowCount_ - 1 && !readOnly_; }

void TCellGrid::addRowBelow() {
  ++currentRow_;
  setRowCount(rowCount_ + 1);
  if (OnInsertRow) OnInsertRow(*this, currentRow_);
  SelectSingleCell();
}

void TCellGrid::removeEmptyLastRowOrMoveUp() {
  const int last = rowCount_ - 1;
  bool empty = true;
  for (int c = 0; c < ColCount() && empty; ++c) empty = rawText(c, last).empty();
  if (empty) {
    setRowCount(last);
    currentRow_ = rowCount_ - 1;
    if (OnDeleteRow) OnDeleteRow(*this, rowCount_);
  } else {
    currentRow_ = std::max(0, currentRow_ - 1);
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
    s = CellText(currentCol_, currentRow_);
    const std::string stored = s;
    if (OnCellAssignment) OnCellAssignment(*this, currentCol_, currentRow_, s);
    if (s != stored) EditCellText(currentCol_, currentRow_, true, s);
  }
  const bool fillDown = autoFillDown_ && !s.empty() && s.back() == '*';
  const bool fillRight = !fillDown && autoFillRight_ && !s.empty() && s.back() == '>';
  const bool one = selectionIsOneCell();
  if (fillDown) {
    fillFromCurrent(s, true, one ? rowCount_ - 1 : selection_.Bottom);
  } else if (fillRight) {
    fillFromCurrent(s, false, one ? ColCount() - 1 : selection_.Right);
  } else if (one) {
    moveTo(currentCol_, std::min(rowCount_ - 1, currentRow_ + 1));
  } else {
    moveInsideSelection(true);
  }
}

void TCellGrid::fillFromCurrent(std::string text, bool down, int last) {
  typedText_.clear();
  HideCaretAndEditor();
  text.pop_back();  // the fill marker
  // Program writes: no events, no column read-only check; each cell is repainted at once.
  if (down) {
    for (int r = currentRow_; r <= last && r < rowCount_; ++r) setCellText(currentCol_, r, text);
  } else {
    for (int c = currentCol_; c <= last && c < ColCount(); ++c) setCellText(c, currentRow_, text);
  }
}

void TCellGrid::moveInsideSelection(bool forward) {
  const TGridRect& b = selection_;
  // Column by column: down a column, then to the top of the next; from the last cell back to
  // the first (and the same backwards).
  if (forward) {
    if (currentCol_ == b.Right && currentRow_ == b.Bottom) {
      currentCol_ = b.Left;
      currentRow_ = b.Top;
    } else if (currentRow_ == b.Bottom) {
      ++currentCol_;
      currentRow_ = b.Top;
    } else {
      ++currentRow_;
    }
  } else {
    if (currentCol_ == b.Left && currentRow_ == b.Top) {
      currentCol_ = b.Right;
      currentRow_ = b.Bottom;
    } else if (currentRow_ == b.Top) {
      --currentCol_;
      currentRow_ = b.Bottom;
    } else {
      --currentRow_;
    }
  }
  HideCaretAndEditor();
  typedText_.clear();
  EnsureCellVisible(currentCol_, currentRow_);
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
    if (OnFilterChar) OnFilterChar(*this, currentCol_, currentRow_, ch, allowed);
    if (!allowed) return;
    HideCaretAndEditor();
    typedText_.push_back(ch);
  } else {
    return;
  }
  // The whole buffer is written each time, so a character a change handler refused is
  // written with the next accepted one.
  EditCellText(currentCol_, currentRow_, true, typedText_);
  EnsureCellVisible(currentCol_, currentRow_);
  peer().setCaretPos(RepaintCellText(currentCol_, currentRow_, true));
  ShowGridCaret();
}

}  // namespace grid
