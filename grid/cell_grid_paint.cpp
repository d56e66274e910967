// The grid's painting and repaint requests. Painting goes straight to the window, with clip
// regions instead of an off-screen bitmap; the erase message is answered without erasing, since
// the paint covers every pixel.
#include <algorithm>

#include "cell_grid.h"
#include "split_text.h"

namespace grid {
namespace {

bool meets(const fw::Rect& a, const fw::Rect& b) { return !a.intersect(b).empty(); }

fw::Rect inset(const fw::Rect& r, const TTextInsets& by) {
  return {r.left + by.left, r.top + by.top, r.right - by.right, r.bottom - by.bottom};
}

// The area without the band under the selection frame: `outer` less `inner` (an inside that
// has no pixels leaves the whole of `outer` as the band).
fw::Region withoutBand(const fw::Rect& area, const fw::Rect& outer, const fw::Rect& inner) {
  fw::Region region(area);
  region.subtract(outer);
  region.add(area.intersect(inner));
  return region;
}

}  // namespace

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
  const int left = ColumnLeft(i) + geometry_.gutterExtent - scrollX_;
  invalidateRect({left - 3, 0, left + (*columns_)[i].Width() + 3, clientRect().bottom});
}

// ---------------------------------------------------------------------------------------------
// Painting

void TCellGrid::paint(fw::Canvas& canvas) {
  if (batchLock_) return;
  const fw::Rect client = clientRect();
  // What needs painting: a box read before any clip of ours, so it is the update area's.
  // Whatever lies wholly outside it is not visited.
  updateBox_ = canvas.clipBox().intersect(client);
  if (ColCount() == 0) {
    canvas.setBrush({Color()});
    canvas.fillRect(client);
    return;
  }
  if (rowCount_ <= 0) {
    paintEmptyAreas(canvas);
    drawGutter(canvas);
    drawHeader(canvas);
    if (showFooter_) drawFooter(canvas);
    return;
  }
  const fw::Rect s = selectionClientRect();
  const fw::Rect outer{s.left - 1, s.top - 1, s.right + 1, s.bottom + 1};
  const fw::Rect inner{s.left + 2, s.top + 2, s.right - 2, s.bottom - 2};
  {
    const fw::Rect& area = geometry_.cellArea;
    fw::ScopedClip clip(canvas, enabled_ ? withoutBand(area, outer, inner) : fw::Region(area));
    // Only rows and columns that can meet the cell area inside the update box are visited.
    const fw::Rect cells = area.intersect(updateBox_);
    const auto [first, last] = rowsBetween(cells.top, cells.bottom);
    const int dx = geometry_.gutterExtent - scrollX_;
    for (int c = 0, left = 0; c < ColCount(); ++c) {
      const TCellColumn& column = (*columns_)[c];
      if (!column.Visible()) continue;
      const int right = left + column.Width();
      // The column's strip in client x, its shared left line included.
      const bool inBox = left - 1 + dx < cells.right && right + dx > cells.left;
      left = right;
      if (!inBox || cells.empty()) continue;
      for (int r = first; r <= last; ++r) drawCell(canvas, c, r);
    }
  }
  {
    fw::ScopedClip clip(canvas, enabled_ ? withoutBand(client, outer, inner) : fw::Region(client));
    paintEmptyAreas(canvas);
  }
  {
    fw::ScopedClip clip(canvas, fw::Region(geometry_.cellArea));
    if (enabled_) drawSelection(canvas);
  }
  drawGutter(canvas);
  drawHeader(canvas);
  if (showFooter_) drawFooter(canvas);
}

void TCellGrid::drawCell(fw::Canvas& canvas, int col, int row) {
  fw::Rect r = CellRectToClient(CellRect(col, row));
  if (!meets(r, geometry_.cellArea) || !meets(r, updateBox_)) return;
  const TCellColumn& column = (*columns_)[col];
  fw::Font font = column.Font();
  if (!enabled_) font.color = gridColor_;
  canvas.setFont(font);
  canvas.setPen({gridColor_});
  const fw::Color fill = CellColor(col, row);
  canvas.setBrush({fill});
  bool handled = false;
  if (OnDrawCell) OnDrawCell(*this, canvas, col, row, r, handled);
  if (handled) return;
  canvas.setBrush({fill});
  if (showGrid_) {
    canvas.rectangle(r);
  } else {
    canvas.fillRect(r);
  }
  canvas.setBrush({.clear = true});
  drawAlignedText(canvas, rawText(col, row), inset(r, cellInsets(dpi())), false, column.VertAlign(), column.HorzAlign());
}

