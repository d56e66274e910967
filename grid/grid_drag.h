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

// What the mouse keeps from a press through the drag to the release, and between drawings of
// the fill handle.
struct TDragState {
  TMouseMode mode = TMouseMode::SelectCells;  // chosen by the zone under a free pointer
  int sizingColumn = -1;                      // the column whose border the pointer is on
  int sizingColumnLeft = -1;                  // its left edge (content x) when the drag began
  int lastIndex = -1;                         // the row or column a row or column drag last reached
  TGridRect fillRange{-1, -1, -1, -1};        // the block a fill drag repeats; Left -1: none
  fw::Rect fillHandle{-1, -1, -1, -1};        // where the fill handle was drawn last
  TFillHandleCorner handleCorner = TFillHandleCorner::BottomRight;  // where it is drawn next
};

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
