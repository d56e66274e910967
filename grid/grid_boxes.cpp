#include "grid_boxes.h"

#include <algorithm>
#include <vector>

namespace grid {
namespace {

// Floor division, for rows above the top of the view.
int floorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

int columnLeft(const TGridGeometry& geometry, int i) {
  const std::vector<int>& lefts = geometry.columnLefts;
  return lefts[static_cast<size_t>(std::clamp(i, 0, static_cast<int>(lefts.size()) - 1))];
}

fw::Rect cellBox(const TGridView& view, const TCellColumns& columns, int col, int row) {
  if (col == -1 || row == -1) return {};
  const int x = columnLeft(view.geometry, col);
  const bool shown = col >= 0 && col < columns.Count() && columns[col].Visible();
  const int w = shown ? columns[col].Width() : 0;
  const int y = row * view.rowHeight;
  return {x - 1, y - 1, x + w, y + view.rowHeight};
}

fw::Rect toClient(const TGridView& view, const fw::Rect& content) {
  return content.offset(view.geometry.gutterExtent - view.scrollX, view.geometry.headerHeight - view.scrollY);
}

fw::Rect blockClientBox(const TGridView& view, const TCellColumns& columns, const TGridRect& block) {
  const fw::Rect a = cellBox(view, columns, block.Left, block.Top);
  const fw::Rect b = cellBox(view, columns, block.Right, block.Bottom);
  return toClient(view, {a.left, a.top, b.right, b.bottom});
}

std::pair<int, int> rowsBetween(const TGridView& view, int top, int bottom) {
  // Row i covers client y from i * H - 1 + dy to (i + 1) * H + dy, its shared line included.
  const int h = view.rowHeight, dy = view.geometry.headerHeight - view.scrollY;
  const int first = std::max(0, floorDiv(top - dy, h) - 1);
  const int last = std::min(view.rowCount - 1, floorDiv(bottom - dy, h) + 1);
  return {first, last};
}

}  // namespace grid
