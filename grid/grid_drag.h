// What a drag on the grid works out, without the grid: the width a dragged column border
// gives (and its neighbour's in a grid fitted to its width), and where each cell a fill
// covers takes its text from.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "cell_grid_columns.h"
#include "cell_grid_types.h"

namespace grid {

// The width of a column whose right border is dragged to client x: from its left edge (content
// x) to the pointer, never below `least`.
int draggedWidth(const TGridView& view, int columnLeft, int x, int least);
// In a fitted grid a column and its visible right neighbour share `room`, what the other
// columns leave: the column keeps what it was dragged to, short of leaving the neighbour less
// than `least`. None when the room cannot hold two of the narrowest columns.
std::optional<std::pair<int, int>> sharedWidths(int wanted, int room, int least);

// One cell a fill writes and the cell whose text it takes.
struct TFillCopy {
  TGridCoord to, from;
};
// The block repeated over the whole selection in every direction, aligned to the block's own
// place, in the order the cells are written (column by column, each top to bottom). Positions
// count visible columns only, so a hidden column neither takes nor gives text. Nothing when
// the selection does not hold the block (something moved it since the drag began) or the block
// has no visible column.
std::vector<TFillCopy> fillCopies(const TCellColumns& columns, const TGridRect& selection, const TGridRect& block);

}  // namespace grid
