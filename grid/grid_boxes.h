// Where cells, blocks and columns lie, from the laid-out grid where it is scrolled to: the
// boxes the painting, the editor, scrolling and screen readers share.
#pragma once

#include <utility>

#include "cell_grid_columns.h"
#include "cell_grid_types.h"

namespace grid {

// Content x of a column's left edge; an index beyond the columns is held to the nearest edge.
int columnLeft(const TGridGeometry& geometry, int i);
// A cell's box in content coordinates with its shared left and top lines; empty for index -1.
// A hidden column's cells have no width.
fw::Rect cellBox(const TGridView& view, const TCellColumns& columns, int col, int row);
fw::Rect toClient(const TGridView& view, const fw::Rect& content);
// A block's box in client coordinates, from its first cell's top left to its last's bottom right.
fw::Rect blockClientBox(const TGridView& view, const TCellColumns& columns, const TGridRect& block);
// The rows whose cells may meet the band [top, bottom) of client y (first > last: none).
std::pair<int, int> rowsBetween(const TGridView& view, int top, int bottom);

}  // namespace grid
