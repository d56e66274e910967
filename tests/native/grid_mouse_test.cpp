// The call-list grid's mouse on the headless backend: hit zones and cursors at their edges,
// presses in every mode with their events, drags, the release and the capture, and fill drags
// in every direction. Column sizing and the in-place editor have files of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "grid_fixtures.h"

namespace {

using namespace gridtest;

// ---------------------------------------------------------------------------------------------
// Hit zones and cursors

TEST(GridMouse, ZonesAndCursorsAtTheirEdges) {
  Rig t(3, 10, 100);  // borders at content x 100, 200, 300; rows end at content y 180
  struct Case {
    int x, y;
    grid::THitZone zone;
    int sizing;  // the column whose border was met, -1 when none is expected
  };
  const Case cases[] = {
      // The band around the border at content x 100 (client x 120): three pixels wide.
      {20 + 98, 30, grid::hzCell, -1},
      {20 + 99, 30, grid::hzColumnBorder, 0},
      {20 + 100, 30, grid::hzColumnBorder, 0},
      {20 + 101, 30, grid::hzColumnBorder, 0},
      {20 + 102, 30, grid::hzCell, -1},
      // At any height: in the header and below the last row too.
      {20 + 100, 5, grid::hzColumnBorder, 0},
      {20 + 100, 250, grid::hzColumnBorder, 0},
      {20 + 98, 5, grid::hzHeader, -1},
      {20 + 201, 30, grid::hzColumnBorder, 1},
      {20 + 300, 30, grid::hzColumnBorder, 2},
      {20 + 302, 30, grid::hzNone, -1},
      // The gutter's right line and the header's bottom line belong to no zone.
      {20, 30, grid::hzNone, -1},
      {10, 18, grid::hzNone, -1},
      {50, 18, grid::hzNone, -1},
      {19, 17, grid::hzCorner, -1},
      {10, 19, grid::hzGutter, -1},
      {21, 5, grid::hzHeader, -1},
      {21, 19, grid::hzCell, -1},
      {10, 18 + 179, grid::hzGutter, -1},
      {10, 18 + 180, grid::hzNone, -1},
      {50, 18 + 180, grid::hzNone, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("x " + std::to_string(c.x) + ", y " + std::to_string(c.y));
    t.hover({c.x, c.y});
    EXPECT_EQ(hl::cursorOf(t.g), TCellGrid::CursorOfZone(c.zone));
    EXPECT_EQ(t.g.ZoneAt(c.x, c.y), c.zone);
    if (c.sizing != -1) {
      EXPECT_EQ(t.g.SizingColumn(), c.sizing);
    }
  }
  EXPECT_EQ(t.g.SizingColumn(), 2) << "keeps the border met last";
}

TEST(GridMouse, ZoneCursorsAreTheGridsOwnAndThePlatformsSplit) {
  const std::pair<grid::THitZone, int> table[] = {
      {grid::hzNone, 0},   {grid::hzCorner, 105},       {grid::hzGutter, 103},     {grid::hzHeader, 104},
      {grid::hzCell, 101}, {grid::hzColumnBorder, -14}, {grid::hzFillHandle, 102},
  };
  for (auto [zone, cursor] : table) EXPECT_EQ(TCellGrid::CursorOfZone(zone), cursor) << zone;
}

TEST(GridMouse, BordersThatCannotBeSizedAndTheFillHandleOverABorder) {
  Rig t(3, 10, 100);
  TCellGrid& g = t.g;
  g.Columns()[0].setCanResize(false);
  EXPECT_EQ(g.ZoneAt(120, 30), grid::hzCell) << "a column that cannot be sized shows no border";
  EXPECT_EQ(g.ZoneAt(220, 30), grid::hzColumnBorder);

  // The current cell (0, 0) ends at client x 120, where the handle sits on the border.
  g.Columns()[0].setCanResize(true);
  hl::paint(g);
  ASSERT_EQ(g.FillHandleRect(), (fw::Rect{117, 33, 123, 39}));
  EXPECT_EQ(g.ZoneAt(120, 35), grid::hzFillHandle) << "the handle wins over the border";
  EXPECT_EQ(g.ZoneAt(117, 33), grid::hzFillHandle) << "left and top inclusive";
  EXPECT_EQ(g.ZoneAt(123, 35), grid::hzCell) << "right exclusive";
  EXPECT_EQ(g.ZoneAt(119, 39), grid::hzColumnBorder) << "bottom exclusive";

  g.Columns()[1].setVisible(false);
  EXPECT_EQ(g.ZoneAt(220, 30), grid::hzColumnBorder);
  EXPECT_EQ(g.SizingColumn(), 2) << "a hidden column has no border of its own";

  g.setAutoColWidth(true);
  const int edge = g.Geometry().gutterExtent + g.ColumnLeft(1);
  EXPECT_EQ(g.ZoneAt(edge, 60), grid::hzCell) << "columns sized by their text have no border";
}

TEST(GridMouse, HitTestsClampOrGiveMinusOneOutsideTheCells) {
  Rig t(3, 10, 100);
  TCellGrid& g = t.g;
  g.Columns()[1].setVisible(false);  // columns 0 and 2 at content x 0..100 and 100..200
  EXPECT_EQ(g.CellAtPoint(-50, -50), (TGridCoord{0, 0}));
  EXPECT_EQ(g.CellAtPoint(20 + 100, 18 + 17), (TGridCoord{0, 0})) << "a shared border is the left column's";
  EXPECT_EQ(g.CellAtPoint(20 + 101, 18 + 18), (TGridCoord{2, 1})) << "the hidden column is never hit";
  EXPECT_EQ(g.CellAtPoint(5000, 5000), (TGridCoord{2, 9}));
  EXPECT_EQ(g.ColumnAtX(19), -1);
  EXPECT_EQ(g.ColumnAtX(20), -1);
  EXPECT_EQ(g.ColumnAtX(21), 0);
  EXPECT_EQ(g.ColumnAtX(5000), 2);
  EXPECT_EQ(g.RowAtY(17), -1);
  EXPECT_EQ(g.RowAtY(18), 0);
  EXPECT_EQ(g.RowAtY(18 + 179), 9);
  EXPECT_EQ(g.RowAtY(18 + 180), -1);
}

TEST(GridMouse, ADisabledGridShowsTheArrowAndIgnoresPressesButRaisesTheEvent) {
  Rig t;
  t.record();
  t.g.setEnabled(false);
  t.hover(t.centre(2, 2));
  EXPECT_EQ(hl::cursorOf(t.g), grid::crDefault);
  t.g.setCursor(grid::crCellPlus);  // whatever the mode, a disabled grid does not act on it
  hl::mouseDown(t.g, fw::MouseButton::Left, t.centre(2, 2));
  EXPECT_EQ(t.current(), (TGridCoord{0, 0}));
  EXPECT_EQ(t.log, Strings{"down left"});
  EXPECT_EQ(hl::captured(), nullptr);
  EXPECT_NE(hl::focused(), &t.g);
}

// ---------------------------------------------------------------------------------------------
// Presses

TEST(GridMouse, PressesInEveryMode) {
  enum Where { Cell, Gutter, Header, Corner, BelowRows };
  struct Case {
    const char* name;
    Where where;
    int index;  // the column of a cell or header, the row of the gutter
    int row;
    fw::MouseButton button;
    bool shift;
    TGridCoord current;
    TGridRect selection;
    Strings events;
    bool editor;
  };
  const auto L = fw::MouseButton::Left, R = fw::MouseButton::Right, M = fw::MouseButton::Middle;
  // Each case on a fresh grid: 4 columns of 60 and 10 rows, all in view, (1, 2) current.
  const Case cases[] = {
      {"cell not current", Cell, 3, 4, L, false, {3, 4}, {3, 4, 3, 4}, {"colrow 3,4", "down left"}, false},
      {"right button alike", Cell, 3, 4, R, false, {3, 4}, {3, 4, 3, 4}, {"colrow 3,4", "down right"}, false},
      {"middle button alike", Cell, 0, 7, M, false, {0, 7}, {0, 7, 0, 7}, {"colrow 0,7", "down middle"}, false},
      {"shift does not extend", Cell, 3, 4, L, true, {3, 4}, {3, 4, 3, 4}, {"colrow 3,4", "down left"}, false},
      {"the current cell opens", Cell, 1, 2, L, false, {1, 2}, {1, 2, 1, 2}, {"colrow 1,2", "down left"}, true},
      {"also by the right button", Cell, 1, 2, R, false, {1, 2}, {1, 2, 1, 2}, {"colrow 1,2", "down right"}, true},
      {"gutter", Gutter, 5, 0, L, false, {0, 5}, {0, 5, 3, 5}, {"colrow 0,5", "gutter 5 left", "down left"}, false},
      {"gutter by the right button", Gutter, 5, 0, R, false, {0, 5}, {0, 5, 3, 5},
       {"colrow 0,5", "gutter 5 right", "down right"}, false},
      {"header", Header, 2, 0, L, false, {2, 0}, {2, 0, 2, 9}, {"colrow 2,0", "header 2 left", "down left"}, false},
      {"corner", Corner, 0, 0, L, false, {0, 0}, {0, 0, 3, 9}, {"colrow 0,0", "down left"}, false},
      {"below the rows", BelowRows, 0, 0, L, false, {1, 2}, {1, 2, 1, 2}, {"down left"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig t;
    t.g.SetCurrentCell(1, 2);
    t.record();
    fw::Point p;
    switch (c.where) {
      case Cell: p = t.centre(c.index, c.row); break;
      case Gutter: p = t.gutter(c.index); break;
      case Header: p = t.header(c.index); break;
      case Corner: p = {5, 5}; break;
      case BelowRows: p = {t.centre(1, 0).x, 18 + 180 + 10}; break;
    }
    fw::ShiftState s;
    s.shift = c.shift;
    t.press(p, c.button, s);
    EXPECT_EQ(t.current(), c.current);
    EXPECT_EQ(t.g.Selection(), c.selection);
    // The range's end is the selection's corner opposite the current cell.
    EXPECT_EQ(t.g.RangeEndCol(), c.selection.Left == c.current.Col ? c.selection.Right : c.selection.Left);
    EXPECT_EQ(t.log, c.events);
    EXPECT_EQ(t.ed.visible(), c.editor);
    EXPECT_EQ(t.g.EditorActive(), c.editor);
    EXPECT_EQ(hl::captured(), &t.g);
    EXPECT_EQ(hl::focused(), &t.g) << "the grid keeps the focus, also with the editor open";
    hl::mouseUp(t.g, c.button, p);
    EXPECT_EQ(hl::captured(), nullptr);
    EXPECT_EQ(t.g.LastDragIndex(), -1);
  }
}

TEST(GridMouse, AClickMakesACellCurrentAndTheNextOneOpensTheEditor) {
  Rig t;
  t.g.setCellText(2, 3, "abc");
  t.record();
  t.click(t.centre(2, 3));
  EXPECT_EQ(t.takeLog(), (Strings{"colrow 2,3", "down left"}));
  EXPECT_FALSE(t.ed.visible());
  t.click(t.centre(2, 3));
  EXPECT_EQ(t.takeLog(), (Strings{"colrow 2,3", "down left"}));
  EXPECT_TRUE(t.ed.visible());
  EXPECT_EQ(t.ed.text(), "abc");
  EXPECT_EQ(hl::cursorOf(t.g), grid::crCellPlus) << "the release puts up the cursor of its zone";

  t.click(t.centre(0, 0));
  EXPECT_FALSE(t.ed.visible()) << "making another cell current closes the editor";
  EXPECT_FALSE(t.g.EditorActive());
}

TEST(GridMouse, TheEditorNeverOpensOnAReadOnlyGridOrColumn) {
  struct Case {
    const char* name;
    bool readOnlyGrid;
    bool readOnlyColumn;
  };
  for (const Case& c : {Case{"the main window's read-only call list", true, false},
                        Case{"a read-only column", false, true}}) {
    SCOPED_TRACE(c.name);
    Rig t(6, 3, 60, {553, 226});
    t.g.setReadOnly(c.readOnlyGrid);
    t.g.Columns()[2].setReadOnly(c.readOnlyColumn);
    t.g.setGutterKind(grid::gkNone);
    t.g.setFitToWidth(true);
    t.g.setCellText(2, 1, "05321234567");
    t.record();
    t.click(t.centre(2, 1));
    t.click(t.centre(2, 1));
    EXPECT_EQ(t.countOf("colrow 2,1"), 2);
    EXPECT_FALSE(t.ed.visible());
    EXPECT_FALSE(t.g.EditorActive());
    EXPECT_EQ(t.g.RawCellText(2, 1), "05321234567");
  }
}

TEST(GridMouse, APressOnAGridWithoutRowsMakesNoCellCurrent) {
  // The main window's call list before the first call; a new grid acts in cell mode at once.
  Rig t(6, 0, 60, {553, 226});
  t.g.setReadOnly(true);
  t.g.setGutterKind(grid::gkNone);
  ASSERT_EQ(t.current(), (TGridCoord{-1, -1}));
  t.record();
  hl::mouseDown(t.g, fw::MouseButton::Left, {100, 50});
  hl::mouseMove(t.g, {150, 80}, kLeftHeld);
  hl::mouseUp(t.g, fw::MouseButton::Left, {150, 80});
  EXPECT_EQ(t.current(), (TGridCoord{-1, -1}));
  EXPECT_EQ(t.log, Strings{"down left"});
  EXPECT_EQ(hl::focused(), &t.g);
}

// ---------------------------------------------------------------------------------------------
// Drags and the release

TEST(GridMouse, ACellDragSpansTheBlockFromTheCurrentCell) {
  Rig t;
  t.record();
  t.press(t.centre(1, 1));
  t.takeLog();
  t.dragTo({t.centre(2, 2), t.centre(3, 4)});
  EXPECT_EQ(t.g.Selection(), (TGridRect{1, 1, 3, 4}));
  EXPECT_EQ(t.current(), (TGridCoord{1, 1}));
  EXPECT_EQ(t.g.RangeEndCol(), 3);
  EXPECT_EQ(t.g.RangeEndRow(), 4);
  t.dragTo({t.centre(0, 0)});
  EXPECT_EQ(t.g.Selection(), (TGridRect{0, 0, 1, 1})) << "back across the current cell";
  EXPECT_EQ(hl::cursorOf(t.g), grid::crCellPlus);
  EXPECT_TRUE(t.log.empty()) << "a drag raises nothing";
  hl::mouseUp(t.g, fw::MouseButton::Left, t.centre(0, 0));
  EXPECT_EQ(t.g.Selection(), (TGridRect{0, 0, 1, 1})) << "the release keeps it";
}

TEST(GridMouse, ACellDragPastTheLastRowAndColumnClampsAndScrolls) {
  Rig t(6, 30, 100);  // wider and taller than the view
  ASSERT_GT(t.g.Geometry().maxScrollY, 0);
  ASSERT_GT(t.g.Geometry().maxScrollX, 0);
  t.press(t.centre(0, 1));
  t.dragTo({{5000, 5000}});  // the capture keeps the pointer's messages coming
  EXPECT_EQ(t.g.Selection(), (TGridRect{0, 1, 5, 29}));
  EXPECT_EQ(t.g.ScrollY(), t.g.Geometry().maxScrollY);
  EXPECT_EQ(t.g.ScrollX(), t.g.Geometry().maxScrollX);
  EXPECT_EQ(t.current(), (TGridCoord{0, 1}));
}

TEST(GridMouse, ARightButtonDragSelectsNothing) {
  Rig t;
  t.press(t.centre(1, 1), fw::MouseButton::Right);
  hl::mouseMove(t.g, t.centre(3, 4), fw::ShiftState{.right = true});
  EXPECT_EQ(t.g.Selection(), (TGridRect{1, 1, 1, 1}));
}

TEST(GridMouse, AGutterDragSelectsWholeRowsWithoutFurtherEvents) {
  Rig t;
  t.record();
  t.press(t.gutter(5));
  EXPECT_EQ(t.takeLog(), (Strings{"colrow 0,5", "gutter 5 left", "down left"}));
  t.dragTo({t.gutter(6), t.gutter(7), t.gutter(8)});
  EXPECT_EQ(t.g.Selection(), (TGridRect{0, 5, 3, 8}));
  EXPECT_EQ(t.current(), (TGridCoord{0, 5}));
  EXPECT_EQ(t.g.RangeEndRow(), 8);
  EXPECT_EQ(t.g.LastDragIndex(), 8);
  hl::takeInvalidations(t.g);
  t.dragTo({{t.gutter(8).x, t.gutter(8).y + 2}, t.centre(2, 8)});
  EXPECT_TRUE(hl::takeInvalidations(t.g).empty()) << "moves within the row handled last do nothing";
  t.dragTo({t.gutter(3)});
  EXPECT_EQ(t.g.Selection(), (TGridRect{0, 3, 3, 5})) << "above the row pressed";
  t.dragTo({{5, 5000}});
  EXPECT_EQ(t.g.Selection(), (TGridRect{0, 3, 3, 5})) << "below the rows there is no row to take";
  EXPECT_EQ(hl::cursorOf(t.g), grid::crGutterRight) << "the cursor stays for the whole drag";
  EXPECT_TRUE(t.log.empty());
  hl::mouseUp(t.g, fw::MouseButton::Left, t.centre(2, 2));
  EXPECT_EQ(t.g.LastDragIndex(), -1);
  EXPECT_EQ(hl::cursorOf(t.g), grid::crCellPlus);
}

TEST(GridMouse, AHeaderDragSelectsWholeColumns) {
  Rig t;
  t.record();
  t.press(t.header(1));
  EXPECT_EQ(t.takeLog(), (Strings{"colrow 1,0", "header 1 left", "down left"}));
  t.dragTo({t.header(2), t.centre(3, 6)});
  EXPECT_EQ(t.g.Selection(), (TGridRect{1, 0, 3, 9}));
  EXPECT_EQ(t.g.RangeEndCol(), 3);
  EXPECT_EQ(t.g.LastDragIndex(), 3);
  t.dragTo({t.header(0)});
  EXPECT_EQ(t.g.Selection(), (TGridRect{0, 0, 1, 9}));
  EXPECT_EQ(t.current(), (TGridCoord{1, 0}));
  EXPECT_TRUE(t.log.empty());
}

// ---------------------------------------------------------------------------------------------
// Fill drags

TEST(GridMouse, AFillDragRepeatsTheBlockOverTheGrownSelection) {
  struct Cell {
    int col, row;
    const char* text;
  };
  struct Case {
    const char* name;
    std::vector<Cell> cells;
    TGridRect block;
    TGridCoord to;
    TGridRect grown;
    Strings rows;  // columns 0 to 4 of rows 0 to 5 afterwards
    int writes;
    bool readOnlyGrid = false;
    int readOnlyColumn = -1;
    int hiddenColumn = -1;
  };
  const Case cases[] = {
      {"down",
       {{0, 0, "a"}, {0, 1, "b"}},
       {0, 0, 0, 1},
       {0, 5},
       {0, 0, 0, 5},
       {"a,,,,", "b,,,,", "a,,,,", "b,,,,", "a,,,,", "b,,,,"},
       4},
      {"up, aligned so the block keeps its text",
       {{0, 4, "a"}, {0, 5, "b"}},
       {0, 4, 0, 5},
       {0, 1},
       {0, 1, 0, 5},
       {",,,,", "b,,,,", "a,,,,", "b,,,,", "a,,,,", "b,,,,"},
       3},
      {"right",
       {{0, 0, "p"}, {1, 0, "q"}},
       {0, 0, 1, 0},
       {3, 0},
       {0, 0, 3, 0},
       {"p,q,p,q,", ",,,,", ",,,,", ",,,,", ",,,,", ",,,,"},
       2},
      {"left, aligned",
       {{3, 0, "p"}, {4, 0, "q"}},
       {3, 0, 4, 0},
       {0, 0},
       {0, 0, 4, 0},
       {"q,p,q,p,q", ",,,,", ",,,,", ",,,,", ",,,,", ",,,,"},
       3},
      {"up and left at once",
       {{1, 1, "1"}, {2, 1, "2"}, {1, 2, "3"}, {2, 2, "4"}},
       {1, 1, 2, 2},
       {0, 0},
       {0, 0, 2, 2},
       {"4,3,4,,", "2,1,2,,", "4,3,4,,", ",,,,", ",,,,", ",,,,"},
       5},
      {"a read-only grid only grows the selection",
       {{0, 0, "a"}, {0, 1, "b"}},
       {0, 0, 0, 1},
       {0, 5},
       {0, 0, 0, 5},
       {"a,,,,", "b,,,,", ",,,,", ",,,,", ",,,,", ",,,,"},
       0,
       true},
      {"a read-only column keeps its text",
       {{0, 0, "p"}, {1, 0, "keep"}},
       {0, 0, 0, 0},
       {2, 0},
       {0, 0, 2, 0},
       {"p,keep,p,,", ",,,,", ",,,,", ",,,,", ",,,,", ",,,,"},
       1,
       false,
       1},
      {"a hidden column neither gives nor takes",
       {{0, 0, "p"}, {1, 0, "h"}, {2, 0, "q"}},
       {0, 0, 2, 0},
       {4, 0},
       {0, 0, 4, 0},
       {"p,h,q,p,q", ",,,,", ",,,,", ",,,,", ",,,,", ",,,,"},
       2,
       false,
       -1,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig t(5, 6);
    for (const Cell& cell : c.cells) t.g.setCellText(cell.col, cell.row, cell.text);
    t.g.setReadOnly(c.readOnlyGrid);
    if (c.readOnlyColumn != -1) t.g.Columns()[c.readOnlyColumn].setReadOnly(true);
    if (c.hiddenColumn != -1) t.g.Columns()[c.hiddenColumn].setVisible(false);
    t.g.SetCurrentCell(c.block.Left, c.block.Top);
    t.g.SetSelection(c.block, false);
    hl::paint(t.g);  // places the handle
    const fw::Rect h = t.g.FillHandleRect();
    t.record();

    t.press({h.left + 3, h.top + 3});
    EXPECT_EQ(t.g.FillRange(), c.block);
    t.dragTo({t.centre(c.to.Col, c.to.Row)});
    EXPECT_EQ(t.g.Selection(), c.grown) << "while the drag runs";
    hl::takeDrawnNow(t.g);
    hl::takeInvalidations(t.g);
    hl::mouseUp(t.g, fw::MouseButton::Left, t.centre(c.to.Col, c.to.Row));

    EXPECT_EQ(t.rows(), c.rows);
    EXPECT_EQ(t.countOf("change "), c.writes);
    EXPECT_EQ(t.countOf("changing "), c.writes) << "the block's own cells raise nothing";
    EXPECT_EQ(t.g.Selection(), c.grown);
    EXPECT_EQ(t.g.FillRange(), (TGridRect{-1, -1, -1, -1}));
    EXPECT_FALSE(t.g.BatchLock());
    EXPECT_FALSE(hl::takeDrawnNow(t.g).has_value()) << "the cells are painted once, not one by one";
    const auto inv = hl::takeInvalidations(t.g);
    const fw::Rect area{18, 16, 400, 300};
    EXPECT_NE(std::find(inv.begin(), inv.end(), area), inv.end()) << "the cell area is repainted";
  }
}

TEST(GridMouse, AFillIsRefusedCellByCellByTheChangingHandler) {
  Rig t(5, 6);
  t.g.setCellText(0, 0, "a");
  t.g.setCellText(0, 3, "old");
  hl::paint(t.g);
  const fw::Rect h = t.g.FillHandleRect();
  t.g.OnCellChanging = [](TCellGrid&, int, int r, bool& ok) { ok = r != 3; };
  t.press({h.left + 3, h.top + 3});
  t.dragTo({t.centre(0, 4)});
  hl::mouseUp(t.g, fw::MouseButton::Left, t.centre(0, 4));
  EXPECT_EQ(t.rows(), (Strings{"a,,,,", "a,,,,", "a,,,,", "old,,,,", "a,,,,", ",,,,"}));
}

TEST(GridMouse, AReleaseOverTheHandleWithoutAFillPressWritesNothing) {
  // The button went down elsewhere and the pointer came in with it held.
  Rig t(5, 6);
  t.g.setCellText(0, 0, "a");
  t.g.setCellText(0, 1, "b");
  t.g.setCellText(0, 2, "c");
  t.g.SetSelection({0, 0, 0, 1}, false);
  hl::paint(t.g);
  const fw::Rect h = t.g.FillHandleRect();
  t.hover({h.left + 3, h.top + 3});
  ASSERT_EQ(hl::cursorOf(t.g), grid::crFillCross);
  t.dragTo({t.centre(0, 4)});
  hl::mouseUp(t.g, fw::MouseButton::Left, t.centre(0, 4));
  EXPECT_EQ(t.rows(), (Strings{"a,,,,", "b,,,,", "c,,,,", ",,,,", ",,,,", ",,,,"}));
  EXPECT_EQ(t.g.Selection(), (TGridRect{0, 0, 0, 1}));
}

}  // namespace
