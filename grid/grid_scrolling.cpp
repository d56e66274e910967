#include "grid_scrolling.h"

#include <algorithm>

#include "fw/control.h"

namespace grid::scrolling {

int afterBarRequest(int offset, int code, int position, int rowHeight, int limit) {
  long long next = offset;
  switch (code) {
    case fw::scroll::LineUp: next -= rowHeight; break;
    case fw::scroll::LineDown: next += rowHeight; break;
    case fw::scroll::PageUp: next -= static_cast<long long>(kPageRows) * rowHeight; break;
    case fw::scroll::PageDown: next += static_cast<long long>(kPageRows) * rowHeight; break;
    case fw::scroll::ThumbPosition:
    case fw::scroll::ThumbTrack: next = position; break;
    default: break;
  }
  return static_cast<int>(std::clamp<long long>(next, 0, limit));
}

int afterWheel(int offset, int delta, int limit) {
  return static_cast<int>(std::clamp<long long>(static_cast<long long>(offset) - delta, 0, limit));
}

int snappedToRow(int y, int rowHeight) { return (y / rowHeight) * rowHeight; }

TScrollTarget toShowCell(const TGridView& view, const fw::Rect& client, int columnLeft, int columnWidth, int row,
                         bool footer) {
  const TGridGeometry& geo = view.geometry;
  TScrollTarget t{view.scrollX, view.scrollY};
  // Everything fits: nothing to bring into view.
  if (geo.contentRight < client.right && geo.contentBottom < client.bottom) return t;

  const int h = view.rowHeight;
  const int firstRow = view.scrollY / h;
  const int shown = (client.bottom - geo.headerHeight) / h - 1 - (footer ? 1 : 0);
  const int lastRow = firstRow + shown;
  t.moveY = row < firstRow || row > lastRow;
  if (row < firstRow) t.y = row * h;
  if (row > lastRow) t.y = (row - shown) * h;

  const int left = columnLeft - view.scrollX + geo.gutterExtent;
  const int right = left + columnWidth;
  t.moveX = left < geo.gutterExtent || right > client.right;
  if (left < geo.gutterExtent) t.x = std::max(0, t.x + left - geo.gutterExtent);
  if (right > client.right) t.x = std::min(geo.maxScrollX, t.x + right - client.right + 1);
  return t;
}

}  // namespace grid::scrolling
