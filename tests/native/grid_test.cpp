// The call-list grid on the headless backend: its cell store, rows, current cell, batching
// and layout. Colours, repaint requests and pixels are in grid_paint_test.cpp.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "grid_fixtures.h"

namespace {

using namespace gridtest;

// ---------------------------------------------------------------------------------------------
// The cell store

TEST_F(GridTest, ANewGridHasFiveRowsAndColumnsComeWithTheGridsLook) {
  EXPECT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.ColCount(), 0);
  EXPECT_EQ(fw::headless::cursorOf(g), 101);
  EXPECT_EQ(g.clientSize(), (fw::Size{196, 196})) << "200 x 200 inside a 2-pixel edge";
  EXPECT_FALSE(g.peer().scrollInfo(fw::ScrollBar::Vertical).visible);
  fw::Font f;
  f.name = "Arial";
  g.setFont(f);
  g.setColor(fw::rgb(1, 2, 3));
  g.setColCount(6);
  EXPECT_EQ(widths(g), std::vector<int>(6, 80));
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(g.Columns()[c].Font(), f);
    EXPECT_EQ(g.Columns()[c].Color(), fw::rgb(1, 2, 3));
    EXPECT_EQ(g.Columns()[c].DisplayName(), "Column " + std::to_string(c));
  }
  EXPECT_EQ(g.CurrentCol(), 0);
  EXPECT_EQ(g.CurrentRow(), 0);
  f.height = 20;
  g.setFont(f);
  EXPECT_EQ(g.Columns()[5].Font().height, 20) << "column fonts follow the grid's";
}

TEST_F(GridTest, ColumnListsArePaddedNeverShortenedAndReadEmptyBeyondTheirEnd) {
  g.setColCount(3);
  g.setRowCount(8);
  g.setCellText(1, 5, "x");
  EXPECT_EQ(listLengths(g), (std::vector<size_t>{0, 6, 0})) << "padded up to the written row only";
  EXPECT_EQ(g.CellText(0, 7), "") << "beyond the list's end";
  EXPECT_EQ(g.RawCellText(1, 100), "") << "raw reads do not check the row count";

  for (int r = 0; r < 8; ++r) g.setCellText(0, r, "r" + std::to_string(r));
  g.setRowCount(3);
  EXPECT_EQ(listLengths(g), (std::vector<size_t>{8, 6, 0})) << "a lower row count keeps the lists";
  g.setRowCount(8);
  EXPECT_EQ(g.CellText(0, 7), "r7") << "raising it shows the old texts again";

  g.setRowCount(3);
  EXPECT_EQ(g.AppendRow(), 3);
  EXPECT_EQ(g.CellText(0, 3), "") << "an appended row starts empty";
  EXPECT_EQ(g.RawCellText(0, 4), "r4") << "lines beyond it are not cleared";

  g.InsertRow(1);
  EXPECT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.CellText(0, 1), "");
  EXPECT_EQ(g.CellText(0, 2), "r1");
  EXPECT_EQ(g.Columns()[1].Strings().size(), 7u);
  g.ClearAll();
  g.InsertRow(2);
  EXPECT_EQ(listLengths(g), (std::vector<size_t>{3, 3, 3})) << "empty lists are padded to the row, then get the line";

  for (int row : {-1, 5, 99}) {
    g.InsertRow(row);
    g.RemoveRow(row);
  }
  EXPECT_EQ(g.RowCount(), 6) << "out-of-range rows are ignored";

  g.setCellText(0, 0, "first");
  g.setRowCount(40);
  g.setCellText(0, 39, g.Columns()[0].Strings()[0]);  // padding the list moves the source
  EXPECT_EQ(g.CellText(0, 39), "first");
}

TEST_F(GridTest, AppendRowOnAnEmptyGridGivesRowZeroAndALineInEveryList) {
  g.setColCount(6);
  g.setRowCount(0);
  EXPECT_EQ(g.AppendRow(), 0);
  for (size_t n : listLengths(g)) EXPECT_GE(n, 1u);
  EXPECT_EQ(g.CurrentRow(), 0);
}

