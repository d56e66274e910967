// The current cell, the selected block and the far corner a Shift move or a drag spans to:
// plain state that the grid's keys, mouse and clipboard change, with the rules that keep it
// inside a grid of a given size.
#pragma once

#include <algorithm>

#include "cell_grid_types.h"

namespace grid {

struct TGridSelection {
  int col = 0;  // the current cell
  int row = 0;
  TGridRect block;  // holds the current cell
  int endCol = 0;   // the corner a Shift move or a drag extends to
  int endRow = 0;

  bool isOneCell() const { return block.Left == block.Right && block.Top == block.Bottom; }
  // The block from the current cell to the far corner.
  TGridRect spanned() const { return TGridRect::Spanning(col, row, endCol, endRow); }

  // Whether all of it lies in a grid of cols x rows; without cells, no cell may be current.
  bool fits(int cols, int rows) const {
    if (cols <= 0 || rows <= 0) return col == -1 && row == -1;
    const TGridRect all{0, 0, cols - 1, rows - 1};
    return all.Contains(col, row) && all.Contains(block.Left, block.Top) && all.Contains(block.Right, block.Bottom) &&
           block.Contains(col, row);
  }

  // The current cell held inside such a grid ((-1, -1) without cells), selected alone.
  void clampTo(int cols, int rows) {
    col = std::max(0, std::min(col, cols - 1));
    row = std::max(0, std::min(row, rows - 1));
    if (cols <= 0 || rows <= 0) col = row = -1;
    block = {col, row, col, row};
    endCol = col;
    endRow = row;
  }
};

}  // namespace grid
