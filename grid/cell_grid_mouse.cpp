// The grid's mouse: hit zones, the mouse mode and its cursor, presses, drags and the release.
//
// A press and the drag after it act by the mode the last free move (or the last release) chose
// from the zone under the pointer; the mode and its cursor stay while the left button is held,
// so one drag keeps one meaning from start to end.
#include <algorithm>

#include "cell_grid.h"
#include "grid_drag.h"

namespace grid {

// ---------------------------------------------------------------------------------------------
// Hit tests

TGridHitTest TCellGrid::hitTest() const {
  return TGridHitTest(view());
}

TGridCoord TCellGrid::CellAtPoint(int x, int y) const { return hitTest().cellAt(x, y); }
int TCellGrid::ColumnAtX(int x) const { return hitTest().columnAt(x); }
int TCellGrid::RowAtY(int y) const { return hitTest().rowAt(y); }

THitZone TCellGrid::ZoneAt(int x, int y) {
  const TGridHitTest hit = hitTest();
  // A band of three pixels (at 114 dpi) around each column's right border, at any height.
  bool onBorder = false;
  if (!autoColWidth_) {
    const int c = hit.borderColumnAt(x, px(2));
    if (c >= 0) {
      drag_.sizingColumn = c;
      onBorder = (*columns_)[c].CanResize();
    }
  }
  return hit.zoneAt(x, y, drag_.fillHandle.contains({x, y}), onBorder);
}

TMouseMode TCellGrid::ModeOfZone(THitZone zone) {
  switch (zone) {
    case hzCorner: return TMouseMode::SelectAll;
    case hzGutter: return TMouseMode::SelectRows;
    case hzHeader: return TMouseMode::SelectColumns;
    case hzCell: return TMouseMode::SelectCells;
    case hzColumnBorder: return TMouseMode::SizeColumn;
    case hzFillHandle: return TMouseMode::Fill;
    case hzNone: break;
  }
  return TMouseMode::None;
}

int TCellGrid::CursorOfMode(TMouseMode mode) {
  switch (mode) {
    case TMouseMode::SelectAll: return crCornerLeftTop;
    case TMouseMode::SelectRows: return crGutterRight;
    case TMouseMode::SelectColumns: return crHeaderDown;
    case TMouseMode::SelectCells: return crCellPlus;
    case TMouseMode::SizeColumn: return crHSplit;
    case TMouseMode::Fill: return crFillCross;
    case TMouseMode::None: break;
  }
  return crDefault;
}

void TCellGrid::setMouseMode(TMouseMode mode) {
  drag_.mode = mode;
  setCursor(CursorOfMode(mode));
}

// ---------------------------------------------------------------------------------------------
// The handlers

void TCellGrid::handleMouseMove(fw::ShiftState shift, fw::Point at) {
  if (!enabled_) {
    setMouseMode(TMouseMode::None);
  } else if (!shift.left) {
    setMouseMode(ModeOfZone(ZoneAt(at.x, at.y)));
  } else {
    dragIn(drag_.mode, at);
  }
  fw::CustomControl::handleMouseMove(shift, at);
}

void TCellGrid::handleMouseDown(fw::MouseButton button, fw::ShiftState shift, fw::Point at) {
  if (enabled_) {
    pressIn(drag_.mode, button, shift, at);
    setCapture(true);
    setFocus();
  }
  fw::CustomControl::handleMouseDown(button, shift, at);
}

void TCellGrid::handleMouseUp(fw::MouseButton button, fw::Point at) {
  if (drag_.mode == TMouseMode::Fill) completeFill();
  setMouseMode(ModeOfZone(ZoneAt(at.x, at.y)));
  setCapture(false);
  drag_.lastIndex = -1;
  fw::CustomControl::handleMouseUp(button, at);
}

// ---------------------------------------------------------------------------------------------
// Presses

void TCellGrid::pressIn(TMouseMode mode, fw::MouseButton button, fw::ShiftState shift, fw::Point at) {
  // A stale mode (the rows or columns went since the cursor was put up) or an empty grid must
  // not make a cell current that does not exist.
  switch (mode) {
    case TMouseMode::SelectCells: {
      if (!hasCells()) return;
      typedText_.clear();
      const TGridCoord cell = CellAtPoint(at.x, at.y);
      EnsureCellVisible(cell.Col, cell.Row);
      if (cell.Col == sel_.col && cell.Row == sel_.row) {
        // The second press on a cell opens it for editing in place.
        if (!readOnly_ && !(*columns_)[cell.Col].ReadOnly()) {
          inplace_->ShowEditorAt(cell.Col, cell.Row);
        }
      } else {
        sel_.col = sel_.endCol = cell.Col;
        sel_.row = sel_.endRow = cell.Row;
        SetSelection({cell.Col, cell.Row, cell.Col, cell.Row}, false);
      }
      NotifyColRowChanged();
      break;
    }
    case TMouseMode::Fill:
      HideCaretAndEditor();
      drag_.fillRange = sel_.block;
      break;
    case TMouseMode::SelectRows: {
      const int r = RowAtY(at.y);
      if (!hasCells() || r == -1) return;
      sel_.row = r;
      sel_.col = 0;
      drag_.lastIndex = r;
      typedText_.clear();
      EnsureCellVisible(0, r);
      sel_.endCol = ColCount() - 1;
      sel_.endRow = r;
      drag_.handleCorner = TFillHandleCorner::BottomLeft;
      SetSelection({0, r, ColCount() - 1, r}, true);
      NotifyColRowChanged();
      if (OnGutterClick) OnGutterClick(*this, r, button, shift);
      break;
    }
    case TMouseMode::SelectColumns: {
      const int c = ColumnAtX(at.x);
      if (!hasCells() || c == -1) return;
      sel_.col = c;
      sel_.row = 0;
      drag_.lastIndex = c;
      typedText_.clear();
      EnsureCellVisible(c, 0);
      sel_.endCol = c;
      sel_.endRow = rowCount_ - 1;
      drag_.handleCorner = TFillHandleCorner::TopRight;
      SetSelection({c, 0, c, rowCount_ - 1}, true);
      NotifyColRowChanged();
      if (OnHeaderClick) OnHeaderClick(*this, c, button, shift);
      break;
    }
    case TMouseMode::SelectAll:
      if (!hasCells()) return;
      sel_.col = sel_.row = 0;
      typedText_.clear();
      EnsureCellVisible(0, 0);
      sel_.endCol = ColCount() - 1;
      sel_.endRow = rowCount_ - 1;
      SetSelection({0, 0, ColCount() - 1, rowCount_ - 1}, false);
      NotifyColRowChanged();
      break;
    case TMouseMode::SizeColumn:
      HideCaretAndEditor();
      drag_.sizingColumnLeft = ColumnLeft(drag_.sizingColumn);
      break;
    case TMouseMode::None: break;
  }
}

// ---------------------------------------------------------------------------------------------
// Drags (left button held)

void TCellGrid::dragIn(TMouseMode mode, fw::Point at) {
  switch (mode) {
    case TMouseMode::SelectCells: {
      if (!hasCells()) return;
      const TGridCoord cell = CellAtPoint(at.x, at.y);
      sel_.endCol = cell.Col;
      sel_.endRow = cell.Row;
      SetSelection(TGridRect::Spanning(sel_.col, sel_.row, cell.Col, cell.Row), false);
      EnsureCellVisible(cell.Col, cell.Row);
      break;
    }
    case TMouseMode::Fill: {
      // Only a fill that a press started: a drag that came in from outside has no block.
      if (!hasCells() || drag_.fillRange.Left == -1) return;
      const TGridCoord cell = CellAtPoint(at.x, at.y);
      sel_.endCol = cell.Col;
      sel_.endRow = cell.Row;
      SetSelection(drag_.fillRange.United({cell.Col, cell.Row, cell.Col, cell.Row}), false);
      EnsureCellVisible(cell.Col, cell.Row);
      break;
    }
    case TMouseMode::SelectRows: {
      const int r = RowAtY(at.y);
      if (!hasCells() || r == -1 || r == drag_.lastIndex) return;
      drag_.lastIndex = r;
      sel_.endRow = r;
      drag_.handleCorner = TFillHandleCorner::BottomLeft;
      SetSelection({0, std::min(r, sel_.row), ColCount() - 1, std::max(r, sel_.row)}, true);
      break;
    }
    case TMouseMode::SelectColumns: {
      const int c = ColumnAtX(at.x);
      if (!hasCells() || c == -1 || c == drag_.lastIndex) return;
      drag_.lastIndex = c;
      sel_.endCol = c;
      drag_.handleCorner = TFillHandleCorner::TopRight;
      SetSelection({std::min(c, sel_.col), 0, std::max(c, sel_.col), rowCount_ - 1}, true);
      break;
    }
    case TMouseMode::SizeColumn: sizeColumnTo(at.x); break;
    case TMouseMode::SelectAll:  // the press selected everything; a drag adds nothing
    case TMouseMode::None: break;
  }
}

void TCellGrid::sizeColumnTo(int x) {
  const int c = drag_.sizingColumn;
  if (c < 0 || c >= ColCount()) return;
  const int least = px(5);  // the narrowest a column is sized to
  const int w = draggedWidth(view(), drag_.sizingColumnLeft, x, least);
  TCellColumn& column = (*columns_)[c];
  if (!fitToWidth_) {
    column.storeWidth(w);
  } else {
    // The pair of the column and its visible right neighbour shares the room the other
    // columns leave, so the grid stays fitted; the last column's border has no partner.
    const int n = NextVisibleColumn(c);
    if (n == c) return;
    TCellColumn& neighbour = (*columns_)[n];
    const int others = TotalColumnWidth() - column.Width() - neighbour.Width();
    const auto widths = sharedWidths(w, clientSize().width - geometry_.gutterExtent - others, least);
    if (!widths) return;
    column.storeWidth(widths->first);
    neighbour.storeWidth(widths->second);
    neighbour.setDesignWidth(fw::kNoDesign);
  }
  column.setDesignWidth(fw::kNoDesign);  // sized by the user: it keeps its proportion
  // Straight into the columns: a drag step must not rebuild the header or repaint everything.
  Recalculate();
  InvalidateRightOf(geometry_.gutterExtent);
}

// ---------------------------------------------------------------------------------------------
// The release of a fill drag

void TCellGrid::completeFill() {
  // A release without the press that starts a fill (the pointer came in with the button held)
  // has no block to repeat; writing then would empty the selected cells.
  if (drag_.fillRange.Left == -1) return;
  const TGridRect block = drag_.fillRange;
  drag_.fillRange = {-1, -1, -1, -1};
  if (readOnly_) {
    InvalidateCellArea();  // the dotted frame of the fill goes
    return;
  }
  BlockEdit edit(*this);
  typedText_.clear();
  for (const TFillCopy& copy : fillCopies(*columns_, sel_.block, block))
    EditCellText(copy.to.Col, copy.to.Row, true, rawText(copy.from.Col, copy.from.Row));
}

}  // namespace grid
