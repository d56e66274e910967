// The grid's layout (Recalculate, RebuildHeader) and geometry: column edges, cell rectangles,
// the rows in a band, colours by cell, and the column widths texts need.
#include <algorithm>

#include "cell_grid.h"
#include "grid_boxes.h"
#include "grid_painter.h"
#include "fw/backend.h"
#include "split_text.h"

namespace grid {
namespace {

// The columns' edges side by side, from their widths as they are now.
void measureColumns(const TCellColumns& columns, TGridGeometry& geo) {
  geo.columnLefts.assign(1, 0);
  geo.columnShown.clear();
  for (int c = 0; c < columns.Count(); ++c) {
    const TCellColumn& column = columns[c];
    geo.columnShown.push_back(column.Visible());
    geo.columnLefts.push_back(geo.columnLefts.back() + (column.Visible() ? column.Width() : 0));
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Geometry

int TCellGrid::ColumnLeft(int i) const { return columnLeft(geometry_, i); }

int TCellGrid::TotalColumnWidth() const { return ColumnLeft(ColCount()); }

TGridView TCellGrid::view() const { return {geometry_, scroll_.x, scroll_.y, defRowHeight_, rowCount_}; }

fw::Rect TCellGrid::CellRect(int col, int row) const { return cellBox(view(), *columns_, col, row); }

fw::Rect TCellGrid::CellRectToClient(const fw::Rect& r) const { return toClient(view(), r); }

fw::Rect TCellGrid::clientRect() const {
  const fw::Size client = clientSize();
  return {0, 0, client.width, client.height};
}

fw::Color TCellGrid::CellColor(int col, int row) const { return TGridPainter(paintView()).cellColor(col, row); }

int TCellGrid::MeasureColumnText(int col) const {
  // Measured in the grid's font, which is the window's own.
  int m = 0;
  for (const std::string& s : (*columns_)[col].Cells())
    m = std::max(m, (s.empty() ? 0 : peer().measureText(s).width) + cellInsets(dpi()).paddingX());
  return std::max(m, px(20));
}

int TCellGrid::NeededColumnWidth(int col) const {
  const TCellColumn& column = (*columns_)[col];
  auto widest = [](const fw::Font& f, const std::string& text) {
    int w = 0;
    // A title's lines and header parts each have a box of the column's width at least.
    for (const std::string& part : splitAt(text, '|'))
      for (const std::string& line : splitAt(part, ';')) {
        if (line.empty()) continue;
        const fw::TextMetrics m = fw::backend::measureText(f, line);
        w = std::max(w, m.width + m.overhang);
      }
    return w;
  };
  int need = 0;
  if (headerLine_ > 0 && !column.Title().empty()) need = widest(headerFont_, column.Title()) + boxInsets(dpi()).paddingX();
  if (!column.WidestText().empty()) {
    const fw::TextMetrics m = fw::backend::measureText(column.Font(), column.WidestText());
    need = std::max(need, m.width + m.overhang + cellInsets(dpi()).paddingX());
  }
  return need;
}

void TCellGrid::MakeRoomForTexts() {
  const int n = ColCount();
  std::vector<int> need(static_cast<size_t>(n), 0);
  for (int c = 0; c < n; ++c)
    if ((*columns_)[c].Visible()) need[static_cast<size_t>(c)] = NeededColumnWidth(c);
  auto spare = [&](int c) { return (*columns_)[c].Width() - need[static_cast<size_t>(c)]; };
  bool moved = false;
  for (int c = 0; c < n; ++c) {
    TCellColumn& column = (*columns_)[c];
    if (!column.Visible()) continue;
    while (spare(c) < 0) {
      // The donor with the most to spare, the leftmost of equals.
      int donor = -1;
      for (int d = 0; d < n; ++d)
        if (d != c && (*columns_)[d].Visible() && spare(d) > 0 && (donor < 0 || spare(d) > spare(donor))) donor = d;
      if (donor < 0) break;
      const int step = std::min(-spare(c), spare(donor));
      (*columns_)[donor].storeWidth((*columns_)[donor].Width() - step);
      column.storeWidth(column.Width() + step);
      moved = true;
    }
  }
  if (moved) Recalculate();
}

// ---------------------------------------------------------------------------------------------
// Layout

void TCellGrid::fitColumns(int availW) {
  const int n = ColCount();
  auto walk = [&](int step, auto eligible) {
    while (geometry_.columnsWidth != availW) {
      bool moved = false;
      for (int c = 0; c < n && geometry_.columnsWidth != availW; ++c) {
        TCellColumn& column = (*columns_)[c];
        if (!column.Visible() || !column.CanResize() || !eligible(c)) continue;
        column.storeWidth(column.Width() + step);
        geometry_.columnsWidth += step;
        moved = true;
      }
      if (!moved) return;
    }
  };
  if (geometry_.columnsWidth < availW) walk(+1, [](int) { return true; });
  if (geometry_.columnsWidth > availW) walk(-1, [this](int c) { return c != toggledColumn_; });
  toggledColumn_ = -1;
}

void TCellGrid::Recalculate() {
  // The edges follow every width change, also while a layout is read and nothing else is.
  measureColumns(*columns_, geometry_);
  if (loadingLayout_) return;
  TGridGeometry& geo = geometry_;
  const int h = defRowHeight_;
  int visibleColumns = 0;
  for (int c = 0; c < ColCount(); ++c) visibleColumns += (*columns_)[c].Visible() ? 1 : 0;
  if (visibleColumns == 0) {
    geo.headerHeight = geo.gutterExtent = geo.columnsWidth = geo.rowsHeight = 0;
    ShowScrollBars(false, false);
    return;
  }
  if (autoColWidth_) {
    for (int c = 0; c < ColCount(); ++c) (*columns_)[c].storeWidth(std::max(defColWidth_, MeasureColumnText(c)));
    measureColumns(*columns_, geometry_);
  }

  geo.gutterExtent = gutterKind_ != gkNone ? gutterWidth_ : 0;
  geo.headerHeight = headerLine_ * h;
  geo.rowsHeight = rowCount_ * h;
  const int footer = showFooter_ ? h : 0;
  fw::Size client = clientSize();
  const int availW = client.width - geo.gutterExtent;
  const int availH = client.height - geo.headerHeight - footer;
  geo.columnsWidth = TotalColumnWidth();
  if (fitToWidth_) {
    fitColumns(availW);
    measureColumns(*columns_, geometry_);
  }
  if (geo.columnsWidth < availW) scroll_.x = 0;
  if (geo.rowsHeight < availH) scroll_.y = 0;

  // Showing or hiding a bar resizes the client area, which lays the grid out again at once;
  // what follows works from the size as it is now and from the results of that layout.
  const bool vertical = geo.rowsHeight > availH;
  ShowScrollBars(geo.columnsWidth > availW, vertical);
  client = clientSize();

  geo.maxScrollX = std::max(0, geo.columnsWidth - client.width + geo.gutterExtent);
  geo.maxScrollY = std::max(0, geo.rowsHeight + geo.headerHeight + footer - client.height);
  geo.maxScrollY = (geo.maxScrollY / h + (geo.maxScrollY % h > 0 ? 1 : 0)) * h;
  if (showFooter_)
    geo.footerTop = vertical ? (client.height / h - 1) * h - 1 : (headerLine_ + rowCount_) * h - 1;
  scroll_.x = std::max(0, std::min(scroll_.x, geo.maxScrollX));
  scroll_.y = std::max(0, std::min(scroll_.y, geo.maxScrollY));
  peer().setScrollRange(fw::ScrollBar::Horizontal, geo.maxScrollX, scroll_.x);
  peer().setScrollRange(fw::ScrollBar::Vertical, geo.maxScrollY, scroll_.y);

  client = clientSize();
  geo.contentRight = std::min(client.width, geo.columnsWidth + geo.gutterExtent);
  geo.contentBottom = std::min(client.height, geo.rowsHeight + geo.headerHeight + footer);
  geo.cellArea = {geo.gutterExtent, geo.headerHeight, client.width, showFooter_ ? geo.footerTop : client.height};
}

void TCellGrid::RebuildHeader() {
  headerCells_.clear();
  const int lines = headerLine_;
  // For each header line, the cell the previous visible column has there; -1 after a hidden
  // column or before the first one, which matches no caption.
  std::vector<int> lineOwner(static_cast<size_t>(lines), -1);
  auto captionMatches = [&](int cell, const std::string& part) {
    return cell >= 0 && headerCells_[static_cast<size_t>(cell)].Caption == part;
  };
  for (int c = 0; c < ColCount(); ++c) {
    const TCellColumn& column = (*columns_)[c];
    if (!column.Visible()) {
      std::fill(lineOwner.begin(), lineOwner.end(), -1);
      continue;
    }
    std::vector<std::string> parts = splitAt(column.Title(), '|');
    while (static_cast<int>(parts.size()) < lines) parts.push_back(parts.empty() ? std::string() : parts.back());
    int prev = -1;
    for (int l = 0; l < lines; ++l) {
      const std::string& part = parts[static_cast<size_t>(l)];
      if (captionMatches(prev, part)) {
        TGridRect& span = headerCells_[static_cast<size_t>(prev)].Span;
        span.Bottom = std::min(std::max(span.Bottom, l), lines - 1);
        continue;
      }
      int& owner = lineOwner[static_cast<size_t>(l)];
      if (captionMatches(owner, part)) {
        headerCells_[static_cast<size_t>(owner)].Span.Right += 1;
      } else {
        headerCells_.push_back({part, {c, l, c, l}});
        owner = static_cast<int>(headerCells_.size()) - 1;
      }
      prev = owner;
    }
  }
  Recalculate();
}

void TCellGrid::handleResize() {
  fw::CustomControl::handleResize();
  if (loadingLayout_) return;
  Recalculate();
  if (ColCount() > 0) EnsureCellVisible(sel_.col, sel_.row);
}

}  // namespace grid
