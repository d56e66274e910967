// The grid's parts that need no window, asked directly: the hit test over a geometry built by
// hand (a gutter, a header, a hidden column between two shown ones, scrolled by a row).
#include <gtest/gtest.h>

#include "cell_grid_clipboard.h"
#include "grid_fixtures.h"
#include "grid_hit_test.h"

namespace {

using gridtest::GridTest;
using grid::TGridCoord;
using grid::TGridGeometry;
using grid::TGridHitTest;

// Columns of 30, 50 (hidden) and 40 pixels after a 20-pixel gutter, under an 18-pixel header;
// three rows of 18, scrolled 10 pixels right and one row down: content x is client x - 10,
// content y is client y.
TGridGeometry handMadeGeometry() {
  TGridGeometry geo;
  geo.gutterExtent = 20;
  geo.headerHeight = 18;
  geo.columnsWidth = 70;
  geo.rowsHeight = 54;
  geo.columnLefts = {0, 30, 30, 70};
  geo.columnShown = {true, false, true};
  return geo;
}

TEST(GridHitTest, PointsFindTheirCellColumnRowBorderAndZone) {
  const TGridGeometry geo = handMadeGeometry();
  const TGridHitTest hit({geo, 10, 18, 18, 3});
  const struct {
    int x, y;
    TGridCoord cell;
    int column, row;
  } points[] = {
      {25, 30, {0, 1}, 0, 1},
      {40, 30, {0, 1}, 0, 1},     // on the shared border: the column before it
      {41, 40, {2, 2}, 2, 2},     // past the hidden column
      {500, 40, {2, 2}, 2, 2},    // right of the columns: the last
      {5, 5, {0, 0}, -1, -1},     // the corner
      {30, 59, {0, 2}, 0, -1},    // below the rows: the last row, no row
  };
  for (const auto& p : points) {
    SCOPED_TRACE(::testing::Message() << "at " << p.x << "," << p.y);
    EXPECT_EQ(hit.cellAt(p.x, p.y), p.cell);
    EXPECT_EQ(hit.columnAt(p.x), p.column);
    EXPECT_EQ(hit.rowAt(p.y), p.row);
  }

  const struct {
    int x, column;
  } borders[] = {{38, -1}, {39, 0}, {41, 0}, {42, -1}, {80, 2}, {60, -1}};
  for (const auto& b : borders) EXPECT_EQ(hit.borderColumnAt(b.x, 2), b.column) << "at x " << b.x;

  const struct {
    int x, y;
    bool handle, border;
    grid::THitZone zone;
  } zones[] = {
      {5, 5, false, false, grid::hzCorner},       {5, 30, false, false, grid::hzGutter},
      {30, 5, false, false, grid::hzHeader},      {30, 30, false, false, grid::hzCell},
      {30, 30, true, true, grid::hzFillHandle},   {30, 30, false, true, grid::hzColumnBorder},
      {90, 30, false, false, grid::hzNone},       {20, 30, false, false, grid::hzNone},  // on the gutter's edge
  };
  for (const auto& z : zones)
    EXPECT_EQ(hit.zoneAt(z.x, z.y, z.handle, z.border), z.zone) << "at " << z.x << "," << z.y;
}

// The grid keeps its geometry's edges with its columns' widths, also after a change that does
// not lay it out through a setter (a fit to the width, a hidden column).
TEST_F(GridTest, TheGeometryHoldsTheColumnEdgesAfterEveryWidthChange) {
  configureAsCallList();
  auto edges = [&] {
    std::vector<int> lefts;
    int left = 0;
    for (int c = 0; c < g.ColCount(); ++c) {
      lefts.push_back(left);
      if (g.Columns()[c].Visible()) left += g.Columns()[c].Width();
    }
    lefts.push_back(left);
    return lefts;
  };
  EXPECT_EQ(g.Geometry().columnLefts, edges()) << "fitted";
  g.Columns()[2].setVisible(false);
  EXPECT_EQ(g.Geometry().columnLefts, edges()) << "a column hidden";
  g.setFitToWidth(false);
  g.Columns()[0].setWidth(200);
  EXPECT_EQ(g.Geometry().columnLefts, edges()) << "a width set";
  g.setBounds(fw::Rect::fromSize(0, 0, 300, 200));
  g.setFitToWidth(true);
  EXPECT_EQ(g.Geometry().columnLefts, edges()) << "fitted to a narrower window";
  EXPECT_EQ(g.Geometry().columnLefts.back(), g.clientSize().width);
}

// A clipboard text as a block: every line counts for the block's height and width, only the
// first lines asked for are kept, and line ends of every kind end a line.
TEST(GridClipboardBlock, CountsEveryLineAndKeepsTheFirstOnes) {
  const struct {
    const char* text;
    size_t keep;
    size_t lineCount, width;
    std::vector<std::vector<std::string>> lines;
  } cases[] = {
      {"", 5, 0, 1, {}},
      {"a\tb\r\n", 5, 1, 2, {{"a", "b"}}},
      {"a\r\nb\tc\td\ne\rf", 2, 4, 3, {{"a"}, {"b", "c", "d"}}},  // the widest line is not kept
      {"\"x\ty\"\t\"q\r\n", 1, 1, 2, {{"x\ty", "\"q"}}},          // quoted, then a plain quote
      {"\t\r\n\r\n", 5, 2, 2, {{"", ""}, {""}}},
  };
  for (const auto& c : cases) {
    const grid::PastedBlock block = grid::readClipboardBlock(c.text, c.keep);
    EXPECT_EQ(block.lineCount, c.lineCount) << c.text;
    EXPECT_EQ(block.width, c.width) << c.text;
    EXPECT_EQ(block.lines, c.lines) << c.text;
  }
}

}  // namespace
