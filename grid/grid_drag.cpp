#include "grid_drag.h"

#include <algorithm>

namespace grid {
namespace {

// The visible columns from `first` to `last`, in index order.
std::vector<int> visibleColumnsBetween(const TCellColumns& columns, int first, int last) {
  std::vector<int> list;
  for (int c = std::max(0, first); c <= last && c < columns.Count(); ++c)
    if (columns[c].Visible()) list.push_back(c);
  return list;
}

// Steps `v` up by whole periods until it reaches `floor`.
int raiseByPeriods(int v, int floor, int period) {
  if (v >= floor) return v;
  return v + (floor - v + period - 1) / period * period;
}

}  // namespace

int draggedWidth(const TGridView& view, int columnLeft, int x, int least) {
  return std::max(least, x + view.scrollX - columnLeft - view.geometry.gutterExtent);
}

std::optional<std::pair<int, int>> sharedWidths(int wanted, int room, int least) {
  if (room <= 2 * least) return std::nullopt;
  const int kept = std::min(wanted, room - least);
  return std::pair{kept, room - kept};
}

std::vector<TFillCopy> fillCopies(const TCellColumns& columns, const TGridRect& s, const TGridRect& block) {
  std::vector<TFillCopy> copies;
  if (!s.Contains(block.Left, block.Top) || !s.Contains(block.Right, block.Bottom)) return copies;
  const std::vector<int> list = visibleColumnsBetween(columns, s.Left, s.Right);
  const std::vector<int> own = visibleColumnsBetween(columns, block.Left, block.Right);
  if (own.empty()) return copies;
  const int o = static_cast<int>(std::find(list.begin(), list.end(), own.front()) - list.begin());
  const int pw = static_cast<int>(own.size());
  const int ph = block.Bottom - block.Top + 1;
  for (int p = 0; p < static_cast<int>(list.size()); ++p) {
    const int from = list[static_cast<size_t>(o + (raiseByPeriods(p, o, pw) - o) % pw)];
    for (int r = s.Top; r <= s.Bottom; ++r) {
      const int fromRow = block.Top + (raiseByPeriods(r, block.Top, ph) - block.Top) % ph;
      copies.push_back({{list[static_cast<size_t>(p)], r}, {from, fromRow}});
    }
  }
  return copies;
}

}  // namespace grid
