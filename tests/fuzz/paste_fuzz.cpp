// The grid's clipboard text: any text pasted into any grid, the reader's fields written and read
// again, and the round trip that every grid keeps: a copy, then a paste into an empty grid of the
// same shape, gives back the same cells.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cell_grid.h"
#include "cell_grid_clipboard.h"
#include "fw/form.h"
#include "fw/platform.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

using Lines = std::vector<std::vector<std::string>>;

Lines readAll(const std::string& text) {
  Lines lines;
  grid::ClipboardReader reader(text);
  while (!reader.atEnd()) {
    auto& line = lines.emplace_back();
    for (bool more = true; more;) more = reader.readField(&line.emplace_back());
  }
  return lines;
}

std::string writeAll(const Lines& lines) {
  std::string text;
  for (const auto& line : lines) {
    for (size_t i = 0; i < line.size(); ++i) {
      if (i) text += '\t';
      grid::appendClipboardField(text, line[i]);
    }
    text += "\r\n";
  }
  return text;
}

struct Shape {
  int cols;
  int rows;
  std::vector<bool> hidden;
};

void shapeGrid(grid::TCellGrid& g, const Shape& s) {
  g.setColCount(s.cols);
  g.setRowCount(s.rows);
  for (int c = 0; c < s.cols; ++c) g.Columns()[c].setVisible(!s.hidden[c]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  Shape shape;
  shape.cols = in.ConsumeIntegralInRange(0, 6);
  shape.rows = in.ConsumeIntegralInRange(0, 6);
  for (int c = 0; c < shape.cols; ++c) shape.hidden.push_back(in.ConsumeIntegralInRange(0, 3) == 0);
  const bool wholeSelection = in.ConsumeBool();
  const bool pasteRaw = in.ConsumeBool();

  fw::Form form(nullptr);
  if (pasteRaw) {
    // Any text into any grid: nothing outside the grid, no crash; the reader's fields, written
    // and read again, are the same fields.
    auto& g = form.create<grid::TCellGrid>(&form);
    shapeGrid(g, shape);
    const int col = in.ConsumeIntegralInRange(0, 6), row = in.ConsumeIntegralInRange(0, 6);
    const int col2 = in.ConsumeIntegralInRange(0, 6), row2 = in.ConsumeIntegralInRange(0, 6);
    for (int c = 0; c < shape.cols; ++c) g.Columns()[c].setReadOnly(in.ConsumeBool());
    if (col < shape.cols && row < shape.rows) g.SetCurrentCell(col, row);
    if (col < shape.cols && row < shape.rows && col2 < shape.cols && row2 < shape.rows)
      g.SetSelection(grid::TGridRect::Spanning(col, row, col2, row2), false);
    const std::string text = in.ConsumeRemainingBytesAsString();
    fw::clipboard::setText(text);
    g.PasteClipboard();
    const Lines lines = readAll(text);
    if (readAll(writeAll(lines)) != lines) fail("fields written and read again differ");
    return 0;
  }

  if (shape.cols == 0 || shape.rows == 0) return 0;
  auto& source = form.create<grid::TCellGrid>(&form);
  shapeGrid(source, shape);
  for (int r = 0; r < shape.rows; ++r)
    for (int c = 0; c < shape.cols; ++c) source.setCellText(c, r, in.ConsumeRandomLengthString(40));
  source.SetCurrentCell(0, 0);
  source.SetSelection({0, 0, shape.cols - 1, shape.rows - 1}, false);
  source.CopySelection();

  auto& target = form.create<grid::TCellGrid>(&form);
  shapeGrid(target, shape);
  target.SetCurrentCell(0, 0);
  if (wholeSelection) target.SetSelection({0, 0, shape.cols - 1, shape.rows - 1}, false);
  target.PasteClipboard();
  for (int r = 0; r < shape.rows; ++r)
    for (int c = 0; c < shape.cols; ++c)
      if (!shape.hidden[c] && target.RawCellText(c, r) != source.RawCellText(c, r)) fail("a cell changed in the round trip");
  return 0;
}
