// Where the grid's content offsets go: a scroll-bar request, the wheel, a cell brought into
// view. Plain arithmetic over the laid-out geometry; the grid applies the result to its bars
// and asks for the repaints.
#pragma once

#include "cell_grid_types.h"
#include "fw/canvas.h"

namespace grid {

// Where the grid's content is scrolled to: pixels of content left of and above the view.
struct TScrollOffsets {
  int x = 0;
  int y = 0;
};

}  // namespace grid

namespace grid::scrolling {

// A scroll bar's page step, in rows; a line step is one row.
inline constexpr int kPageRows = 5;

// The offset a scroll-bar request leads to, within [0, limit]; a step beyond the limit is
// clamped, never wrapped. The thumb's position is the bar's full 32-bit one.
int afterBarRequest(int offset, int code, int position, int rowHeight, int limit);
// The wheel scrolls whole pixels, not snapped to rows: the next bar step snaps again.
int afterWheel(int offset, int delta, int limit);
int snappedToRow(int y, int rowHeight);

// The offsets that show a cell whole, and which of them must change. The cell is given by its
// column's left edge (content x) and width, and its row.
struct TScrollTarget {
  int x = 0, y = 0;
  bool moveX = false, moveY = false;
};
TScrollTarget toShowCell(const TGridView& view, const fw::Rect& client, int columnLeft, int columnWidth, int row,
                         bool footer);

}  // namespace grid::scrolling
