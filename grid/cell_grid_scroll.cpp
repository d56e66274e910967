// Scroll bars, bringing a cell into view, the selection and the caret: what the grid's data
// model and painting rely on. Keys, mouse and the in-place editor build on these.
#include <algorithm>

#include "cell_grid.h"
#include "grid_boxes.h"
#include "grid_caret.h"
#include "grid_navigation.h"
#include "grid_scrolling.h"

namespace grid {

void TCellGrid::ShowScrollBars(bool horizontal, bool vertical) {
  peer().showScrollBar(fw::ScrollBar::Horizontal, horizontal);
  peer().showScrollBar(fw::ScrollBar::Vertical, vertical);
}

void TCellGrid::SetScrollX(int x) {
  if (x == scroll_.x) return;
  scroll_.x = std::max(0, std::min(x, geometry_.maxScrollX));
  peer().setScrollPosition(fw::ScrollBar::Horizontal, scroll_.x);
  InvalidateRightOf(geometry_.gutterExtent);
}

void TCellGrid::SetScrollY(int y) {
  if (y == scroll_.y) return;
  scroll_.y = std::max(0, std::min(y, geometry_.maxScrollY));
  SnapScrollY();
  peer().setScrollPosition(fw::ScrollBar::Vertical, scroll_.y);
  InvalidateBelow(geometry_.headerHeight);
}

void TCellGrid::SnapScrollY() { scroll_.y = scrolling::snappedToRow(scroll_.y, defRowHeight_); }

void TCellGrid::EnsureCellVisible(int col, int row) {
  if (row == -1 || col < 0 || col >= ColCount()) return;
  const scrolling::TScrollTarget to = scrolling::toShowCell(
      view(), clientRect(), ColumnLeft(col), (*columns_)[col].Width(),
      row, showFooter_);
  if (to.moveY && !to.moveX) {
    SetScrollY(to.y);
  } else if (to.moveX && !to.moveY) {
    SetScrollX(to.x);
  } else if (to.moveX && to.moveY) {
    scroll_.x = to.x;
    scroll_.y = to.y;
    peer().setScrollPosition(fw::ScrollBar::Horizontal, scroll_.x);
    peer().setScrollPosition(fw::ScrollBar::Vertical, scroll_.y);
    invalidate();
  }
}

bool TCellGrid::CaretShown() { return caret::shown(); }

void TCellGrid::ShowGridCaret() { caret::show(peer()); }

void TCellGrid::HideCaretAndEditor() {
  caret::hide(peer());
  if (inplace_) inplace_->HideEditor();
}

void TCellGrid::NotifyColRowChanged() {
  if (OnColRowChanged) OnColRowChanged(*this, sel_.col, sel_.row);
}

void TCellGrid::SetSelection(const TGridRect& block, bool force) {
  if (block == sel_.block && !force) return;
  HideCaretAndEditor();
  const TGridRect old = sel_.block;
  sel_.block = block;
  const TGridRect u = old.United(block);
  const fw::Rect r = blockClientBox(view(), *columns_, u);
  invalidateRect({r.left - 3, r.top - 3, r.right + 3, r.bottom + 3});
  if (gutterKind_ == gkPointer) InvalidateGutter();
  if (block.Left == block.Right && block.Top == block.Bottom) {
    raiseCellEvent(fw::access::event::Selection, block.Left, block.Top);
  } else {
    raiseCellEvent(fw::access::event::SelectionWithin, -1, -1);
  }
}

void TCellGrid::SelectSingleCell() {
  HideCaretAndEditor();
  typedText_.clear();
  sel_.endCol = sel_.col;
  sel_.endRow = sel_.row;
  {
    PaintHold hold(*this);
    EnsureCellVisible(sel_.col, sel_.row);
  }
  SetSelection({sel_.col, sel_.row, sel_.col, sel_.row}, false);
  if (focused()) raiseCellEvent(fw::access::event::Focus, sel_.col, sel_.row);
  NotifyColRowChanged();
}

void TCellGrid::ExtendSelection() {
  SetSelection(sel_.spanned(), false);
  EnsureCellVisible(sel_.endCol, sel_.endRow);
}

// ---------------------------------------------------------------------------------------------
// Visible columns

int TCellGrid::FirstVisibleColumn() const { return firstVisibleColumn(*columns_); }
int TCellGrid::LastVisibleColumn() const { return lastVisibleColumn(*columns_); }
int TCellGrid::NextVisibleColumn(int c) const { return nextVisibleColumn(*columns_, c); }
int TCellGrid::PreviousVisibleColumn(int c) const { return previousVisibleColumn(*columns_, c); }

// ---------------------------------------------------------------------------------------------
// Scroll bars and the wheel

void TCellGrid::handleScroll(fw::ScrollBar bar, int code, int position) {
  HideCaretAndEditor();
  const bool vertical = bar == fw::ScrollBar::Vertical;
  int& offset = vertical ? scroll_.y : scroll_.x;
  const int old = offset;
  // The backend hands over the bar's full 32-bit tracking position, not the message's 16-bit
  // field, so a grid taller than 32767 pixels reaches every position by the thumb.
  offset = scrolling::afterBarRequest(old, code, position, defRowHeight_,
                                      vertical ? geometry_.maxScrollY : geometry_.maxScrollX);
  if (vertical) SnapScrollY();
  if (offset == old) return;
  peer().setScrollPosition(bar, offset);
  if (vertical) {
    InvalidateBelow(geometry_.headerHeight);
  } else {
    InvalidateRightOf(geometry_.gutterExtent);
  }
}

bool TCellGrid::handleMouseWheel(int delta, fw::ShiftState, fw::Point) {
  // Whole pixels, not snapped to rows: the next scroll-bar step snaps again. The caret and the
  // editor stay, and the message goes no further.
  const int next = scrolling::afterWheel(scroll_.y, delta, geometry_.maxScrollY);
  if (next != scroll_.y) {
    scroll_.y = next;
    peer().setScrollPosition(fw::ScrollBar::Vertical, scroll_.y);
    invalidate();
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Focus: the caret lives only while the grid has the focus, and the selection frame is drawn
// differently with and without it.

void TCellGrid::handleFocusGained() {
  peer().createCaret({1, std::max(0, defRowHeight_ - 2)});
  caret::forget();
  InvalidateCellArea();
  raiseCellEvent(fw::access::event::Focus, sel_.col, sel_.row);
}

void TCellGrid::handleFocusLost(fw::Control* next) {
  if (next != inplace_.get()) HideCaretAndEditor();
  peer().destroyCaret();
  caret::forget();
  // The focus went into the open editor: the grid still looks focused around it.
  if (!EditorActive()) InvalidateCellArea();
}

}  // namespace grid
