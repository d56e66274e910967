// The grid's repaint requests, and its painting handed to the painter (grid_painter.h) over
// what the grid shows now.
#include "cell_grid.h"
#include "grid_boxes.h"
#include "grid_painter.h"

namespace grid {

// ---------------------------------------------------------------------------------------------
// Repaint requests

void TCellGrid::FullRepaint() { invalidateRect(clientRect()); }

void TCellGrid::InvalidateCellArea() {
  const fw::Rect c = clientRect();
  invalidateRect({geometry_.gutterExtent - 2, geometry_.headerHeight - 2, c.right, c.bottom});
}

void TCellGrid::InvalidateHeader() { invalidateRect({0, 0, clientRect().right, geometry_.headerHeight}); }

void TCellGrid::InvalidateGutter() {
  invalidateRect({0, geometry_.headerHeight, geometry_.gutterExtent, clientRect().bottom});
}

void TCellGrid::InvalidateBelow(int y) {
  const fw::Rect c = clientRect();
  invalidateRect({0, y, c.right, c.bottom});
}

void TCellGrid::InvalidateRightOf(int x) {
  const fw::Rect c = clientRect();
  invalidateRect({x, 0, c.right, c.bottom});
}

void TCellGrid::InvalidateColumn(int i) {
  if (i < 0 || i >= ColCount()) return;
  const int left = ColumnLeft(i) + geometry_.gutterExtent - scroll_.x;
  invalidateRect({left - 3, 0, left + (*columns_)[i].Width() + 3, clientRect().bottom});
}

// ---------------------------------------------------------------------------------------------
// Painting

TGridPaintView TCellGrid::paintView() const {
  return {view(), *columns_, headerCells_, sel_, clientRect(), Color(), alternateColor_, gridColor_, selectionColor_,
          headerColor_, headerLightColor_, headerDarkColor_, headerFont_, footerFont_, gutterFont_, gutterKind_,
          gutterWidth_, gutterStrings_, flat_, showGrid_, showFooter_, enabled_, focused(), dpi(),
          drag_.handleCorner, drag_.fillRange, {}};
}

TGridPaintHooks TCellGrid::paintHooks() {
  TGridPaintHooks hooks;
  if (OnDrawCell)
    hooks.cell = [this](fw::Canvas& canvas, int col, int row, const fw::Rect& r) {
      bool handled = false;
      OnDrawCell(*this, canvas, col, row, r, handled);
      return handled;
    };
  auto boxHook = [this](const TOnDrawHeaderEvent& handler) -> decltype(hooks.header) {
    if (!handler) return {};
    return [this, &handler](fw::Canvas& canvas, const fw::Rect& r, const std::string& text) {
      bool handled = false;
      handler(*this, canvas, r, text, handled);
      return handled;
    };
  };
  hooks.header = boxHook(OnDrawHeader);
  hooks.gutter = boxHook(OnDrawGutter);
  hooks.footer = boxHook(OnDrawFooter);
  return hooks;
}

void TCellGrid::paint(fw::Canvas& canvas) {
  if (batchLock_) return;
  TGridPaintView v = paintView();
  v.hooks = paintHooks();
  if (const std::optional<fw::Rect> handle = TGridPainter(v).paint(canvas)) {
    drag_.fillHandle = *handle;
    // The mouse moves the handle for one drawing only.
    drag_.handleCorner = TFillHandleCorner::BottomRight;
  }
}

fw::Point TCellGrid::RepaintCellText(int col, int row, bool typing) {
  fw::Point caret{-1, -1};
  const fw::Rect r = CellRectToClient(CellRect(col, row));
  if (r.intersect(geometry_.cellArea).empty() || col < 0 || col >= ColCount()) return caret;
  paintNow([&](fw::Canvas& canvas) {
    TGridPaintView v = paintView();
    v.hooks = paintHooks();
    caret = TGridPainter(v).paintCellText(canvas, col, row, typing);
  });
  return caret;
}

}  // namespace grid
