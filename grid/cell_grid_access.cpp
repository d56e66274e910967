#include "cell_grid_access.h"

#include <algorithm>

#include "cell_grid.h"

namespace grid {

namespace acc = fw::access;

namespace {

std::vector<std::string> splitTitle(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('|', start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

// Each row, the header row included, takes ColCount + 1 numbers: the row's own, then one per
// column; counted down from -1 so that they never meet the control's own 0 or a child index.
acc::ElementId TCellGridAccessible::RowId(const TCellGrid& grid, int row) {
  return -(1 + (row + 1) * (grid.ColCount() + 1));
}

acc::ElementId TCellGridAccessible::CellId(const TCellGrid& grid, int col, int row) {
  return RowId(grid, row) - (col + 1);
}

bool TCellGridAccessible::hasHeaderRow() const { return grid_.HeaderLine() > 0 && grid_.ColCount() > 0; }

bool TCellGridAccessible::columnShown(int col) const { return grid_.Columns()[col].Visible(); }

std::optional<TCellGridAccessible::Place> TCellGridAccessible::placeOf(acc::ElementId id) const {
  if (id == acc::kSelf) return Place{-2, -2};
  if (id > 0) return std::nullopt;
  const long long k = -static_cast<long long>(id) - 1;
  const long long stride = grid_.ColCount() + 1;
  const long long row = k / stride - 1;
  const long long col = k % stride - 1;
  if (row < firstRow() || row >= grid_.RowCount()) return std::nullopt;
  return Place{static_cast<int>(col), static_cast<int>(row)};
}

bool TCellGridAccessible::exists(acc::ElementId id) const { return placeOf(id).has_value(); }

int TCellGridAccessible::childCount(acc::ElementId id) const {
  const auto p = placeOf(id);
  if (!p) return 0;
  if (id == acc::kSelf) return grid_.RowCount() - firstRow();
  return p->col == -1 ? grid_.ColCount() : 0;
}

acc::ElementId TCellGridAccessible::child(acc::ElementId id, int index) const {
  if (id == acc::kSelf) return RowId(grid_, index + firstRow());
  return CellId(grid_, index, placeOf(id)->row);
}

std::optional<acc::ElementId> TCellGridAccessible::parent(acc::ElementId id) const {
  const auto p = placeOf(id);
  if (!p || id == acc::kSelf) return std::nullopt;
  if (p->col == -1) return acc::kSelf;
  return RowId(grid_, p->row);
}

int TCellGridAccessible::role(acc::ElementId id) const {
  const auto p = placeOf(id);
  if (!p) return 0;
  if (id == acc::kSelf) return acc::role::Table;
  if (p->col == -1) return acc::role::Row;
  return p->row == -1 ? acc::role::ColumnHeader : acc::role::Cell;
}

// The title as the header shows it: one part per header line (the last part repeats on the
// lines below it), a part that spans lines read once.
std::string TCellGridAccessible::columnHeaderName(int col) const {
  const std::vector<std::string> parts = splitTitle(grid_.Columns()[col].Title());
  const size_t lines = std::min(parts.size(), static_cast<size_t>(grid_.HeaderLine()));
  std::string name;
  for (size_t l = 0; l < lines; ++l) {
    if (l > 0 && parts[l] == parts[l - 1]) continue;
    if (!name.empty() && !parts[l].empty()) name += ' ';
    name += parts[l];
  }
  return name;
}

std::string TCellGridAccessible::name(acc::ElementId id) const {
  const auto p = placeOf(id);
  if (!p) return {};
  if (id == acc::kSelf) return grid_.accessibleName().empty() ? kDefaultName : grid_.accessibleName();
  if (p->col >= 0) return p->row == -1 ? columnHeaderName(p->col) : grid_.RawCellText(p->col, p->row);
  // A row reads as what it shows: the texts of its visible columns in order.
  std::string joined;
  for (int c = 0; c < grid_.ColCount(); ++c) {
    if (!columnShown(c)) continue;
    const std::string text = p->row == -1 ? columnHeaderName(c) : grid_.RawCellText(c, p->row);
    if (text.empty()) continue;
    if (!joined.empty()) joined += ", ";
    joined += text;
  }
  return joined;
}

std::string TCellGridAccessible::value(acc::ElementId id) const {
  const auto p = placeOf(id);
  if (!p || id == acc::kSelf || p->col < 0 || p->row < 0) return {};
  return grid_.RawCellText(p->col, p->row);
}

fw::Rect TCellGridAccessible::viewOf(int row) const {
  const fw::Size client = grid_.clientSize();
  if (row == -1) return {grid_.Geometry().gutterExtent, 0, client.width, grid_.Geometry().headerHeight};
  return grid_.Geometry().cellArea;
}

// Cells tile the columns' area without overlap: the shared grid line belongs to the cell left
// of it and above it, as the mouse has it.
fw::Rect TCellGridAccessible::cellBox(int col, int row) const {
  const int h = grid_.DefRowHeight();
  const int x = grid_.ColumnLeft(col) + grid_.Geometry().gutterExtent - grid_.ScrollX();
  const int w = columnShown(col) ? grid_.Columns()[col].Width() : 0;
  if (row == -1) return {x, 0, x + w, grid_.Geometry().headerHeight};
  const int y = row * h + grid_.Geometry().headerHeight - grid_.ScrollY();
  return {x, y, x + w, y + h};
}

unsigned TCellGridAccessible::state(acc::ElementId id) const {
  const auto p = placeOf(id);
  if (!p) return acc::state::Unavailable;
  const bool focused = grid_.focused();
  if (id == acc::kSelf) {
    return acc::state::Focusable | (focused ? acc::state::Focused : 0) | (grid_.ReadOnly() ? acc::state::ReadOnly : 0) |
           (grid_.visible() ? 0 : acc::state::Invisible);
  }
  unsigned s = 0;
  if (p->col == -1) {
    if (p->row >= 0 && location(id).intersect(viewOf(p->row)).empty()) s |= acc::state::Offscreen;
    return s;
  }
  if (!columnShown(p->col)) return acc::state::Invisible;
  if (cellBox(p->col, p->row).intersect(viewOf(p->row)).empty()) s |= acc::state::Offscreen;
  if (p->row == -1) return s | acc::state::ReadOnly;
  s |= acc::state::Focusable | acc::state::Selectable | acc::state::ExtSelectable;
  if (grid_.ReadOnly() || grid_.Columns()[p->col].ReadOnly()) s |= acc::state::ReadOnly;
  if (grid_.Selection().Contains(p->col, p->row)) s |= acc::state::Selected;
  if (focused && p->col == grid_.CurrentCol() && p->row == grid_.CurrentRow()) s |= acc::state::Focused;
  return s;
}

fw::Rect TCellGridAccessible::location(acc::ElementId id) const {
  const auto p = placeOf(id);
  if (!p) return {};
  if (id == acc::kSelf) {
    const fw::Size client = grid_.clientSize();
    return {0, 0, client.width, client.height};
  }
  if (p->col == -1) {
    const int h = p->row == -1 ? grid_.Geometry().headerHeight : grid_.DefRowHeight();
    const int top = p->row == -1 ? 0 : p->row * h + grid_.Geometry().headerHeight - grid_.ScrollY();
    const int left = grid_.Geometry().gutterExtent - grid_.ScrollX();
    return {left, top, left + grid_.TotalColumnWidth(), top + h};
  }
  if (!columnShown(p->col)) return {};
  return cellBox(p->col, p->row);
}

std::optional<acc::ElementId> TCellGridAccessible::navigate(acc::ElementId from, acc::Nav direction) const {
  const auto p = placeOf(from);
  if (!p) return std::nullopt;
  const int rows = grid_.RowCount();
  const int first = grid_.FirstVisibleColumn();
  const int last = grid_.LastVisibleColumn();
  if (from == acc::kSelf) {
    if (rows - firstRow() <= 0) return std::nullopt;
    if (direction == acc::Nav::FirstChild) return RowId(grid_, firstRow());
    if (direction == acc::Nav::LastChild) return RowId(grid_, rows - 1);
    return std::nullopt;
  }
  if (p->col == -1) {
    switch (direction) {
      case acc::Nav::Up:
      case acc::Nav::Previous:
        if (p->row > firstRow()) return RowId(grid_, p->row - 1);
        return std::nullopt;
      case acc::Nav::Down:
      case acc::Nav::Next:
        if (p->row < rows - 1) return RowId(grid_, p->row + 1);
        return std::nullopt;
      case acc::Nav::FirstChild:
        if (first >= 0) return CellId(grid_, first, p->row);
        return std::nullopt;
      case acc::Nav::LastChild:
        if (last >= 0) return CellId(grid_, last, p->row);
        return std::nullopt;
      default: return std::nullopt;
    }
  }
  // Cells move as the arrow keys do: over hidden columns, and up from the first row into
  // the header.
  switch (direction) {
    case acc::Nav::Left:
    case acc::Nav::Previous: {
      const int c = grid_.PreviousVisibleColumn(p->col);
      if (c != p->col && columnShown(c)) return CellId(grid_, c, p->row);
      return std::nullopt;
    }
    case acc::Nav::Right:
    case acc::Nav::Next: {
      const int c = grid_.NextVisibleColumn(p->col);
      if (c != p->col && columnShown(c)) return CellId(grid_, c, p->row);
      return std::nullopt;
    }
    case acc::Nav::Up:
      if (p->row > firstRow()) return CellId(grid_, p->col, p->row - 1);
      return std::nullopt;
    case acc::Nav::Down:
      if (p->row < rows - 1) return CellId(grid_, p->col, p->row + 1);
      return std::nullopt;
    default: return std::nullopt;
  }
}

std::optional<acc::ElementId> TCellGridAccessible::hitTest(fw::Point at) const {
  const fw::Size client = grid_.clientSize();
  if (!fw::Rect{0, 0, client.width, client.height}.contains(at)) return std::nullopt;
  for (int row : {-1, 0}) {
    if (row == -1 && !hasHeaderRow()) continue;
    if (!viewOf(row).contains(at)) continue;
    // The data row under the point, then its column; a point beside the columns is the row's.
    int r = row;
    if (row == 0) {
      const int y = at.y - grid_.Geometry().headerHeight + grid_.ScrollY();
      r = y / grid_.DefRowHeight();
      if (y < 0 || r >= grid_.RowCount()) return acc::kSelf;
    }
    for (int c = 0; c < grid_.ColCount(); ++c)
      if (columnShown(c) && cellBox(c, r).contains(at)) return CellId(grid_, c, r);
    return location(RowId(grid_, r)).contains(at) ? RowId(grid_, r) : acc::kSelf;
  }
  return acc::kSelf;
}

std::optional<acc::ElementId> TCellGridAccessible::focus() const {
  if (!grid_.focused()) return std::nullopt;
  const int col = grid_.CurrentCol(), row = grid_.CurrentRow();
  if (col < 0 || row < 0 || col >= grid_.ColCount() || row >= grid_.RowCount()) return acc::kSelf;
  return CellId(grid_, col, row);
}

std::vector<acc::ElementId> TCellGridAccessible::selection() const {
  std::vector<acc::ElementId> cells;
  if (grid_.ColCount() == 0 || grid_.RowCount() == 0) return cells;
  const TGridRect& s = grid_.Selection();
  for (int r = std::max(0, s.Top); r <= std::min(s.Bottom, grid_.RowCount() - 1); ++r)
    for (int c = std::max(0, s.Left); c <= std::min(s.Right, grid_.ColCount() - 1); ++c)
      if (columnShown(c)) cells.push_back(CellId(grid_, c, r));
  return cells;
}

// ---------------------------------------------------------------------------------------------
// The grid's side

const fw::access::Model* TCellGrid::accessibleModel() {
  if (!accessible_) accessible_ = std::make_unique<TCellGridAccessible>(*this);
  return accessible_.get();
}

void TCellGrid::raiseCellEvent(unsigned event, int col, int row) {
  const bool cell = col >= 0 && row >= -1 && col < ColCount() && row < rowCount_;
  raiseAccessibleEvent(event, cell ? TCellGridAccessible::CellId(*this, col, row) : fw::access::kSelf);
}

}  // namespace grid