fw::Point TCellGrid::RepaintCellText(int col, int row, bool typing) {
  fw::Point caret{-1, -1};
  fw::Rect r = CellRectToClient(CellRect(col, row));
  if (!meets(r, geometry_.cellArea) || col < 0 || col >= ColCount()) return caret;
  paintNow([&](fw::Canvas& canvas) {
    const TCellColumn& column = (*columns_)[col];
    const fw::Color fill = CellColor(col, row);
    canvas.setBrush({fill});
    canvas.setFont(column.Font());
    bool handled = false;
    if (OnDrawCell) OnDrawCell(*this, canvas, col, row, r, handled);
    if (handled) return;
    canvas.setBrush({fill});
    r = inset(r, cellInsets(dpi()));
    canvas.fillRect(r);
    canvas.setBrush({.clear = true});
    caret = drawAlignedText(canvas, rawText(col, row), r, typing, column.VertAlign(), column.HorzAlign());
  });
  return caret;
}

fw::Point TCellGrid::drawAlignedText(fw::Canvas& canvas, const std::string& text, const fw::Rect& r, bool typing,
                                     TVertAlign vAlign, THorzAlign hAlign) {
  const int w = text.empty() ? 0 : canvas.textExtent(text).width;
  const int h = canvas.textExtent("gM").height;
  const int rw = r.right - r.left;
  int x = r.left;
  switch (hAlign) {
    case haLeft: x = typing && w > rw ? r.right - w : r.left; break;
    case haCenter: x = r.left + (rw - w) / 2; break;
    case haRight: x = r.right - w; break;
  }
  int y = r.top;
  switch (vAlign) {
    case vaTop: y = r.top; break;
    case vaCenter: y = r.top + (r.bottom - r.top - h) / 2; break;
    case vaBottom: y = r.bottom - h; break;
  }
  if (!text.empty()) canvas.textOut(r, x, y, text);
  return {std::min(x + w + 1, r.right), r.top - 1};
}

void TCellGrid::drawMultiLineText(fw::Canvas& canvas, const std::string& text, const fw::Rect& r, TVertAlign vAlign,
                                  THorzAlign hAlign) {
  if (text.find(';') == std::string::npos) {
    drawAlignedText(canvas, text, r, false, vAlign, hAlign);
    return;
  }
  std::vector<std::string> lines = splitAt(text, ';');
  if (lines.size() > 1 && text.back() == ';') lines.pop_back();
  const int h = canvas.textExtent("gM").height;
  const int n = static_cast<int>(lines.size());
  const int y0 = r.top + (r.bottom - r.top - n * h) / 2;
  for (int i = 0; i < n; ++i) {
    const std::string& line = lines[static_cast<size_t>(i)];
    const int w = line.empty() ? 0 : canvas.textExtent(line).width;
    const int rw = r.right - r.left;
    const int x = hAlign == haLeft ? r.left : hAlign == haCenter ? r.left + (rw - w) / 2 : r.right - w;
    const int y = vAlign == vaTop ? r.top + i * h : vAlign == vaCenter ? y0 + i * h : r.bottom - (n - i) * h;
    if (!line.empty()) canvas.textOut(r, x, y, line);
  }
}

void TCellGrid::drawHeaderBox(fw::Canvas& canvas, const fw::Rect& r, const std::string& text,
                              const TOnDrawHeaderEvent& handler, const fw::Font& font) {
  canvas.setPen({flat_ ? headerDarkColor_ : fw::clBlack});
  canvas.setBrush({headerColor_});
  fw::Font f = font;
  if (!enabled_) f.color = headerDarkColor_;
  canvas.setFont(f);
  bool handled = false;
  if (handler) handler(*this, canvas, r, text, handled);
  if (handled) return;
  canvas.rectangle(r);
  canvas.setBrush({.clear = true});
  drawMultiLineText(canvas, text, inset(r, boxInsets(dpi())), vaCenter, haCenter);
  canvas.setPen({headerLightColor_});
  canvas.moveTo({r.left + 1, r.bottom - 2});
  canvas.lineTo({r.left + 1, r.top + 1});
  canvas.lineTo({r.right - 1, r.top + 1});
  if (!flat_) {
    canvas.setPen({headerDarkColor_});
    canvas.moveTo({r.right - 2, r.top + 1});
    canvas.lineTo({r.right - 2, r.bottom - 2});
    canvas.lineTo({r.left, r.bottom - 2});
  }
}

void TCellGrid::drawGutter(fw::Canvas& canvas) {
  if (gutterKind_ == gkNone) return;
  const int h = defRowHeight_;
  const fw::Rect clip{0, geometry_.cellArea.top, geometry_.cellArea.right, geometry_.cellArea.bottom};
  const int dy = geometry_.headerHeight - scrollY_;
  const auto [first, last] = rowsBetween(clip.top, clip.bottom);
  for (int i = first; i <= last; ++i) {
    const fw::Rect r{-1, i * h - 1 + dy, gutterWidth_, (i + 1) * h + dy};
    if (!meets(r, clip) || !meets(r, updateBox_)) continue;
    std::string text;
    if (gutterKind_ == gkNumber) text = std::to_string(i + 1);
    if (gutterKind_ == gkString && static_cast<size_t>(i) < gutterStrings_.size())
      text = gutterStrings_[static_cast<size_t>(i)];
    drawHeaderBox(canvas, r, text, OnDrawGutter, gutterFont_);
    if (gutterKind_ == gkPointer && i == sel_.row) {
      const int x = (gutterWidth_ - 8) / 2, d = (h - 8) / 2, m = r.top + h / 2;
      canvas.setPen({headerDarkColor_});
      canvas.moveTo({x, r.bottom - d});
      canvas.lineTo({x, r.top + d});
      canvas.lineTo({x + 8, m});
      canvas.setPen({headerLightColor_});
      canvas.lineTo({x, r.bottom - d});
    }
  }
}

