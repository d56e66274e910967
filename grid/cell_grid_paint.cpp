// The grid's layout (Recalculate, RebuildHeader), geometry, colours, painting and repaint
// requests. Painting goes straight to the window, with clip regions instead of an off-screen
// bitmap; the erase message is answered without erasing, since the paint covers every pixel.
#include <algorithm>

#include "cell_grid.h"
#include "fw/backend.h"

namespace grid {
namespace {

// Floor division, for rows above the top of the view.
int floorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

bool meets(const fw::Rect& a, const fw::Rect& b) { return !a.intersect(b).empty(); }

// The area without the band under the selection frame: `outer` less `inner` (an inside that
// has no pixels leaves the whole of `outer` as the band).
fw::Region withoutBand(const fw::Rect& area, const fw::Rect& outer, const fw::Rect& inner) {
  fw::Region region(area);
  region.subtract(outer);
  region.add(area.intersect(inner));
  return region;
}

std::vector<std::string> split(const std::string& text, char at) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(at, start);
    if (end == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Geometry

int TCellGrid::ColumnLeft(int i) const {
  int left = 0;
  const int n = std::min(i, ColCount());
  for (int c = 0; c < n; ++c)
    if ((*columns_)[c].visible_) left += (*columns_)[c].width_;
  return left;
}

int TCellGrid::TotalColumnWidth() const { return ColumnLeft(ColCount()); }

fw::Rect TCellGrid::CellRect(int col, int row) const {
  if (col == -1 || row == -1) return {};
  const int x = ColumnLeft(col);
  const bool shown = col >= 0 && col < ColCount() && (*columns_)[col].visible_;
  const int w = shown ? (*columns_)[col].width_ : 0;
  const int y = row * defRowHeight_;
  return {x - 1, y - 1, x + w, y + defRowHeight_};
}

fw::Rect TCellGrid::CellRectToClient(const fw::Rect& r) const {
  return r.offset(gutterExtent_ - scrollX_, headerHeight_ - scrollY_);
}

fw::Rect TCellGrid::clientRect() const {
  const fw::Size client = clientSize();
  return {0, 0, client.width, client.height};
}

fw::Rect TCellGrid::selectionClientRect() const {
  const fw::Rect a = CellRect(selection_.Left, selection_.Top);
  const fw::Rect b = CellRect(selection_.Right, selection_.Bottom);
  return CellRectToClient({a.left, a.top, b.right, b.bottom});
}

std::pair<int, int> TCellGrid::rowsBetween(int top, int bottom) const {
  // Row i covers client y from i * H - 1 + dy to (i + 1) * H + dy, its shared line included.
  const int h = defRowHeight_, dy = headerHeight_ - scrollY_;
  const int first = std::max(0, floorDiv(top - dy, h) - 1);
  const int last = std::min(rowCount_ - 1, floorDiv(bottom - dy, h) + 1);
  return {first, last};
}

fw::Color TCellGrid::CellColor(int col, int row) const {
  fw::Color c = col >= 0 && col < ColCount() ? (*columns_)[col].color_ : Color();
  if (row % 2 == 1 && c == Color()) c = alternateColor_;
  if (enabled_ && selection_.Contains(col, row) && !(col == currentCol_ && row == currentRow_)) return selectionColor_;
  return c;
}

int TCellGrid::MeasureColumnText(int col) const {
  // Measured in the grid's font, which is the window's own.
  int m = 0;
  for (const std::string& s : (*columns_)[col].strings_)
    m = std::max(m, (s.empty() ? 0 : peer().measureText(s).width) + kCellPaddingX);
  return std::max(m, px(20));
}

int TCellGrid::NeededColumnWidth(int col) const {
  const TCellColumn& column = (*columns_)[col];
  auto widest = [](const fw::Font& f, const std::string& text) {
    int w = 0;
    // A title's lines and header parts each have a box of the column's width at least.
    for (const std::string& part : split(text, '|'))
      for (const std::string& line : split(part, ';')) {
        if (line.empty()) continue;
        const fw::TextMetrics m = fw::backend::measureText(f, line);
        w = std::max(w, m.width + m.overhang);
      }
    return w;
  };
  int need = 0;
  if (headerLine_ > 0 && !column.title_.empty()) need = widest(headerFont_, column.title_) + kBoxPaddingX;
  if (!column.widestText_.empty()) {
    const fw::TextMetrics m = fw::backend::measureText(column.font_, column.widestText_);
    need = std::max(need, m.width + m.overhang + kCellPaddingX);
  }
  return need;
}

void TCellGrid::MakeRoomForTexts() {
  const int n = ColCount();
  std::vector<int> need(static_cast<size_t>(n), 0);
  for (int c = 0; c < n; ++c)
    if ((*columns_)[c].visible_) need[static_cast<size_t>(c)] = NeededColumnWidth(c);
  auto spare = [&](int c) { return (*columns_)[c].width_ - need[static_cast<size_t>(c)]; };
  bool moved = false;
  for (int c = 0; c < n; ++c) {
    TCellColumn& column = (*columns_)[c];
    if (!column.visible_) continue;
    while (spare(c) < 0) {
      // The donor with the most to spare, the leftmost of equals.
      int donor = -1;
      for (int d = 0; d < n; ++d)
        if (d != c && (*columns_)[d].visible_ && spare(d) > 0 && (donor < 0 || spare(d) > spare(donor))) donor = d;
      if (donor < 0) break;
      const int step = std::min(-spare(c), spare(donor));
      (*columns_)[donor].width_ -= step;
      column.width_ += step;
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
    while (columnsWidth_ != availW) {
      bool moved = false;
      for (int c = 0; c < n && columnsWidth_ != availW; ++c) {
        TCellColumn& column = (*columns_)[c];
        if (!column.visible_ || !column.canResize_ || !eligible(c)) continue;
        column.width_ += step;
        columnsWidth_ += step;
        moved = true;
      }
      if (!moved) return;
    }
  };
  if (columnsWidth_ < availW) walk(+1, [](int) { return true; });
  if (columnsWidth_ > availW) walk(-1, [this](int c) { return c != toggledColumn_; });
  toggledColumn_ = -1;
}

void TCellGrid::Recalculate() {
  if (loadingLayout_) return;
  const int h = defRowHeight_;
  int visibleColumns = 0;
  for (int c = 0; c < ColCount(); ++c) visibleColumns += (*columns_)[c].visible_ ? 1 : 0;
  if (visibleColumns == 0) {
    headerHeight_ = gutterExtent_ = columnsWidth_ = rowsHeight_ = 0;
    ShowScrollBars(false, false);
    return;
  }
  if (autoColWidth_)
    for (int c = 0; c < ColCount(); ++c) (*columns_)[c].width_ = std::max(defColWidth_, MeasureColumnText(c));

  gutterExtent_ = gutterKind_ != gkNone ? gutterWidth_ : 0;
  headerHeight_ = headerLine_ * h;
  rowsHeight_ = rowCount_ * h;
  const int footer = showFooter_ ? h : 0;
  fw::Size client = clientSize();
  const int availW = client.width - gutterExtent_;
  const int availH = client.height - headerHeight_ - footer;
  columnsWidth_ = TotalColumnWidth();
  if (fitToWidth_) fitColumns(availW);
  if (columnsWidth_ < availW) scrollX_ = 0;
  if (rowsHeight_ < availH) scrollY_ = 0;

  // Showing or hiding a bar resizes the client area, which lays the grid out again at once;
  // what follows works from the size as it is now and from the results of that layout.
  const bool vertical = rowsHeight_ > availH;
  ShowScrollBars(columnsWidth_ > availW, vertical);
  client = clientSize();

  maxScrollX_ = std::max(0, columnsWidth_ - client.width + gutterExtent_);
  maxScrollY_ = std::max(0, rowsHeight_ + headerHeight_ + footer - client.height);
  maxScrollY_ = (maxScrollY_ / h + (maxScrollY_ % h > 0 ? 1 : 0)) * h;
  if (showFooter_)
    footerTop_ = vertical ? (client.height / h - 1) * h - 1 : (headerLine_ + rowCount_) * h - 1;
  scrollX_ = std::max(0, std::min(scrollX_, maxScrollX_));
  scrollY_ = std::max(0, std::min(scrollY_, maxScrollY_));
  UpdateScrollBar(fw::ScrollBar::Horizontal, maxScrollX_, kScrollRangeAndPos, scrollX_);
  UpdateScrollBar(fw::ScrollBar::Vertical, maxScrollY_, kScrollRangeAndPos, scrollY_);

  client = clientSize();
  contentRight_ = std::min(client.width, columnsWidth_ + gutterExtent_);
  contentBottom_ = std::min(client.height, rowsHeight_ + headerHeight_ + footer);
  cellArea_ = {gutterExtent_, headerHeight_, client.width, showFooter_ ? footerTop_ : client.height};
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
    if (!column.visible_) {
      std::fill(lineOwner.begin(), lineOwner.end(), -1);
      continue;
    }
    std::vector<std::string> parts = split(column.title_, '|');
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
  if (ColCount() > 0) EnsureCellVisible(currentCol_, currentRow_);
}

// ---------------------------------------------------------------------------------------------
// Repaint requests

void TCellGrid::FullRepaint() { invalidateRect(clientRect()); }

void TCellGrid::InvalidateCellArea() {
  const fw::Rect c = clientRect();
  invalidateRect({gutterExtent_ - 2, headerHeight_ - 2, c.right, c.bottom});
}

void TCellGrid::InvalidateHeader() { invalidateRect({0, 0, clientRect().right, headerHeight_}); }

void TCellGrid::InvalidateGutter() { invalidateRect({0, headerHeight_, gutterExtent_, clientRect().bottom}); }

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
  const int left = ColumnLeft(i) + gutterExtent_ - scrollX_;
  invalidateRect({left - 3, 0, left + (*columns_)[i].width_ + 3, clientRect().bottom});
}

// ---------------------------------------------------------------------------------------------
// Painting

void TCellGrid::paint(fw::Canvas& canvas) {
  if (batchLock_) return;
  const fw::Rect client = clientRect();
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
    fw::ScopedClip clip(canvas, enabled_ ? withoutBand(cellArea_, outer, inner) : fw::Region(cellArea_));
    // Only rows that can meet the cell area are visited; the others would leave at once.
    const auto [first, last] = rowsBetween(cellArea_.top, cellArea_.bottom);
    for (int c = 0; c < ColCount(); ++c) {
      if (!(*columns_)[c].visible_) continue;
      for (int r = first; r <= last; ++r) drawCell(canvas, c, r);
    }
  }
  {
    fw::ScopedClip clip(canvas, enabled_ ? withoutBand(client, outer, inner) : fw::Region(client));
    paintEmptyAreas(canvas);
  }
  {
    fw::ScopedClip clip(canvas, fw::Region(cellArea_));
    if (enabled_) drawSelection(canvas);
  }
  drawGutter(canvas);
  drawHeader(canvas);
  if (showFooter_) drawFooter(canvas);
}

void TCellGrid::drawCell(fw::Canvas& canvas, int col, int row) {
  fw::Rect r = CellRectToClient(CellRect(col, row));
  if (!meets(r, cellArea_)) return;
  const TCellColumn& column = (*columns_)[col];
  fw::Font font = column.font_;
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
  r = {r.left + 4, r.top + 2, r.right - 4, r.bottom - 2};
  drawAlignedText(canvas, rawText(col, row), r, false, column.vertAlign_, column.horzAlign_);
}

fw::Point TCellGrid::RepaintCellText(int col, int row, bool typing) {
  fw::Point caret{-1, -1};
  fw::Rect r = CellRectToClient(CellRect(col, row));
  if (!meets(r, cellArea_) || col < 0 || col >= ColCount()) return caret;
  paintNow([&](fw::Canvas& canvas) {
    const TCellColumn& column = (*columns_)[col];
    const fw::Color fill = CellColor(col, row);
    canvas.setBrush({fill});
    canvas.setFont(column.font_);
    bool handled = false;
    if (OnDrawCell) OnDrawCell(*this, canvas, col, row, r, handled);
    if (handled) return;
    canvas.setBrush({fill});
    r = {r.left + 4, r.top + 2, r.right - 4, r.bottom - 2};
    canvas.fillRect(r);
    canvas.setBrush({.clear = true});
    caret = drawAlignedText(canvas, rawText(col, row), r, typing, column.vertAlign_, column.horzAlign_);
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
  std::vector<std::string> lines = split(text, ';');
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
  drawMultiLineText(canvas, text, {r.left + 2, r.top + 2, r.right - 3, r.bottom - 3}, vaCenter, haCenter);
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
  const fw::Rect clip{0, cellArea_.top, cellArea_.right, cellArea_.bottom};
  const int dy = headerHeight_ - scrollY_;
  const auto [first, last] = rowsBetween(clip.top, clip.bottom);
  for (int i = first; i <= last; ++i) {
    const fw::Rect r{-1, i * h - 1 + dy, gutterWidth_, (i + 1) * h + dy};
    if (!meets(r, clip)) continue;
    std::string text;
    if (gutterKind_ == gkNumber) text = std::to_string(i + 1);
    if (gutterKind_ == gkString && static_cast<size_t>(i) < gutterStrings_.size())
      text = gutterStrings_[static_cast<size_t>(i)];
    drawHeaderBox(canvas, r, text, OnDrawGutter, gutterFont_);
    if (gutterKind_ == gkPointer && i == currentRow_) {
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
  const int dx = gutterExtent_ - scrollX_;
  for (const THeaderInfo& cell : headerCells_) {
    const fw::Rect r = fw::Rect{ColumnLeft(cell.Span.Left) - 1, cell.Span.Top * h - 1, ColumnLeft(cell.Span.Right + 1),
                                (cell.Span.Bottom + 1) * h}
                           .offset(dx, 0);
    if (meets(r, client)) drawHeaderBox(canvas, r, cell.Caption, OnDrawHeader, headerFont_);
  }
  drawHeaderBox(canvas, {-1, -1, gutterExtent_, headerHeight_}, std::string(), OnDrawHeader, headerFont_);
}

void TCellGrid::drawFooter(fw::Canvas& canvas) {
  const fw::Rect client = clientRect();
  const int b = footerTop_ + defRowHeight_;
  const int dx = gutterExtent_ - scrollX_;
  for (int i = 0; i < ColCount(); ++i) {
    const fw::Rect r = fw::Rect{ColumnLeft(i) - 1, footerTop_, ColumnLeft(i + 1), b + 1}.offset(dx, 0);
    if (meets(r, client)) drawHeaderBox(canvas, r, (*columns_)[i].footer_, OnDrawFooter, footerFont_);
  }
  drawHeaderBox(canvas, {-1, footerTop_, gutterExtent_, b + 1}, std::string(), OnDrawFooter, footerFont_);
  drawHeaderBox(canvas, {-1, b, std::min(contentRight_, client.right), client.bottom}, std::string(), OnDrawFooter,
                footerFont_);
}

void TCellGrid::drawSelection(fw::Canvas& canvas) {
  if (currentCol_ == -1 || currentRow_ == -1) return;
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
  canvas.setBrush({Color()});
  if (contentRight_ < client.right) canvas.fillRect({contentRight_, 0, client.right, client.bottom});
  if (showFooter_) return;
  if (contentBottom_ < client.bottom) canvas.fillRect({0, contentBottom_, client.right, client.bottom});
  if (maxScrollY_ - scrollY_ < defRowHeight_)
    canvas.fillRect({0, headerHeight_ + ((client.bottom - headerHeight_) / defRowHeight_) * defRowHeight_, client.right,
                     client.bottom});
}

}  // namespace grid
