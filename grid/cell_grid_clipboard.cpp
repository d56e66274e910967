// Copy, cut and paste of blocks of cells as tab-separated lines.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "cell_grid.h"
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
// line ending in CR LF. Only visible cells make fields, so a block whose left column is hidden
// pastes back onto the same cells. With emptyCells, each cell is emptied right after it is read.
std::string selectionText(TCellGrid& g, bool emptyCells) {
  const TGridRect sel = g.Selection();
  std::string text;
  for (int r = sel.Top; r <= sel.Bottom; ++r) {
    bool first = true;
    for (int c = sel.Left; c <= sel.Right; ++c) {
      if (!isVisibleColumn(g, c)) continue;
      if (!first) text += '\t';
      first = false;
      text += g.RawCellText(c, r);
      if (emptyCells) writeByUser(g, c, r, std::string());
    }
    text += "\r\n";
  }
  return text;
}

size_t countOf(std::string_view s, char ch) {
  size_t n = 0;
  for (size_t p = s.find(ch); p != std::string_view::npos; p = s.find(ch, p + 1)) ++n;
  return n;
}

// A clipboard text read as a block. Lines end at CR LF, a lone LF or a lone CR, and a final
// break does not start an empty line. Every line counts for the number of lines and the width,
// but only the first few are kept: the text may hold far more lines than the grid has rows.
struct PastedBlock {
  size_t lineCount = 0;
  size_t width = 1;                     // the most fields of any line (k tabs: k + 1 fields)
  std::vector<std::string_view> lines;  // the first min(lineCount, keep) lines
};

PastedBlock readBlock(std::string_view text, size_t keep) {
  PastedBlock block;
  constexpr size_t npos = std::string_view::npos;
  // The next CR and LF at or after pos, each looked up again only once passed, so the text is
  // read once however its breaks are mixed.
  size_t nextCr = text.find('\r'), nextLf = text.find('\n');
  size_t pos = 0;
  while (pos < text.size()) {
    if (nextCr != npos && nextCr < pos) nextCr = text.find('\r', pos);
    if (nextLf != npos && nextLf < pos) nextLf = text.find('\n', pos);
    const size_t end = std::min({nextCr, nextLf, text.size()});
    const std::string_view line = text.substr(pos, end - pos);
    block.width = std::max(block.width, countOf(line, '\t') + 1);
    if (block.lineCount < keep) block.lines.push_back(line);
    ++block.lineCount;
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
  return block;
}

// The first count values of a line: its tab-separated fields, then empty values.
std::vector<std::string> valuesOf(std::string_view line, size_t count) {
  std::vector<std::string> values;
  values.reserve(count);
  size_t pos = 0;
  while (values.size() < count) {
    const size_t tab = line.find('\t', pos);
    values.emplace_back(line.substr(pos, tab == std::string_view::npos ? tab : tab - pos));
    if (tab == std::string_view::npos) break;
    pos = tab + 1;
  }
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
  const TGridRect sel = selection_;
  const bool oneCell = selectionIsOneCell();
  const int rowsReached = oneCell ? rowCount_ - currentRow_ : sel.Bottom - sel.Top + 1;
  const PastedBlock block = readBlock(text, static_cast<size_t>(std::max(0, rowsReached)));
  if (oneCell) {
    pasteFromCell(*this, block, currentCol_, currentRow_);
  } else {
    pasteIntoSelection(*this, block, sel);
  }
}

}  // namespace grid
