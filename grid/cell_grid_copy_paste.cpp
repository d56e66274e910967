// Copy, cut and paste of blocks of cells: the selection written as clipboard text, and a
// clipboard block written into the cells from the current one or repeated over the selection.
#include <algorithm>
#include <string>
#include <vector>

#include "cell_grid.h"
#include "cell_grid_clipboard.h"
#include "fw/platform.h"

namespace grid {
namespace {

// Asked again before every cell: a cell handler may change the columns or the rows mid-block.
bool isVisibleColumn(const TCellGrid& g, int col) {
  return col >= 0 && col < g.ColCount() && g.Columns()[col].Visible();
}

void writeByUser(TCellGrid& g, int col, int row, std::string value) {
  if (row < 0 || row >= g.RowCount() || !isVisibleColumn(g, col)) return;
  g.EditCellText(col, row, true, std::move(value));
}

// The selection as text: a line for each row holding its visible cells, tab-separated, each
// line ending in CR LF, each cell as a clipboard field. Only visible cells make fields, so a
// block whose left column is hidden pastes back onto the same cells. With emptyCells, each cell
// is emptied right after it is read.
std::string selectionText(TCellGrid& g, bool emptyCells) {
  const TGridRect sel = g.Selection();
  std::string text;
  for (int r = sel.Top; r <= sel.Bottom; ++r) {
    bool first = true;
    for (int c = sel.Left; c <= sel.Right; ++c) {
      if (!isVisibleColumn(g, c)) continue;
      if (!first) text += '\t';
      first = false;
      appendClipboardField(text, g.RawCellText(c, r));
      if (emptyCells) writeByUser(g, c, r, std::string());
    }
    text += "\r\n";
  }
  return text;
}

// The first count values of a line: its fields, then empty values.
std::vector<std::string> valuesOf(const std::vector<std::string>& line, size_t count) {
  std::vector<std::string> values(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(std::min(count, line.size())));
  values.resize(count);
  return values;
}

// The block from the cell (col, row) on, line n into row row + n: each value goes to the next
// visible column; what falls beyond the last column or row is dropped.
void pasteFromCell(TCellGrid& g, const PastedBlock& block, int col, int row) {
  for (size_t n = 0; n < block.lines.size(); ++n) {
    const int r = row + static_cast<int>(n);
    if (r >= g.RowCount()) return;
    const size_t reachable = static_cast<size_t>(std::max(0, g.ColCount() - col));
    std::vector<std::string> values = valuesOf(block.lines[n], std::min(block.width, reachable));
    size_t i = 0;
    for (int c = col; c < g.ColCount() && i < values.size(); ++c)
      if (isVisibleColumn(g, c)) writeByUser(g, c, r, std::move(values[i++]));
  }
}

// The block repeated down and across its visible columns until it fills the selection exactly.
void pasteIntoSelection(TCellGrid& g, const PastedBlock& block, const TGridRect& sel) {
  // An empty text has no line to repeat: it writes nothing, as it does into a single cell.
  if (block.lineCount == 0) return;
  const size_t across = std::min(block.width, static_cast<size_t>(sel.Right - sel.Left + 1));
  for (int r = sel.Top; r <= sel.Bottom; ++r) {
    const size_t n = static_cast<size_t>(r - sel.Top) % block.lineCount;
    const std::vector<std::string> values = valuesOf(block.lines[n], across);
    size_t i = 0;
    for (int c = sel.Left; c <= sel.Right; ++c) {
      if (!isVisibleColumn(g, c)) continue;
      writeByUser(g, c, r, values[i]);
      i = (i + 1) % block.width;
    }
  }
}

}  // namespace

void TCellGrid::CopySelection() {
  if (!hasCells()) return;
  fw::clipboard::setText(selectionText(*this, false));
}

void TCellGrid::CutSelection() {
  if (!hasCells()) return;
  BlockEdit edit(*this);
  fw::clipboard::setText(selectionText(*this, true));
}

void TCellGrid::PasteClipboard() {
  if (!fw::clipboard::hasText() || !hasCells()) return;
  HideCaretAndEditor();
  BlockEdit edit(*this);
  const std::string text = fw::clipboard::text();
  const TGridRect sel = sel_.block;
  const bool oneCell = sel_.isOneCell();
  const int rowsReached = oneCell ? rowCount_ - sel_.row : sel.Bottom - sel.Top + 1;
  const PastedBlock block = readClipboardBlock(text, static_cast<size_t>(std::max(0, rowsReached)));
  if (oneCell) {
    pasteFromCell(*this, block, sel_.col, sel_.row);
  } else {
    pasteIntoSelection(*this, block, sel);
  }
}

}  // namespace grid