TEST_F(GridTest, RemoveRowShiftsTextUpKeepsListLengthsAndFollowsTheLastRow) {
  g.setColCount(6);
  g.setRowCount(0);
  for (int i = 1; i <= 11; ++i) addCall(i);
  g.SetCurrentCell(2, 10);
  ASSERT_EQ(listLengths(g), std::vector<size_t>(6, 11));
  g.RemoveRow(0);
  EXPECT_EQ(g.RowCount(), 10);
  EXPECT_EQ(listLengths(g), std::vector<size_t>(6, 11));
  EXPECT_EQ(g.CellText(0, 0), "2");
  EXPECT_EQ(g.CellText(0, 9), "11");
  EXPECT_EQ(g.RawCellText(0, 10), "") << "the freed last line is empty";
  EXPECT_EQ(g.CurrentRow(), 9);
  EXPECT_EQ(g.CurrentCol(), 2);
}

TEST_F(GridTest, TheCallListKeepsElevenRowsAndItsListsStopGrowing) {
  configureAsCallList();
  for (int i = 1; i <= 40; ++i) addCall(i);
  EXPECT_EQ(g.RowCount(), 11);
  EXPECT_EQ(g.CellText(0, 0), "30");
  EXPECT_EQ(g.CellText(0, 10), "40");
  EXPECT_EQ(listLengths(g), std::vector<size_t>(6, 11));
}

TEST_F(GridTest, ClearAllEmptiesEveryCellAndKeepsTheRows) {
  g.setColCount(2);
  g.setRowCount(7);
  g.SetCurrentCell(1, 4);
  for (int r = 0; r < 7; ++r) g.setCellText(1, r, "t");
  fw::headless::takeInvalidations(g);
  g.ClearAll();
  EXPECT_EQ(g.RowCount(), 7);
  for (int r = 0; r < 7; ++r) EXPECT_EQ(g.CellText(1, r), "");
  EXPECT_EQ(g.CurrentRow(), 4);
  EXPECT_EQ(fw::headless::takeInvalidations(g), (std::vector<fw::Rect>{{18, 16, 196, 196}})) << "the cell area";
}

TEST_F(GridTest, CellIndexesBeyondTheGridRaiseTheFixedMessage) {
  g.setColCount(3);
  g.setRowCount(4);
  const struct {
    int col, row;
  } outside[] = {{3, 0}, {0, 4}, {3, 4}, {-1, 0}, {0, -1}, {100, 100}};
  for (const auto& c : outside) {
    try {
      (void)g.CellText(c.col, c.row);
      ADD_FAILURE() << "read at " << c.col << "," << c.row;
    } catch (const grid::CellIndexError& e) {
      EXPECT_STREQ(e.what(), "Cell Index out of bound.");
    }
    EXPECT_THROW(g.setCellText(c.col, c.row, "x"), grid::CellIndexError) << c.col << "," << c.row;
    EXPECT_THROW(g.EditCellText(c.col, c.row, true, "x"), grid::CellIndexError) << c.col << "," << c.row;
  }
  g.setRowCount(0);
  EXPECT_NO_THROW(g.setCellText(7, 7, "x")) << "a grid without rows ignores writes";
  EXPECT_THROW((void)g.CellText(0, 0), grid::CellIndexError);
}

TEST_F(GridTest, ByUserWritesHonourReadOnlyColumnsAndTheChangeEvents) {
  g.setColCount(2);
  g.setRowCount(2);
  g.Columns()[1].setReadOnly(true);
  std::vector<std::string> log;
  bool allow = true;
  g.OnCellChanging = [&](TCellGrid&, int c, int r, bool& can) {
    log.push_back("changing " + std::to_string(c) + "," + std::to_string(r));
    can = allow;
  };
  g.OnCellChange = [&](TCellGrid&, int, int, std::string& s) {
    log.push_back("change " + s);
    s += "!";
  };
  g.EditCellText(0, 0, true, "a");
  EXPECT_EQ(g.CellText(0, 0), "a!") << "the handler may alter the text";
  g.EditCellText(0, 0, true, "a!");
  EXPECT_EQ(log, (std::vector<std::string>{"changing 0,0", "change a"})) << "the same text raises nothing";

  log.clear();
  allow = false;
  g.EditCellText(0, 1, true, "b");
  EXPECT_EQ(g.CellText(0, 1), "");
  EXPECT_EQ(log, (std::vector<std::string>{"changing 0,1"})) << "a refused change stores nothing";

  log.clear();
  g.EditCellText(1, 0, true, "c");
  g.setCellText(1, 1, "d");
  EXPECT_EQ(g.CellText(1, 0), "") << "a read-only column refuses the user";
  EXPECT_EQ(g.CellText(1, 1), "d") << "but not the program";
  EXPECT_TRUE(log.empty()) << "program writes raise no events";
}