void TCellGrid::drawHeader(fw::Canvas& canvas) {
  const int h = defRowHeight_;
  const fw::Rect client = clientRect();
  const int dx = geometry_.gutterExtent - scrollX_;
  for (const THeaderInfo& cell : headerCells_) {
    const fw::Rect r = fw::Rect{ColumnLeft(cell.Span.Left) - 1, cell.Span.Top * h - 1, ColumnLeft(cell.Span.Right + 1),
                                (cell.Span.Bottom + 1) * h}
                           .offset(dx, 0);
    if (meets(r, client) && meets(r, updateBox_)) drawHeaderBox(canvas, r, cell.Caption, OnDrawHeader, headerFont_);
  }
  const fw::Rect corner{-1, -1, geometry_.gutterExtent, geometry_.headerHeight};
  if (meets(corner, updateBox_)) drawHeaderBox(canvas, corner, std::string(), OnDrawHeader, headerFont_);
}

void TCellGrid::drawFooter(fw::Canvas& canvas) {
  const fw::Rect client = clientRect();
  const int b = geometry_.footerTop + defRowHeight_;
  const int dx = geometry_.gutterExtent - scrollX_;
  for (int i = 0; i < ColCount(); ++i) {
    const fw::Rect r = fw::Rect{ColumnLeft(i) - 1, geometry_.footerTop, ColumnLeft(i + 1), b + 1}.offset(dx, 0);
    if (meets(r, client) && meets(r, updateBox_)) drawHeaderBox(canvas, r, (*columns_)[i].Footer(), OnDrawFooter, footerFont_);
  }
  const fw::Rect corner{-1, geometry_.footerTop, geometry_.gutterExtent, b + 1};
  drawHeaderBox(canvas, corner, std::string(), OnDrawFooter, footerFont_);
  const fw::Rect below{-1, b, std::min(geometry_.contentRight, client.right), client.bottom};
  drawHeaderBox(canvas, below, std::string(), OnDrawFooter, footerFont_);
}

void TCellGrid::drawSelection(fw::Canvas& canvas) {
  if (sel_.col == -1 || sel_.row == -1) return;
  const fw::Rect s = selectionClientRect();
  const fw::Color ink = focused() ? fw::clBlack : gridColor_;
  canvas.setPen({ink, 3});
  canvas.setBrush({.clear = true});
  canvas.rectangle(s);
  canvas.setBrush({ink});
  canvas.setPen({fw::clWhite, 1});
  const int half = px(3);  // the handle is a square of twice this, on the frame
  switch (fillHandleCorner_) {
    case TFillHandleCorner::BottomRight: fillHandleRect_ = {s.right - half, s.bottom - half, s.right + half, s.bottom + half}; break;
    case TFillHandleCorner::TopRight: fillHandleRect_ = {s.right - half, s.top + 2, s.right + half, s.top + 2 + 2 * half}; break;
    case TFillHandleCorner::BottomLeft: fillHandleRect_ = {s.left + 2, s.bottom - half, s.left + 2 + 2 * half, s.bottom + half}; break;
  }
  canvas.rectangle(fillHandleRect_);
  fillHandleCorner_ = TFillHandleCorner::BottomRight;
  if (fillRange_.Left != -1) {
    const fw::Rect a = CellRect(fillRange_.Left, fillRange_.Top);
    const fw::Rect b = CellRect(fillRange_.Right, fillRange_.Bottom);
    canvas.setPen({fw::clBlack, 1, false, true});
    canvas.setBrush({.clear = true});
    canvas.rectangle(CellRectToClient({a.left, a.top, b.right, b.bottom}));
    canvas.setPen({fw::clBlack, 1});
  }
}

void TCellGrid::paintEmptyAreas(fw::Canvas& canvas) {
  const fw::Rect client = clientRect();
  const TGridGeometry& geo = geometry_;
  const int h = defRowHeight_;
  canvas.setBrush({Color()});
  if (geo.contentRight < client.right) canvas.fillRect({geo.contentRight, 0, client.right, client.bottom});
  if (showFooter_) return;
  if (geo.contentBottom < client.bottom) canvas.fillRect({0, geo.contentBottom, client.right, client.bottom});
  if (geo.maxScrollY - scrollY_ < h)
    canvas.fillRect({0, geo.headerHeight + ((client.bottom - geo.headerHeight) / h) * h, client.right, client.bottom});
}

}  // namespace grid
