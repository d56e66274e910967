#include "grid_navigation.h"

#include <algorithm>

namespace grid {

int firstVisibleColumn(const TCellColumns& columns) {
  for (int c = 0; c < columns.Count(); ++c)
    if (columns[c].Visible()) return c;
  return -1;
}

int lastVisibleColumn(const TCellColumns& columns) {
  for (int c = columns.Count() - 1; c >= 0; --c)
    if (columns[c].Visible()) return c;
  return -1;
}

int nextVisibleColumn(const TCellColumns& columns, int c) {
  if (c >= columns.Count() - 1) return c;
  for (int i = std::max(c + 1, 0); i < columns.Count(); ++i)
    if (columns[i].Visible()) return i;
  return c;
}

int previousVisibleColumn(const TCellColumns& columns, int c) {
  if (c <= 0) return c;
  for (int i = std::min(c - 1, columns.Count() - 1); i >= 0; --i)
    if (columns[i].Visible()) return i;
  return c;
}

namespace {

// One visible column to the left or right of c, held inside the visible columns.
int columnLeftOf(const TCellColumns& columns, int c) {
  return std::max(previousVisibleColumn(columns, c), firstVisibleColumn(columns));
}
int columnRightOf(const TCellColumns& columns, int c) {
  return std::min(nextVisibleColumn(columns, c), lastVisibleColumn(columns));
}

}  // namespace

std::optional<TGridCoord> keyTarget(const TKeyField& field, const TGridSelection& sel, int key, bool ctrl) {
  const TCellColumns& columns = field.columns;
  const int lastRow = field.rowCount - 1;
  if (ctrl) {
    switch (key) {
      case vk::Home: return TGridCoord{firstVisibleColumn(columns), 0};
      case vk::End: return TGridCoord{lastVisibleColumn(columns), lastRow};
      default: return std::nullopt;
    }
  }
  switch (key) {
    case vk::Prior: return TGridCoord{sel.col, 0};
    case vk::Next: return TGridCoord{sel.col, lastRow};
    case vk::Home: return TGridCoord{firstVisibleColumn(columns), sel.row};
    case vk::End: return TGridCoord{lastVisibleColumn(columns), sel.row};
    case vk::Left: return TGridCoord{columnLeftOf(columns, sel.col), sel.row};
    case vk::Right: return TGridCoord{columnRightOf(columns, sel.col), sel.row};
    case vk::Up: return TGridCoord{sel.col, std::max(0, sel.row - 1)};
    case vk::Down: return TGridCoord{sel.col, std::min(sel.row + 1, lastRow)};
    default: return std::nullopt;
  }
}

std::optional<TGridCoord> cornerTarget(const TKeyField& field, const TGridSelection& sel, int key) {
  switch (key) {
    case vk::Left: return TGridCoord{columnLeftOf(field.columns, sel.endCol), sel.endRow};
    case vk::Right: return TGridCoord{columnRightOf(field.columns, sel.endCol), sel.endRow};
    case vk::Up: return TGridCoord{sel.endCol, std::max(sel.endRow - 1, 0)};
    case vk::Down: return TGridCoord{sel.endCol, std::min(sel.endRow + 1, field.rowCount - 1)};
    default: return std::nullopt;
  }
}

TGridCoord stepInsideBlock(const TGridSelection& sel, bool forward) {
  const TGridRect& b = sel.block;
  if (forward) {
    if (sel.col == b.Right && sel.row == b.Bottom) return {b.Left, b.Top};
    if (sel.row == b.Bottom) return {sel.col + 1, b.Top};
    return {sel.col, sel.row + 1};
  }
  if (sel.col == b.Left && sel.row == b.Top) return {b.Right, b.Bottom};
  if (sel.row == b.Top) return {sel.col - 1, b.Bottom};
  return {sel.col, sel.row - 1};
}

TEnterStep enterStep(const std::string& committed, bool autoFillDown, bool autoFillRight, const TGridSelection& sel,
                     int colCount, int rowCount) {
  const char end = committed.empty() ? '\0' : committed.back();
  const bool one = sel.isOneCell();
  if (autoFillDown && end == '*') return {TEnterStep::FillDown, one ? rowCount - 1 : sel.block.Bottom};
  if (autoFillRight && end == '>') return {TEnterStep::FillRight, one ? colCount - 1 : sel.block.Right};
  return {one ? TEnterStep::MoveDown : TEnterStep::WalkBlock};
}

}  // namespace grid
