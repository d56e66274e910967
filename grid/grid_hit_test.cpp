#include "grid_hit_test.h"

#include <algorithm>

namespace grid {

int TGridHitTest::columnEndingAt(int x) const {
  const std::vector<int>& lefts = view_.geometry.columnLefts;
  const int count = std::max(0, static_cast<int>(lefts.size()) - 1);
  for (int k = 0; k < count; ++k)
    if (lefts[static_cast<size_t>(k)] >= x) return k;
  return count;
}

TGridCoord TGridHitTest::cellAt(int x, int y) const {
  const int col = std::max(0, columnEndingAt(contentX(x)) - 1);
  const int row = std::max(0, std::min(contentY(y) / view_.rowHeight, view_.rowCount - 1));
  return {col, row};
}

int TGridHitTest::columnAt(int x) const {
  if (x < view_.geometry.gutterExtent) return -1;
  return columnEndingAt(contentX(x)) - 1;
}

int TGridHitTest::rowAt(int y) const {
  if (y < view_.geometry.headerHeight) return -1;
  const int row = contentY(y) / view_.rowHeight;
  return row > view_.rowCount - 1 ? -1 : row;
}

int TGridHitTest::borderColumnAt(int x, int band) const {
  const TGridGeometry& geo = view_.geometry;
  const int at = contentX(x);
  for (size_t c = 0; c < geo.columnShown.size() && c + 1 < geo.columnLefts.size(); ++c) {
    if (!geo.columnShown[c]) continue;
    const int edge = geo.columnLefts[c + 1];
    if (edge - band < at && at < edge + band) return static_cast<int>(c);
  }
  return -1;
}

THitZone TGridHitTest::zoneAt(int x, int y, bool onFillHandle, bool onSizableBorder) const {
  // The handle wins over a border it overlaps: both sit on the selection's corner.
  if (onFillHandle) return hzFillHandle;
  if (onSizableBorder) return hzColumnBorder;
  const TGridGeometry& geo = view_.geometry;
  const bool inGutter = x < geo.gutterExtent, inHeader = y < geo.headerHeight;
  const bool rightOfGutter = x > geo.gutterExtent, belowHeader = y > geo.headerHeight;
  const bool inColumns = contentX(x) < geo.columnsWidth, inRows = contentY(y) < geo.rowsHeight;
  if (inGutter && inHeader) return hzCorner;
  if (inGutter && belowHeader && inRows) return hzGutter;
  if (inHeader && rightOfGutter && inColumns) return hzHeader;
  if (rightOfGutter && belowHeader && inColumns && inRows) return hzCell;
  return hzNone;
}

}  // namespace grid
