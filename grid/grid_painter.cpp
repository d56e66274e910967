// Painting goes straight to the window, with clip regions instead of an off-screen bitmap; the
// erase message is answered without erasing, since the paint covers every pixel.
#include "grid_painter.h"

#include <algorithm>

#include "cell_insets.h"
#include "grid_boxes.h"
#include "fw/scale.h"
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

fw::Rect TGridPainter::clientBox(int col, int row) const {
  return toClient(v_.layout, cellBox(v_.layout, v_.columns, col, row));
}

fw::Color TGridPainter::cellColor(int col, int row) const {
  fw::Color c = col >= 0 && col < v_.columns.Count() ? v_.columns[col].Color() : v_.color;
  if (row % 2 == 1 && c == v_.color) c = v_.alternateColor;
  const TGridSelection& sel = v_.selection;
  if (v_.enabled && sel.block.Contains(col, row) && !(col == sel.col && row == sel.row)) return v_.selectionColor;
  return c;
}

std::optional<fw::Rect> TGridPainter::paint(fw::Canvas& canvas) {
  const fw::Rect& client = v_.client;
  const TGridGeometry& geo = v_.layout.geometry;
  // What needs painting: a box read before any clip of ours, so it is the update area's.
  // Whatever lies wholly outside it is not visited.
  updateBox_ = canvas.clipBox().intersect(client);
  if (v_.columns.Count() == 0) {
    canvas.setBrush({v_.color});
    canvas.fillRect(client);
    return std::nullopt;
  }
  std::optional<fw::Rect> handle;
  if (v_.layout.rowCount > 0) {
    const fw::Rect s = blockClientBox(v_.layout, v_.columns, v_.selection.block);
    const fw::Rect outer{s.left - 1, s.top - 1, s.right + 1, s.bottom + 1};
    const fw::Rect inner{s.left + 2, s.top + 2, s.right - 2, s.bottom - 2};
    {
      fw::ScopedClip clip(canvas, v_.enabled ? withoutBand(geo.cellArea, outer, inner) : fw::Region(geo.cellArea));
      // Only rows and columns that can meet the cell area inside the update box are visited.
      const fw::Rect cells = geo.cellArea.intersect(updateBox_);
      const auto [first, last] = rowsBetween(v_.layout, cells.top, cells.bottom);
      const int dx = geo.gutterExtent - v_.layout.scrollX;
      for (int c = 0, left = 0; c < v_.columns.Count(); ++c) {
        const TCellColumn& column = v_.columns[c];
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
      fw::ScopedClip clip(canvas, v_.enabled ? withoutBand(client, outer, inner) : fw::Region(client));
      paintEmptyAreas(canvas);
    }
    {
      fw::ScopedClip clip(canvas, fw::Region(geo.cellArea));
      if (v_.enabled && v_.selection.col != -1 && v_.selection.row != -1) handle = drawSelection(canvas);
    }
  } else {
    paintEmptyAreas(canvas);
  }
  drawGutter(canvas);
  drawHeader(canvas);
  if (v_.showFooter) drawFooter(canvas);
  return handle;
}

void TGridPainter::drawCell(fw::Canvas& canvas, int col, int row) const {
  const fw::Rect r = clientBox(col, row);
  if (!meets(r, v_.layout.geometry.cellArea) || !meets(r, updateBox_)) return;
  const TCellColumn& column = v_.columns[col];
  fw::Font font = column.Font();
  if (!v_.enabled) font.color = v_.gridColor;
  canvas.setFont(font);
  canvas.setPen({v_.gridColor});
  const fw::Color fill = cellColor(col, row);
  canvas.setBrush({fill});
  if (v_.hooks.cell && v_.hooks.cell(canvas, col, row, r)) return;
  canvas.setBrush({fill});
  if (v_.showGrid) {
    canvas.rectangle(r);
  } else {
    canvas.fillRect(r);
  }
  canvas.setBrush({.clear = true});
  drawAlignedText(canvas, v_.columns.Text(col, row), inset(r, cellInsets(v_.dpi)), false, column.VertAlign(),
                  column.HorzAlign());
}

fw::Point TGridPainter::paintCellText(fw::Canvas& canvas, int col, int row, bool typing) const {
  const fw::Rect r = clientBox(col, row);
  const TCellColumn& column = v_.columns[col];
  const fw::Color fill = cellColor(col, row);
  canvas.setBrush({fill});
  canvas.setFont(column.Font());
  if (v_.hooks.cell && v_.hooks.cell(canvas, col, row, r)) return {-1, -1};
  canvas.setBrush({fill});
  const fw::Rect inside = inset(r, cellInsets(v_.dpi));
  canvas.fillRect(inside);
  canvas.setBrush({.clear = true});
  return drawAlignedText(canvas, v_.columns.Text(col, row), inside, typing, column.VertAlign(), column.HorzAlign());
}

fw::Point drawAlignedText(fw::Canvas& canvas, const std::string& text, const fw::Rect& r, bool typing,
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

void drawMultiLineText(fw::Canvas& canvas, const std::string& text, const fw::Rect& r, TVertAlign vAlign,
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

void TGridPainter::drawHeaderBox(fw::Canvas& canvas, const fw::Rect& r, const std::string& text,
                                 const std::function<bool(fw::Canvas&, const fw::Rect&, const std::string&)>& hook,
                                 const fw::Font& font) const {
  canvas.setPen({v_.flat ? v_.headerDarkColor : fw::clBlack});
  canvas.setBrush({v_.headerColor});
  fw::Font f = font;
  if (!v_.enabled) f.color = v_.headerDarkColor;
  canvas.setFont(f);
  if (hook && hook(canvas, r, text)) return;
  canvas.rectangle(r);
  canvas.setBrush({.clear = true});
  drawMultiLineText(canvas, text, inset(r, boxInsets(v_.dpi)), vaCenter, haCenter);
  canvas.setPen({v_.headerLightColor});
  canvas.moveTo({r.left + 1, r.bottom - 2});
  canvas.lineTo({r.left + 1, r.top + 1});
  canvas.lineTo({r.right - 1, r.top + 1});
  if (!v_.flat) {
    canvas.setPen({v_.headerDarkColor});
    canvas.moveTo({r.right - 2, r.top + 1});
    canvas.lineTo({r.right - 2, r.bottom - 2});
    canvas.lineTo({r.left, r.bottom - 2});
  }
}

void TGridPainter::drawGutter(fw::Canvas& canvas) const {
  if (v_.gutterKind == gkNone) return;
  const TGridGeometry& geo = v_.layout.geometry;
  const int h = v_.layout.rowHeight;
  const fw::Rect clip{0, geo.cellArea.top, geo.cellArea.right, geo.cellArea.bottom};
  const int dy = geo.headerHeight - v_.layout.scrollY;
  const auto [first, last] = rowsBetween(v_.layout, clip.top, clip.bottom);
  for (int i = first; i <= last; ++i) {
    const fw::Rect r{-1, i * h - 1 + dy, v_.gutterWidth, (i + 1) * h + dy};
    if (!meets(r, clip) || !meets(r, updateBox_)) continue;
    std::string text;
    if (v_.gutterKind == gkNumber) text = std::to_string(i + 1);
    if (v_.gutterKind == gkString && static_cast<size_t>(i) < v_.gutterStrings.size())
      text = v_.gutterStrings[static_cast<size_t>(i)];
    drawHeaderBox(canvas, r, text, v_.hooks.gutter, v_.gutterFont);
    if (v_.gutterKind == gkPointer && i == v_.selection.row) {
      const int x = (v_.gutterWidth - 8) / 2, d = (h - 8) / 2, m = r.top + h / 2;
      canvas.setPen({v_.headerDarkColor});
      canvas.moveTo({x, r.bottom - d});
      canvas.lineTo({x, r.top + d});
      canvas.lineTo({x + 8, m});
      canvas.setPen({v_.headerLightColor});
      canvas.lineTo({x, r.bottom - d});
    }
  }
}

void TGridPainter::drawHeader(fw::Canvas& canvas) const {
  const TGridGeometry& geo = v_.layout.geometry;
  const int h = v_.layout.rowHeight;
  const int dx = geo.gutterExtent - v_.layout.scrollX;
  for (const THeaderInfo& cell : v_.headerCells) {
    const fw::Rect r = fw::Rect{columnLeft(geo, cell.Span.Left) - 1, cell.Span.Top * h - 1,
                                columnLeft(geo, cell.Span.Right + 1), (cell.Span.Bottom + 1) * h}
                           .offset(dx, 0);
    if (meets(r, v_.client) && meets(r, updateBox_)) drawHeaderBox(canvas, r, cell.Caption, v_.hooks.header, v_.headerFont);
  }
  const fw::Rect corner{-1, -1, geo.gutterExtent, geo.headerHeight};
  if (meets(corner, updateBox_)) drawHeaderBox(canvas, corner, std::string(), v_.hooks.header, v_.headerFont);
}

void TGridPainter::drawFooter(fw::Canvas& canvas) const {
  const TGridGeometry& geo = v_.layout.geometry;
  const int b = geo.footerTop + v_.layout.rowHeight;
  const int dx = geo.gutterExtent - v_.layout.scrollX;
  for (int i = 0; i < v_.columns.Count(); ++i) {
    const fw::Rect r = fw::Rect{columnLeft(geo, i) - 1, geo.footerTop, columnLeft(geo, i + 1), b + 1}.offset(dx, 0);
    if (meets(r, v_.client) && meets(r, updateBox_))
      drawHeaderBox(canvas, r, v_.columns[i].Footer(), v_.hooks.footer, v_.footerFont);
  }
  const fw::Rect corner{-1, geo.footerTop, geo.gutterExtent, b + 1};
  drawHeaderBox(canvas, corner, std::string(), v_.hooks.footer, v_.footerFont);
  const fw::Rect below{-1, b, std::min(geo.contentRight, v_.client.right), v_.client.bottom};
  drawHeaderBox(canvas, below, std::string(), v_.hooks.footer, v_.footerFont);
}

fw::Rect TGridPainter::drawSelection(fw::Canvas& canvas) const {
  const fw::Rect s = blockClientBox(v_.layout, v_.columns, v_.selection.block);
  const fw::Color ink = v_.focused ? fw::clBlack : v_.gridColor;
  canvas.setPen({ink, 3});
  canvas.setBrush({.clear = true});
  canvas.rectangle(s);
  canvas.setBrush({ink});
  canvas.setPen({fw::clWhite, 1});
  const int half = fw::scaleToDpi(3, v_.dpi);  // the handle is a square of twice this, on the frame
  fw::Rect handle;
  switch (v_.fillHandleCorner) {
    case TFillHandleCorner::BottomRight: handle = {s.right - half, s.bottom - half, s.right + half, s.bottom + half}; break;
    case TFillHandleCorner::TopRight: handle = {s.right - half, s.top + 2, s.right + half, s.top + 2 + 2 * half}; break;
    case TFillHandleCorner::BottomLeft: handle = {s.left + 2, s.bottom - half, s.left + 2 + 2 * half, s.bottom + half}; break;
  }
  canvas.rectangle(handle);
  if (v_.fillRange.Left != -1) {
    canvas.setPen({fw::clBlack, 1, false, true});
    canvas.setBrush({.clear = true});
    canvas.rectangle(blockClientBox(v_.layout, v_.columns, v_.fillRange));
    canvas.setPen({fw::clBlack, 1});
  }
  return handle;
}

void TGridPainter::paintEmptyAreas(fw::Canvas& canvas) const {
  const fw::Rect& client = v_.client;
  const TGridGeometry& geo = v_.layout.geometry;
  const int h = v_.layout.rowHeight;
  canvas.setBrush({v_.color});
  if (geo.contentRight < client.right) canvas.fillRect({geo.contentRight, 0, client.right, client.bottom});
  if (v_.showFooter) return;
  if (geo.contentBottom < client.bottom) canvas.fillRect({0, geo.contentBottom, client.right, client.bottom});
  if (geo.maxScrollY - v_.layout.scrollY < h)
    canvas.fillRect({0, geo.headerHeight + ((client.bottom - geo.headerHeight) / h) * h, client.right, client.bottom});
}

}  // namespace grid
