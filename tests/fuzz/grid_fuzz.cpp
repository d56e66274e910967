// The grid's state under any sequence of what a user and a program can do to it: keys,
// characters, presses, drags, the wheel and the bars, pastes, cuts, hidden columns and row
// operations, on a grid with random properties. After every step the current cell is inside
// the grid (or none exactly when the grid has no rows or no columns) and the selection is a
// block inside the grid that holds it; every cell can be read and the grid painted.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cell_grid.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/platform.h"

namespace {

[[noreturn]] void fail(const char* what, int step) {
  std::fprintf(stderr, "property broken after step %d: %s\n", step, what);
  std::abort();
}

void check(grid::TCellGrid& g, int step) {
  const int cols = g.ColCount(), rows = g.RowCount();
  const int col = g.CurrentCol(), row = g.CurrentRow();
  if (cols == 0 || rows == 0) {
    if (col != -1 || row != -1) fail("a current cell in a grid without cells", step);
    return;
  }
  if (col < 0 || col >= cols || row < 0 || row >= rows) fail("the current cell is outside the grid", step);
  const grid::TGridRect s = g.Selection();
  if (s.Left < 0 || s.Top < 0 || s.Left > s.Right || s.Top > s.Bottom || s.Right >= cols || s.Bottom >= rows)
    fail("the selection is not a block inside the grid", step);
  if (!s.Contains(col, row)) fail("the selection does not hold the current cell", step);
  for (int c = 0; c < cols; ++c)
    for (int r = 0; r < rows; ++r) static_cast<void>(g.CellText(c, r));
}

fw::ShiftState shiftFrom(FuzzedDataProvider& in) {
  const auto bits = in.ConsumeIntegral<std::uint8_t>();
  return {.shift = (bits & 1) != 0, .alt = (bits & 2) != 0, .ctrl = (bits & 4) != 0,
          .left = (bits & 8) != 0, .right = (bits & 16) != 0, .middle = (bits & 32) != 0};
}

constexpr int kKeys[] = {grid::vk::Back, grid::vk::Return, grid::vk::Escape, grid::vk::Prior, grid::vk::Next,
                         grid::vk::End,  grid::vk::Home,   grid::vk::Left,   grid::vk::Up,    grid::vk::Right,
                         grid::vk::Down, grid::vk::Insert, grid::vk::Delete, grid::vk::C,     grid::vk::V,
                         grid::vk::X,    9,                113,              65};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  fw::Form form(nullptr);
  form.setBounds({0, 0, 400, 300});
  auto& g = form.create<grid::TCellGrid>(&form);
  g.setBounds({0, 0, in.ConsumeIntegralInRange(0, 300), in.ConsumeIntegralInRange(0, 200)});
  // A new grid's current cell is (0, 0) with no columns yet; the rule holds from the first
  // change of the counts on, so the grid is given one before its own counts.
  g.setColCount(1);
  g.setColCount(in.ConsumeIntegralInRange(0, 6));
  g.setRowCount(in.ConsumeIntegralInRange(0, 12));
  g.setReadOnly(in.ConsumeBool());
  g.setAutoAddRow(in.ConsumeBool());
  g.setAutoFillDown(in.ConsumeBool());
  g.setAutoFillRight(in.ConsumeBool());
  g.setFitToWidth(in.ConsumeBool());
  g.setAutoColWidth(in.ConsumeBool());
  g.setShowFooter(in.ConsumeBool());
  g.setShowGrid(in.ConsumeBool());
  g.setFlat(in.ConsumeBool());
  g.setHeaderLine(in.ConsumeIntegralInRange(0, 3));
  g.setGutterKind(static_cast<grid::TGutterKind>(in.ConsumeIntegralInRange(0, 4)));
  g.setGutterWidth(in.ConsumeIntegralInRange(0, 40));
  g.setDefRowHeight(in.ConsumeIntegralInRange(1, 40));
  g.setDefColWidth(in.ConsumeIntegralInRange(1, 120));
  for (int c = 0; c < g.ColCount(); ++c) {
    g.Columns()[c].setVisible(in.ConsumeIntegralInRange(0, 3) != 0);
    g.Columns()[c].setReadOnly(in.ConsumeIntegralInRange(0, 3) == 0);
    g.Columns()[c].setWidth(in.ConsumeIntegralInRange(0, 150));
  }
  g.setFocus();
  check(g, 0);

  for (int step = 1; in.remaining_bytes() > 0 && step <= 200; ++step) {
    const auto point = [&] {
      return fw::Point{in.ConsumeIntegralInRange(-20, 320), in.ConsumeIntegralInRange(-20, 220)};
    };
    const auto index = [&](int count) { return in.ConsumeIntegralInRange(-1, count); };
    try {
      switch (in.ConsumeIntegralInRange(0, 17)) {
        case 0: fw::headless::keyDown(g, in.PickValueInArray(kKeys), shiftFrom(in)); break;
        case 1: fw::headless::character(g, in.ConsumeIntegral<char>()); break;
        case 2: {
          const auto button = static_cast<fw::MouseButton>(in.ConsumeIntegralInRange(0, 2));
          fw::headless::mouseDown(g, button, point(), shiftFrom(in));
          break;
        }
        case 3: fw::headless::mouseMove(g, point(), shiftFrom(in)); break;
        case 4: fw::headless::mouseUp(g, static_cast<fw::MouseButton>(in.ConsumeIntegralInRange(0, 2)), point()); break;
        case 5:
          fw::clipboard::setText(in.ConsumeRandomLengthString(64));
          fw::headless::keyDown(g, grid::vk::V, {.ctrl = true});
          break;
        case 6: g.CutSelection(); break;
        case 7: g.CopySelection(); break;
        case 8: {
          const int c = index(g.ColCount());
          if (c >= 0 && c < g.ColCount()) g.Columns()[c].setVisible(!g.Columns()[c].Visible());
          break;
        }
        case 9: g.InsertRow(index(g.RowCount() + 1)); break;
        case 10: g.RemoveRow(index(g.RowCount())); break;
        case 11: g.AppendRow(); break;
        case 12: g.setRowCount(in.ConsumeIntegralInRange(0, 12)); break;
        case 13: g.setColCount(in.ConsumeIntegralInRange(0, 6)); break;
        case 14: fw::headless::mouseWheel(g, in.ConsumeIntegralInRange(-360, 360), point()); break;
        case 15:
          fw::headless::scrollBar(g, in.ConsumeBool() ? fw::ScrollBar::Vertical : fw::ScrollBar::Horizontal,
                                  in.ConsumeIntegralInRange(0, 8), in.ConsumeIntegralInRange(-5, 2000));
          break;
        case 16: g.setCellText(index(g.ColCount()), index(g.RowCount()), in.ConsumeRandomLengthString(16)); break;
        case 17: fw::headless::paint(g); break;
      }
    } catch (const grid::CellIndexError&) {
      // An index beyond the grid is refused, as documented; the grid must stay whole.
    }
    check(g, step);
  }
  fw::headless::paint(g);
  return 0;
}
