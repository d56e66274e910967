// Where the keys take the current cell and the selection's far corner, and what Enter does
// with the text it commits: decisions over the selection, the columns and the row count, which
// the grid's key handlers then apply.
#pragma once

#include <optional>
#include <string>

#include "cell_grid_columns.h"
#include "cell_grid_types.h"
#include "grid_selection.h"

namespace grid {

// The visible columns: -1 when there is none; Next and Previous give c itself at the end.
int firstVisibleColumn(const TCellColumns& columns);
int lastVisibleColumn(const TCellColumns& columns);
int nextVisibleColumn(const TCellColumns& columns, int c);
int previousVisibleColumn(const TCellColumns& columns, int c);

// What a key moves over: the columns (hidden ones are stepped over) and the rows.
struct TKeyField {
  const TCellColumns& columns;
  int rowCount;
};

// The cell a plain navigation key (Prior, Next, Home, End, the arrows) or Ctrl with Home or End
// makes current, selected alone; none for any other key. A column of -1 means no column is
// visible: the current column stays.
std::optional<TGridCoord> keyTarget(const TKeyField& field, const TGridSelection& sel, int key, bool ctrl);
// Where Shift with an arrow takes the far corner the selection spans to (a column of -1 as
// above); none for any other key.
std::optional<TGridCoord> cornerTarget(const TKeyField& field, const TGridSelection& sel, int key);
// Enter's walk inside a block of more than one cell: down a column, then to the top of the
// next, from the last cell back to the first; backwards the other way round.
TGridCoord stepInsideBlock(const TGridSelection& sel, bool forward);

// What Enter does after committing the current cell's text: a text ending in '*' (with
// AutoFillDown) fills down, one ending in '>' (with AutoFillRight) fills right, to the end of
// the grid from a single cell or of the block; otherwise the current cell moves on.
struct TEnterStep {
  enum Kind { MoveDown, WalkBlock, FillDown, FillRight } kind;
  int last = -1;  // a fill's last row or column
};
TEnterStep enterStep(const std::string& committed, bool autoFillDown, bool autoFillRight, const TGridSelection& sel,
                     int colCount, int rowCount);

}  // namespace grid