// ---------------------------------------------------------------------------------------------
// The current cell, the counts and batches

TEST_F(GridTest, CountChangesHoldTheCurrentCellInsideAndSelectItAlone) {
  std::vector<std::pair<int, int>> raised;
  g.OnColRowChanged = [&](TCellGrid&, int c, int r) { raised.emplace_back(c, r); };
  g.setColCount(4);
  g.setRowCount(10);
  g.SetCurrentCell(3, 9);
  g.SetSelection({1, 2, 3, 9}, false);
  raised.clear();

  g.setRowCount(6);
  EXPECT_EQ(g.CurrentRow(), 5);
  EXPECT_EQ(g.Selection(), (TGridRect{3, 5, 3, 5}));
  g.setColCount(2);
  EXPECT_EQ(g.CurrentCol(), 1);
  EXPECT_EQ(g.Selection(), (TGridRect{1, 5, 1, 5}));
  g.setRowCount(0);
  EXPECT_EQ(g.CurrentCol(), -1);
  EXPECT_EQ(g.CurrentRow(), -1);
  g.setRowCount(3);
  EXPECT_EQ(g.Selection(), (TGridRect{0, 0, 0, 0})) << "a grid that gets rows again starts at the first cell";
  EXPECT_EQ(raised, (std::vector<std::pair<int, int>>{{3, 5}, {1, 5}, {-1, -1}, {0, 0}}));
  raised.clear();
  g.setRowCount(3);
  EXPECT_TRUE(raised.empty()) << "an unchanged count does nothing";

  // Columns taken away through the collection itself leave no current cell behind them.
  g.SetCurrentCell(1, 2);
  g.Columns().Delete(1);
  EXPECT_EQ(g.CurrentCol(), 0);
  EXPECT_EQ(g.Selection(), (TGridRect{0, 2, 0, 2}));
  g.Columns().Clear();
  EXPECT_EQ(g.CurrentCol(), -1);
  g.Columns().Add();
  EXPECT_EQ(g.CurrentCol(), 0);
  EXPECT_EQ(g.CurrentRow(), 0);
}

TEST_F(GridTest, ColumnsAreCopiedItemByItemAndTheCurrentCellFollows) {
  auto& source = form.create<TCellGrid>(&form);
  source.setColCount(2);
  TCellColumn& s1 = source.Columns()[1];
  s1.setTitle("Number");
  s1.setFooter("sum");
  s1.setWidth(33);
  s1.setHorzAlign(grid::haRight);
  s1.setVisible(false);
  s1.setTag(7);
  s1.setHint("h");
  s1.setCanResize(false);
  s1.setReadOnly(true);
  s1.setStrings({"a", "b"});
  g.setColCount(5);
  g.setRowCount(3);
  g.SetCurrentCell(4, 2);
  g.setColumns(source.Columns());
  ASSERT_EQ(g.ColCount(), 2);
  const TCellColumn& c1 = g.Columns()[1];
  EXPECT_EQ(c1.Title(), "Number");
  EXPECT_EQ(c1.Footer(), "sum");
  EXPECT_EQ(c1.Width(), 33);
  EXPECT_EQ(c1.HorzAlign(), grid::haRight);
  EXPECT_FALSE(c1.Visible());
  EXPECT_EQ(c1.Tag(), 7);
  EXPECT_EQ(c1.Hint(), "h");
  EXPECT_FALSE(c1.CanResize());
  EXPECT_TRUE(c1.ReadOnly());
  EXPECT_EQ(g.CellText(1, 1), "b");
  EXPECT_EQ(&c1.Grid(), &g);
  EXPECT_EQ(g.CurrentCol(), 1) << "held inside the fewer columns";
  EXPECT_EQ(g.HeaderCells().size(), 1u) << "the hidden column has no header cell";
  g.setColumns(g.Columns());
  EXPECT_EQ(g.ColCount(), 2) << "copying onto itself changes nothing";
}

