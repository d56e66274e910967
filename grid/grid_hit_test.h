// Where a point of the grid's client area falls: a cell, a column, a row, a column's border or
// a zone. Reads only the laid-out geometry and where the grid is scrolled to, so a test builds
// a geometry and asks, without a window.
#pragma once

#include <functional>

#include "cell_grid_types.h"

namespace grid {

class TGridHitTest {
 public:
  explicit TGridHitTest(const TGridView& view) : view_(view) {}

  // Always inside the grid's index range (column 0, row 0 at least).
  TGridCoord cellAt(int x, int y) const;
  int columnAt(int x) const;  // -1 left of the columns
  int rowAt(int y) const;     // -1 above or below the rows
  // The first visible column whose right border lies less than `band` pixels from x, or -1.
  // A hidden column has no border of its own: its edge is the visible column's before it.
  int borderColumnAt(int x, int band) const;
  // The zone of the point, given whether it lies on the fill handle or a sizable border.
  THitZone zoneAt(int x, int y, bool onFillHandle, bool onSizableBorder) const;

 private:
  // The smallest column k whose left edge lies at or right of content x, or the column count
  // when there is none: a point on a shared border belongs to the column before it.
  int columnEndingAt(int contentX) const;
  int contentX(int x) const { return x + view_.scrollX - view_.geometry.gutterExtent; }
  int contentY(int y) const { return y + view_.scrollY - view_.geometry.headerHeight; }

  TGridView view_;
};

}  // namespace grid
