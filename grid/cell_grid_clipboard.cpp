// Copy, cut and paste of blocks of cells as tab-separated lines, in the quoted form that
// spreadsheets write and read for a cell that holds a tab, a line break or a leading quote.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "cell_grid.h"
#include "cell_grid_clipboard.h"
#include "fw/platform.h"

namespace grid {

bool needsClipboardQuotes(std::string_view text) {
  return !text.empty() && (text.front() == '"' || text.find_first_of("\t\r\n") != std::string_view::npos);
}

void appendClipboardField(std::string& out, std::string_view text) {
  if (!needsClipboardQuotes(text)) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

bool ClipboardReader::readField(std::string* value) {
  if (pos_ < text_.size() && text_[pos_] == '"' && readQuoted(value)) return endField();
  const size_t end = std::min(text_.find_first_of("\t\r\n", pos_), text_.size());
  if (value) value->assign(text_.substr(pos_, end - pos_));
  pos_ = end;
  return endField();
}

// The quoted form, when the field at pos_ is in it: the closing quote is the first quote not
// doubled, and only a tab, a line break or the end may follow it. Otherwise nothing is read
// and the field is plain text. A scan that fails stops at the first lone quote, so no part of
// the text is scanned more than a few times whatever its quotes.
bool ClipboardReader::readQuoted(std::string* value) {
  size_t q = pos_ + 1;
  for (;;) {
    q = text_.find('"', q);
    if (q == std::string_view::npos) return false;
    if (q + 1 < text_.size() && text_[q + 1] == '"') {
      q += 2;
      continue;
    }
    break;
  }
  if (q + 1 < text_.size() && !isBreakOrTab(text_[q + 1])) return false;
  if (value) {
    value->clear();
    for (size_t i = pos_ + 1; i < q; ++i) {
      *value += text_[i];
      if (text_[i] == '"') ++i;  // the second of a doubled quote
    }
  }
  pos_ = q + 1;
  return true;
}

// After a field: a tab starts the next field of the line; CR LF, a lone LF or a lone CR, or the
// end of the text, ends the line.
bool ClipboardReader::endField() {
  if (pos_ < text_.size() && text_[pos_] == '\t') {
    ++pos_;
    return true;
  }
  if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  return false;
}

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

// A clipboard text read as a block. Every line counts for the number of lines and the width,
// but only the first few are kept: the text may hold far more lines than the grid has rows.
struct PastedBlock {
  size_t lineCount = 0;
  size_t width = 1;                             // the most fields of any line
  std::vector<std::vector<std::string>> lines;  // the first min(lineCount, keep) lines
};

PastedBlock readBlock(std::string_view text, size_t keep) {
  PastedBlock block;
  ClipboardReader reader(text);
  std::vector<std::string> fields;
  while (!reader.atEnd()) {
    const bool kept = block.lineCount < keep;
    size_t count = 0;
    fields.clear();
    for (bool more = true; more; ++count) {
      std::string* value = nullptr;
      if (kept) value = &fields.emplace_back();
      more = reader.readField(value);
    }
    block.width = std::max(block.width, count);
    if (kept) block.lines.push_back(std::move(fields));
    ++block.lineCount;
  }
  return block;
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