TEST_F(GridTest, ABatchHoldsPaintingUntilItsOneEnd) {
  g.setColCount(2);
  g.setGutterKind(grid::gkNone);
  g.setRowCount(3);
  fw::headless::takeDrawnNow(g);
  g.setCellText(0, 0, "now");
  EXPECT_TRUE(fw::headless::takeDrawnNow(g).has_value()) << "outside a batch the cell is drawn at once";

  g.BeginBatch();
  g.BeginBatch();
  EXPECT_TRUE(g.BatchLock());
  g.setCellText(0, 1, "later");
  EXPECT_FALSE(fw::headless::takeDrawnNow(g).has_value());
  const fw::RasterCanvas held = paint();
  for (int y = 0; y < held.height(); y += 7)
    for (int x = 0; x < held.width(); x += 7) ASSERT_EQ(held.pixel(x, y), kWhite) << "nothing painted in a batch";
  g.setRowCount(20);
  EXPECT_EQ(g.Geometry().maxScrollY, 198) << "the layout does not wait for the batch: 182 in whole rows";
  fw::headless::takeInvalidations(g);
  g.EndBatch();
  EXPECT_FALSE(g.BatchLock()) << "one end ends both beginnings";
  EXPECT_EQ(fw::headless::takeInvalidations(g).back(), (fw::Rect{0, 0, g.clientSize().width, g.clientSize().height}));
  EXPECT_EQ(paint().pixel(10, 10), kFace) << "painting again";
}

TEST_F(GridTest, AThrowInsideABatchScopeStillEndsTheBatch) {
  g.setColCount(2);
  g.setGutterKind(grid::gkNone);
  g.setRowCount(3);
  const struct {
    const char* name;
    std::function<void()> write;
  } throwers[] = {
      {"a cell beyond the grid", [&] { g.setCellText(5, 0, "x"); }},
      {"a change handler", [&] {
         g.OnCellChange = [](TCellGrid&, int, int, std::string&) { throw std::runtime_error("handler"); };
         g.EditCellText(0, 1, true, "typed");
       }},
  };
  for (const auto& t : throwers) {
    SCOPED_TRACE(t.name);
    EXPECT_ANY_THROW({
      TCellGrid::BatchScope batch(g);
      g.setCellText(0, 0, "first");
      EXPECT_TRUE(g.BatchLock());
      t.write();
    });
    EXPECT_FALSE(g.BatchLock());
    fw::headless::takeDrawnNow(g);
    g.setCellText(0, 2, t.name);
    EXPECT_TRUE(fw::headless::takeDrawnNow(g).has_value()) << "cells are drawn at once again";
    EXPECT_EQ(paint().pixel(10, 10), kFace) << "and the grid paints";
    g.OnCellChange = nullptr;
  }
}

TEST_F(GridTest, MovingTheCurrentCellOrEditingABlockInsideABatchKeepsTheBatch) {
  g.setColCount(3);
  g.setRowCount(40);
  const struct {
    const char* name;
    std::function<void()> act;
  } steps[] = {
      {"a cell made current out of view", [&] { g.SetCurrentCell(2, 30); }},
      {"a block cleared with Delete", [&] {
         int key = grid::vk::Delete;
         g.handleKeyDown(key, {});
       }},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    g.BeginBatch();
    s.act();
    EXPECT_TRUE(g.BatchLock());
    fw::headless::takeDrawnNow(g);
    g.setCellText(0, 0, s.name);
    EXPECT_FALSE(fw::headless::takeDrawnNow(g).has_value()) << "the cell waits for the end of the batch";
    g.EndBatch();
  }
}

// ---------------------------------------------------------------------------------------------
// Layout

TEST_F(GridTest, FitToWidthWalksPixelsFromTheLeftAndComesBackExactly) {
  configureAsCallList();
  const std::vector<int> designed{39, 47, 122, 121, 128, 92};
  ASSERT_EQ(g.clientSize().width, 549);
  EXPECT_EQ(widths(g), designed);
  g.setWidth(g.width() + 10);
  EXPECT_EQ(widths(g), (std::vector<int>{41, 49, 124, 123, 129, 93}));
  EXPECT_EQ(g.Geometry().columnsWidth, 559);
  g.setWidth(g.width() - 10);
  EXPECT_EQ(widths(g), designed) << "the pixels come off the leftmost columns first";

  g.Columns()[0].setCanResize(false);
  g.setWidth(g.width() + 5);
  EXPECT_EQ(widths(g), (std::vector<int>{39, 48, 123, 122, 129, 93}));
  g.setWidth(g.width() - 5);

  g.Columns()[4].setVisible(false);  // the other five shrink into the 549 pixels; it is spared
  EXPECT_EQ(g.Geometry().columnsWidth, 549);
  g.Columns()[4].setVisible(true);   // shown again: the others give way, it keeps its width
  EXPECT_EQ(g.Columns()[4].Width(), 128);
  EXPECT_EQ(g.Geometry().columnsWidth, 549);
  EXPECT_EQ(g.ToggledColumn(), -1);
}

