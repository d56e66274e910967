// The grid's property setters: each repaints or lays out only what its value changes.
#include "cell_grid.h"

#include <algorithm>

#include "fw/backend.h"

namespace grid {

// ---------------------------------------------------------------------------------------------
// Property setters

void TCellGrid::setEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  FullRepaint();
}

void TCellGrid::setDefRowHeight(int v) {
  askedRowHeight_ = v;
  if (!updateRowHeight()) return;
  Recalculate();
  FullRepaint();
}

int TCellGrid::MinRowHeight() const {
  // A line's letters: the cell height without the internal leading, which is the character
  // height the layouts give (so 18 pixels hold the call list's 15-pixel font at 114 dpi).
  auto line = [](const fw::Font& f) {
    const fw::TextMetrics m = fw::backend::measureText(f, "gM");
    return m.height - m.internalLeading;
  };
  const int cellPadding = cellInsets(dpi()).paddingY(), boxPadding = boxInsets(dpi()).paddingY();
  int h = line(font()) + cellPadding;
  if (headerLine_ > 0) h = std::max(h, line(headerFont_) + boxPadding);
  if (showFooter_) h = std::max(h, line(footerFont_) + boxPadding);
  if (gutterKind_ == gkNumber || gutterKind_ == gkString) h = std::max(h, line(gutterFont_) + boxPadding);
  return h;
}

bool TCellGrid::updateRowHeight() {
  const int v = std::max({1, askedRowHeight_, MinRowHeight()});  // rows are counted by dividing by it
  if (v == defRowHeight_) return false;
  defRowHeight_ = v;
  return true;
}

void TCellGrid::setDefColWidth(int v) {
  if (v == defColWidth_) return;
  defColWidth_ = v;
  if (!autoColWidth_) {
    Recalculate();
    FullRepaint();
  }
}

void TCellGrid::setFlat(bool v) {
  if (v == flat_) return;
  flat_ = v;
  FullRepaint();
}

void TCellGrid::setColor(fw::Color v) {
  if (v == color()) return;
  setBackground(v);  // the control's background, and a repaint of all of it
}

void TCellGrid::setAlternateColor(fw::Color v) {
  if (v == alternateColor_) return;
  alternateColor_ = v;
  InvalidateCellArea();
}

void TCellGrid::setGridColor(fw::Color v) {
  if (v == gridColor_) return;
  gridColor_ = v;
  InvalidateCellArea();
}

void TCellGrid::setShowGrid(bool v) {
  if (v == showGrid_) return;
  showGrid_ = v;
  InvalidateCellArea();
}

void TCellGrid::setHeaderLine(int v) {
  v = std::max(0, v);
  if (v == headerLine_) return;
  headerLine_ = v;
  updateRowHeight();
  RebuildHeader();
  FullRepaint();
}

void TCellGrid::setHeaderColor(fw::Color v) {
  if (v == headerColor_) return;
  headerColor_ = v;
  FullRepaint();
}

void TCellGrid::setHeaderLightColor(fw::Color v) {
  if (v == headerLightColor_) return;
  headerLightColor_ = v;
  FullRepaint();
}

void TCellGrid::setHeaderDarkColor(fw::Color v) {
  if (v == headerDarkColor_) return;
  headerDarkColor_ = v;
  FullRepaint();
}

void TCellGrid::setHeaderFont(const fw::Font& v) {
  headerFont_ = v;
  if (updateRowHeight()) {
    Recalculate();
    FullRepaint();
    return;
  }
  InvalidateHeader();
}

void TCellGrid::setFooterFont(const fw::Font& v) {
  footerFont_ = v;
  if (updateRowHeight()) Recalculate();
  FullRepaint();
}

void TCellGrid::setSelectionColor(fw::Color v) {
  if (v == selectionColor_) return;
  selectionColor_ = v;
  InvalidateCellArea();
}

void TCellGrid::setFitToWidth(bool v) {
  if (v == fitToWidth_) return;
  fitToWidth_ = v;
  scroll_.x = 0;
  Recalculate();
  FullRepaint();
}

void TCellGrid::setAutoColWidth(bool v) {
  if (v == autoColWidth_) return;
  autoColWidth_ = v;
  Recalculate();
  FullRepaint();
}

void TCellGrid::setGutterKind(TGutterKind v) {
  if (v == gutterKind_) return;
  const TGutterKind old = gutterKind_;
  gutterKind_ = v;
  const bool taller = updateRowHeight();
  Recalculate();
  if (old == gkNone || v == gkNone || taller) {
    FullRepaint();
  } else {
    InvalidateGutter();
  }
}

void TCellGrid::setGutterWidth(int v) {
  if (v == gutterWidth_) return;
  gutterWidth_ = v;
  Recalculate();
  FullRepaint();
}

void TCellGrid::setGutterFont(const fw::Font& v) {
  gutterFont_ = v;
  if (updateRowHeight()) {
    Recalculate();
    FullRepaint();
    return;
  }
  InvalidateGutter();
}

void TCellGrid::setGutterStrings(const std::vector<std::string>& v) {
  gutterStrings_ = v;
  if (gutterKind_ == gkString) InvalidateGutter();
}

void TCellGrid::setShowFooter(bool v) {
  if (v == showFooter_) return;
  showFooter_ = v;
  updateRowHeight();
  Recalculate();
  FullRepaint();
}

void TCellGrid::fontChanged() {
  // Column fonts follow the grid's font.
  if (!columns_) return;
  if (updateRowHeight()) {
    Recalculate();
    FullRepaint();
  }
  for (int c = 0; c < ColCount(); ++c) (*columns_)[c].setFont(font());
}

}  // namespace grid
