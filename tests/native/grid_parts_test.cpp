// The grid's parts that need no window, asked directly: the hit test over a geometry built by
// hand (a gutter, a header, a hidden column between two shown ones, scrolled by a row).
#include <gtest/gtest.h>

#include <tuple>

#include "cell_grid_clipboard.h"
#include "grid_fixtures.h"
#include "grid_drag.h"
#include "grid_hit_test.h"
#include "grid_navigation.h"
#include "grid_painter.h"
#include "grid_scrolling.h"
#include "grid_selection.h"

namespace {

using gridtest::GridTest;
using grid::TGridCoord;
using grid::TGridGeometry;
using grid::TGridHitTest;
using gridtest::hex;
using gridtest::kBlack;
using gridtest::kWhite;

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

// Scrolling: bar requests stay inside the limit without wrapping; a cell is brought into view
// by the least move, on each axis only when it is out of view there.
TEST(GridScrolling, BarRequestsAndCellsBroughtIntoView) {
  namespace sc = grid::scrolling;
  const struct {
    int offset, code, position, expected;
  } requests[] = {
      {36, fw::scroll::LineUp, 0, 18},          {36, fw::scroll::PageDown, 0, 100},
      {90, fw::scroll::PageUp, 0, 0},           {10, fw::scroll::ThumbTrack, 70, 70},
      {10, fw::scroll::ThumbPosition, 500, 100}, {2147483000, fw::scroll::PageDown, 0, 100},  // no wrap
      {40, fw::scroll::EndScroll, 0, 40},
  };
  for (const auto& r : requests)
    EXPECT_EQ(sc::afterBarRequest(r.offset, r.code, r.position, 18, 100), r.expected) << r.offset << " code " << r.code;
  EXPECT_EQ(sc::afterWheel(50, -120, 100), 100);
  EXPECT_EQ(sc::afterWheel(50, 30, 100), 20) << "whole pixels, not rows";
  EXPECT_EQ(sc::snappedToRow(53, 18), 36);

  // A 200 x 100 client under an 18-pixel header: rows 0 to 3 are in view from offset 0.
  TGridGeometry geo = handMadeGeometry();
  geo.gutterExtent = 0;
  geo.contentRight = 200;
  geo.contentBottom = 100;
  geo.maxScrollX = 300;
  const fw::Rect client{0, 0, 200, 100};
  const grid::TGridView view{geo, 0, 0, 18, 20};
  const struct {
    int left, width, row;
    sc::TScrollTarget expected;
  } cells[] = {
      {0, 30, 2, {0, 0, false, false}},
      {0, 30, 10, {0, 7 * 18, false, true}},      // below: it becomes the last row in view
      {180, 40, 1, {21, 0, true, false}},        // past the right edge by 20, and one more
      {180, 40, 10, {21, 7 * 18, true, true}},
  };
  for (const auto& c : cells) {
    const sc::TScrollTarget t = sc::toShowCell(view, client, c.left, c.width, c.row, false);
    EXPECT_EQ(std::tie(t.x, t.y, t.moveX, t.moveY), std::tie(c.expected.x, c.expected.y, c.expected.moveX, c.expected.moveY))
        << "cell at " << c.left << " row " << c.row;
  }
  const sc::TScrollTarget up = sc::toShowCell({geo, 40, 5 * 18, 18, 20}, client, 0, 30, 2, false);
  EXPECT_EQ(std::tie(up.x, up.y, up.moveX, up.moveY), std::make_tuple(0, 36, true, true)) << "above and left";
}

// The selection's rules: it fits a grid only wholly inside it and around its current cell,
// and clamping holds the current cell inside the grid and selects it alone.
TEST(GridSelection, FitsOnlyInsideAndClampsToTheCurrentCellAlone) {
  using grid::TGridSelection;
  const struct {
    TGridSelection sel;
    int cols, rows;
    bool fits;
    int col, row;  // after clamping
  } cases[] = {
      {{1, 1, {0, 0, 2, 2}, 2, 2}, 3, 3, true, 1, 1},
      {{1, 1, {0, 0, 3, 2}, 3, 2}, 3, 3, false, 1, 1},   // the block reaches past the last column
      {{1, 1, {2, 2, 2, 2}, 2, 2}, 3, 3, false, 1, 1},   // the block leaves the current cell out
      {{5, 7, {5, 7, 5, 7}, 5, 7}, 3, 3, false, 2, 2},   // the grid shrank under it
      {{-1, -1, {-1, -1, -1, -1}}, 0, 3, true, -1, -1},   // no cells: no current cell
      {{0, 0, {0, 0, 0, 0}}, 3, 0, false, -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "current " << c.sel.col << "," << c.sel.row << " in " << c.cols << "x" << c.rows);
    EXPECT_EQ(c.sel.fits(c.cols, c.rows), c.fits);
    TGridSelection clamped = c.sel;
    clamped.clampTo(c.cols, c.rows);
    EXPECT_EQ(std::tie(clamped.col, clamped.row), std::tie(c.col, c.row));
    EXPECT_EQ(clamped.block, (grid::TGridRect{c.col, c.row, c.col, c.row}));
    EXPECT_EQ(std::tie(clamped.endCol, clamped.endRow), std::tie(c.col, c.row));
    EXPECT_TRUE(clamped.fits(c.cols, c.rows));
  }
}

// The painter over a view of a grid's parts, with the selection, the fill handle's corner and
// the fill range given here rather than reached through a drag.
grid::TGridPaintView paintViewOf(const grid::TCellGrid& g, const grid::TGridSelection& sel, grid::TFillHandleCorner corner,
                                 grid::TGridRect fillRange) {
  const fw::Size client = g.clientSize();
  return {{g.Geometry(), g.ScrollX(), g.ScrollY(), g.DefRowHeight(), g.RowCount()},
          g.Columns(), g.HeaderCells(), sel, fw::Rect{0, 0, client.width, client.height},
          g.Color(), g.AlternateColor(), g.GridColor(), g.SelectionColor(),
          g.HeaderColor(), g.HeaderLightColor(), g.HeaderDarkColor(),
          g.HeaderFont(), g.FooterFont(), g.GutterFont(), g.GutterKind(), g.GutterWidth(), g.GutterStrings(),
          g.Flat(), g.ShowGrid(), g.ShowFooter(), /*enabled=*/true, /*focused=*/true, g.dpi(),
          corner, fillRange, {}};
}

TEST_F(GridTest, ThePainterPutsTheFillHandleAtItsCornerAndDotsTheFillRange) {
  g.setBounds(fw::Rect::fromSize(0, 0, 304, 204));
  g.setColCount(3);
  g.setRowCount(6);
  // Cell (1, 1) in client coordinates: (99, 35, 180, 54); rows 2 and 3 below it: (99, 53, 180, 90).
  grid::TGridSelection sel;
  sel.col = sel.row = sel.endCol = sel.endRow = 1;
  sel.block = {1, 1, 1, 1};
  using grid::TFillHandleCorner;
  const struct {
    const char* what;
    TFillHandleCorner corner;
    grid::TGridRect fillRange;
    fw::Rect handle;
  } cases[] = {
      {"bottom right, no fill", TFillHandleCorner::BottomRight, {-1, -1, -1, -1}, {177, 51, 183, 57}},
      {"top right, filling down", TFillHandleCorner::TopRight, {1, 2, 1, 3}, {177, 37, 183, 43}},
      {"bottom left, filling down", TFillHandleCorner::BottomLeft, {1, 2, 1, 3}, {101, 51, 107, 57}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const grid::TGridPaintView view = paintViewOf(g, sel, c.corner, c.fillRange);
    fw::RasterCanvas canvas(view.client.right, view.client.bottom, fw::rgb(1, 2, 3));
    const std::optional<fw::Rect> handle = grid::TGridPainter(view).paint(canvas);
    ASSERT_TRUE(handle.has_value());
    EXPECT_EQ(*handle, c.handle);
    EXPECT_EQ(hex(canvas.pixel(c.handle.left, c.handle.top)), hex(kWhite)) << "the handle's border";
    EXPECT_EQ(hex(canvas.pixel(c.handle.left + 3, c.handle.top + 3)), hex(kBlack)) << "the handle's inside";
    // The fill range's left line lies on the grid line at x 99, below the frame: dotted in
    // black with a fill, the grid's own line without.
    int black = 0;
    for (int y = 60; y < 88; ++y) black += canvas.pixel(99, y) == kBlack ? 1 : 0;
    if (c.fillRange.Left == -1) {
      EXPECT_EQ(black, 0);
    } else {
      EXPECT_GT(black, 28 / 3);
      EXPECT_LT(black, 28 * 2 / 3 + 1);
    }
  }

  // A disabled grid draws no selection, so no handle is reported.
  grid::TGridPaintView disabled = paintViewOf(g, sel, TFillHandleCorner::BottomRight, {-1, -1, -1, -1});
  disabled.enabled = false;
  fw::RasterCanvas canvas(disabled.client.right, disabled.client.bottom);
  EXPECT_FALSE(grid::TGridPainter(disabled).paint(canvas).has_value());
}

// Keys over four columns, the second hidden, and five rows; the current cell (2, 3), the far
// corner (2, 4).
TEST_F(GridTest, KeysStepOverHiddenColumnsAndStopAtTheEdges) {
  g.setColCount(4);
  g.setRowCount(5);
  g.Columns()[1].setVisible(false);
  grid::TGridSelection sel;
  sel.col = 2;
  sel.row = 3;
  sel.block = {2, 3, 2, 4};
  sel.endCol = 2;
  sel.endRow = 4;
  const grid::TKeyField field{g.Columns(), g.RowCount()};
  namespace vk = grid::vk;
  const struct {
    int key;
    bool ctrl;
    std::optional<TGridCoord> to;
  } moves[] = {
      {vk::Left, false, TGridCoord{0, 3}},  {vk::Right, false, TGridCoord{3, 3}}, {vk::Up, false, TGridCoord{2, 2}},
      {vk::Down, false, TGridCoord{2, 4}},  {vk::Home, false, TGridCoord{0, 3}},  {vk::End, false, TGridCoord{3, 3}},
      {vk::Prior, false, TGridCoord{2, 0}}, {vk::Next, false, TGridCoord{2, 4}},  {vk::Home, true, TGridCoord{0, 0}},
      {vk::End, true, TGridCoord{3, 4}},    {vk::Left, true, std::nullopt},       {vk::Return, false, std::nullopt},
  };
  for (const auto& m : moves) EXPECT_EQ(grid::keyTarget(field, sel, m.key, m.ctrl), m.to) << m.key << " ctrl " << m.ctrl;
  EXPECT_EQ(grid::cornerTarget(field, sel, vk::Left), (TGridCoord{0, 4}));
  EXPECT_EQ(grid::cornerTarget(field, sel, vk::Down), (TGridCoord{2, 4})) << "held at the last row";

  // At the edges the arrows stay; with every column hidden an arrow stays too, and Home and
  // End name no column.
  sel.col = 3;
  sel.row = 0;
  EXPECT_EQ(grid::keyTarget(field, sel, vk::Right, false), (TGridCoord{3, 0}));
  EXPECT_EQ(grid::keyTarget(field, sel, vk::Up, false), (TGridCoord{3, 0}));
  for (int c = 0; c < 4; ++c) g.Columns()[c].setVisible(false);
  EXPECT_EQ(grid::keyTarget(field, sel, vk::Left, false), (TGridCoord{3, 0}));
  EXPECT_EQ(grid::keyTarget(field, sel, vk::End, true), (TGridCoord{-1, 4}));
}

TEST(GridEnter, WalksTheBlockColumnByColumnAndFillsToItsEnd) {
  grid::TGridSelection sel;
  sel.block = {1, 1, 2, 2};
  const struct {
    TGridCoord at;
    TGridCoord forward, backward;
  } walks[] = {
      {{1, 1}, {1, 2}, {2, 2}},
      {{1, 2}, {2, 1}, {1, 1}},
      {{2, 1}, {2, 2}, {1, 2}},
      {{2, 2}, {1, 1}, {2, 1}},
  };
  for (const auto& w : walks) {
    sel.col = w.at.Col;
    sel.row = w.at.Row;
    EXPECT_EQ(grid::stepInsideBlock(sel, true), w.forward) << w.at.Col << "," << w.at.Row;
    EXPECT_EQ(grid::stepInsideBlock(sel, false), w.backward) << w.at.Col << "," << w.at.Row;
  }

  grid::TGridSelection one;
  one.block = {1, 1, 1, 1};
  using grid::TEnterStep;
  const struct {
    const char* text;
    bool down, right;
    const grid::TGridSelection& sel;
    TEnterStep::Kind kind;
    int last;
  } steps[] = {
      {"a*", true, true, one, TEnterStep::FillDown, 9},    // to the last row
      {"a*", true, true, sel, TEnterStep::FillDown, 2},    // to the block's bottom
      {"a>", true, true, one, TEnterStep::FillRight, 4},   // to the last column
      {"a>", false, true, sel, TEnterStep::FillRight, 2},  // to the block's right
      {"a*", false, true, one, TEnterStep::MoveDown, -1},  // no fill asked for
      {"a>", true, false, sel, TEnterStep::WalkBlock, -1},
      {"", true, true, one, TEnterStep::MoveDown, -1},
  };
  for (const auto& s : steps) {
    const TEnterStep step = grid::enterStep(s.text, s.down, s.right, s.sel, 5, 10);
    EXPECT_EQ(step.kind, s.kind) << s.text << " down " << s.down << " right " << s.right;
    EXPECT_EQ(step.last, s.last) << s.text;
  }
}

// A fill repeats its block aligned to the block's place, left and up as well as right and down;
// the hidden column 2 neither takes nor gives text.
TEST_F(GridTest, AFillRepeatsItsBlockAlignedAndStepsOverHiddenColumns) {
  g.setColCount(5);
  g.setRowCount(6);
  g.Columns()[2].setVisible(false);
  using Copies = std::vector<std::tuple<int, int, int, int>>;  // to col, row; from col, row
  auto copies = [&](const grid::TGridRect& selection, const grid::TGridRect& block) {
    Copies list;
    for (const grid::TFillCopy& c : grid::fillCopies(g.Columns(), selection, block))
      list.emplace_back(c.to.Col, c.to.Row, c.from.Col, c.from.Row);
    return list;
  };
  // Columns 1 and 3 (2 between them hidden) repeated over columns 0 to 4 of rows 1 to 2.
  EXPECT_EQ(copies({0, 1, 4, 2}, {1, 2, 3, 2}), (Copies{{0, 1, 3, 2},
                                                        {0, 2, 3, 2},
                                                        {1, 1, 1, 2},
                                                        {1, 2, 1, 2},
                                                        {3, 1, 3, 2},
                                                        {3, 2, 3, 2},
                                                        {4, 1, 1, 2},
                                                        {4, 2, 1, 2}}));
  // Two rows repeated over five, aligned to the block's top.
  EXPECT_EQ(copies({0, 0, 0, 4}, {0, 1, 0, 2}),
            (Copies{{0, 0, 0, 2}, {0, 1, 0, 1}, {0, 2, 0, 2}, {0, 3, 0, 1}, {0, 4, 0, 2}}));
  EXPECT_TRUE(copies({0, 0, 1, 1}, {1, 1, 3, 1}).empty()) << "a selection that no longer holds the block";
  EXPECT_TRUE(copies({2, 0, 2, 4}, {2, 0, 2, 0}).empty()) << "a block of hidden columns only";
}

TEST(GridDrag, ASizedColumnKeepsTheNarrowestWidthAndSharesItsRoomWhenFitted) {
  grid::TGridGeometry geo;
  geo.gutterExtent = 20;
  const grid::TGridView view{geo, 30, 0, 18, 5};
  EXPECT_EQ(grid::draggedWidth(view, 100, 150, 6), 60) << "content x 160 less the left edge";
  EXPECT_EQ(grid::draggedWidth(view, 100, 90, 6), 6) << "dragged past the left edge";
  const struct {
    int wanted, room;
    std::optional<std::pair<int, int>> widths;
  } cases[] = {
      {50, 200, std::pair{50, 150}},
      {198, 200, std::pair{194, 6}},  // the neighbour keeps the narrowest width
      {50, 12, std::nullopt},         // no room for two of the narrowest
      {50, 13, std::pair{7, 6}},
  };
  for (const auto& c : cases) EXPECT_EQ(grid::sharedWidths(c.wanted, c.room, 6), c.widths) << c.wanted << " in " << c.room;
}

}  // namespace