TEST_F(GridTest, AutomaticWidthsMeasureTheWidestTextWithAFloor) {
  fw::Font f;
  f.height = 12;  // six pixels a character
  g.setFont(f);
  g.setColCount(2);
  g.Columns()[0].setStrings({"ab", "abcde", ""});  // 30 pixels wide
  const struct {
    int defColWidth, expected0, expected1;
  } cases[] = {{80, 80, 80}, {20, 37, 20}, {10, 37, 20}};
  g.setAutoColWidth(true);
  for (const auto& c : cases) {
    g.setDefColWidth(c.defColWidth);
    g.Recalculate();
    EXPECT_EQ(widths(g), (std::vector<int>{c.expected0, c.expected1})) << "DefColWidth " << c.defColWidth;
  }
}

TEST_F(GridTest, ScrollLimitsRoundUpToWholeRowsAndTheBarsFollowThem) {
  g.setColCount(2);
  g.setBounds(fw::Rect::fromSize(0, 0, 204, 154));  // 200 x 150 inside the edge
  g.setRowCount(11);
  EXPECT_EQ(g.Geometry().rowsHeight, 198);
  EXPECT_EQ(g.Geometry().headerHeight, 18);
  EXPECT_EQ(g.Geometry().maxScrollY, 72) << "66 rounded up to a multiple of 18";
  const fw::ScrollInfo bar = g.peer().scrollInfo(fw::ScrollBar::Vertical);
  EXPECT_TRUE(bar.visible);
  EXPECT_EQ(bar.max, 72);
  EXPECT_EQ(g.clientSize().width, 183) << "the bar takes its width from the client area";
  EXPECT_EQ(g.Geometry().contentRight, 180) << "two columns of 80 beside a 20-pixel gutter";

  g.setFitToWidth(true);  // the columns fill what the bar leaves
  EXPECT_EQ(g.Geometry().columnsWidth, 163);
  g.setRowCount(2);
  EXPECT_FALSE(g.peer().scrollInfo(fw::ScrollBar::Vertical).visible);
  EXPECT_EQ(g.Geometry().columnsWidth, 180) << "and take it back when it goes";
  EXPECT_EQ(g.Geometry().maxScrollY, 0);
}

TEST_F(GridTest, ShrinkingTheWindowScrollsTheCurrentCellBackIntoView) {
  g.setColCount(2);
  g.setGutterKind(grid::gkNone);
  g.setRowCount(30);
  g.SetCurrentCell(0, 8);
  EXPECT_EQ(g.ScrollY(), 0) << "rows 0 to 8 are whole in view";
  g.setHeight(4 + 18 + 5 * 18);  // five rows fit
  EXPECT_EQ(g.ScrollY(), (8 - 4) * 18) << "row 8 is the last of five";
}

TEST_F(GridTest, HeaderCaptionsMergeAcrossColumnsAndDownLines) {
  g.setColCount(3);
  g.setHeaderLine(2);
  g.Columns()[0].setTitle("Call|Number");
  g.Columns()[1].setTitle("Call|Time");
  g.Columns()[2].setTitle("Line");
  using H = grid::THeaderInfo;
  EXPECT_EQ(g.HeaderCells(), (std::vector<H>{{"Call", {0, 0, 1, 0}}, {"Number", {0, 1, 0, 1}},
                                             {"Time", {1, 1, 1, 1}}, {"Line", {2, 0, 2, 1}}}));
  EXPECT_EQ(g.Geometry().headerHeight, 36);

  g.setColCount(4);  // a fourth column without a title merges with nothing titled
  g.Columns()[2].setTitle("");
  EXPECT_EQ(g.HeaderCells().back(), (H{"", {2, 0, 3, 1}})) << "neighbouring empty titles merge";
  g.Columns()[1].setVisible(false);
  g.Columns()[2].setTitle("Call|Time");
  g.Columns()[3].setTitle("Call|Time");
  EXPECT_EQ(g.HeaderCells(), (std::vector<H>{{"Call", {0, 0, 0, 0}}, {"Number", {0, 1, 0, 1}},
                                             {"Call", {2, 0, 3, 0}}, {"Time", {2, 1, 3, 1}}}))
      << "a hidden column breaks the spans";
  g.setHeaderLine(1);
  EXPECT_EQ(g.HeaderCells().size(), 2u) << "parts beyond the header lines are ignored";
}

}  // namespace
