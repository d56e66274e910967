// The grid's painting, over a read-only view of what it shows: the layout where it is
// scrolled to, the columns and their cells, the header cells, the selection, the colours and
// fonts. Only what meets the canvas's clip box is visited, so a test paints a view into an
// in-memory canvas and reads pixels and calls without a window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cell_grid_columns.h"
#include "cell_grid_types.h"
#include "grid_selection.h"
#include "fw/canvas.h"

namespace grid {

// The owner's drawing handlers, the sender already bound; each returns true when it drew the
// box itself. An empty one draws nothing.
struct TGridPaintHooks {
  std::function<bool(fw::Canvas&, int col, int row, const fw::Rect&)> cell;
  std::function<bool(fw::Canvas&, const fw::Rect&, const std::string&)> header, gutter, footer;
};

struct TGridPaintView {
  TGridView layout;
  const TCellColumns& columns;
  const std::vector<THeaderInfo>& headerCells;
  const TGridSelection& selection;
  fw::Rect client;
  fw::Color color, alternateColor, gridColor, selectionColor;
  fw::Color headerColor, headerLightColor, headerDarkColor;
  const fw::Font& headerFont;
  const fw::Font& footerFont;
  const fw::Font& gutterFont;
  TGutterKind gutterKind;
  int gutterWidth;
  const std::vector<std::string>& gutterStrings;
  bool flat, showGrid, showFooter;
  bool enabled;  // the grid's own flag: disabled grids paint without selection, in dimmed ink
  bool focused;
  int dpi;
  TFillHandleCorner fillHandleCorner;
  TGridRect fillRange;  // the block a fill drag would write, drawn dashed; Left -1: none
  TGridPaintHooks hooks;
};

class TGridPainter {
 public:
  explicit TGridPainter(const TGridPaintView& view) : v_(view) {}

  // Paints what meets the canvas's clip box. Returns where the fill handle went when the
  // selection was drawn.
  std::optional<fw::Rect> paint(fw::Canvas& canvas);
  // A cell's inside, lines left alone, in the column's font; returns where a caret goes after
  // the text, (-1, -1) when a handler drew the cell.
  fw::Point paintCellText(fw::Canvas& canvas, int col, int row, bool typing) const;
  // A cell's fill: its column's colour, every other row's alternate, the selection's colour
  // for a selected cell that is not the current one.
  fw::Color cellColor(int col, int row) const;

 private:
  fw::Rect clientBox(int col, int row) const;
  void drawCell(fw::Canvas& canvas, int col, int row) const;
  fw::Rect drawSelection(fw::Canvas& canvas) const;
  void paintEmptyAreas(fw::Canvas& canvas) const;
  void drawGutter(fw::Canvas& canvas) const;
  void drawHeader(fw::Canvas& canvas) const;
  void drawFooter(fw::Canvas& canvas) const;
  void drawHeaderBox(fw::Canvas& canvas, const fw::Rect& r, const std::string& text,
                     const std::function<bool(fw::Canvas&, const fw::Rect&, const std::string&)>& hook,
                     const fw::Font& font) const;

  const TGridPaintView& v_;
  fw::Rect updateBox_;  // the client box the paint under way must cover
};

// Text in a box at an alignment; while typing, a left-aligned text wider than the box shows
// its end. Returns where a caret goes after it.
fw::Point drawAlignedText(fw::Canvas& canvas, const std::string& text, const fw::Rect& r, bool typing,
                          TVertAlign vAlign, THorzAlign hAlign);
// Lines parted by ';' (a last empty one dropped), each aligned in the box.
void drawMultiLineText(fw::Canvas& canvas, const std::string& text, const fw::Rect& r, TVertAlign vAlign,
                       THorzAlign hAlign);

}  // namespace grid
