// The call-list grid's mouse and its in-place editor on the headless backend: hit zones and
// cursors at their edges, presses in every mode with their events, drags, the release and the
// capture, fill drags in every direction, column sizing, and the editor's placement, writes,
// keys and character filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cell_grid.h"
#include "fw/form.h"
#include "fw/testing/headless.h"

namespace grid {
void PrintTo(const TGridRect& r, std::ostream* os) {
  *os << "{" << r.Left << "," << r.Top << " - " << r.Right << "," << r.Bottom << "}";
}
void PrintTo(const TGridCoord& c, std::ostream* os) { *os << "(" << c.Col << "," << c.Row << ")"; }
}  // namespace grid

namespace fw {
void PrintTo(const Rect& r, std::ostream* os) {
  *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}
}  // namespace fw

namespace {

using grid::TCellGrid;
using grid::TCellInplace;
using grid::TGridCoord;
using grid::TGridRect;
namespace vk = grid::vk;
namespace hl = fw::headless;
using Strings = std::vector<std::string>;

constexpr fw::ShiftState kLeftHeld{.left = true};

const char* buttonName(fw::MouseButton b) {
  return b == fw::MouseButton::Left ? "left" : b == fw::MouseButton::Right ? "right" : "middle";
}

std::string at(int c, int r) { return std::to_string(c) + "," + std::to_string(r); }

// A form holding one grid; the grid's window has a 2-pixel client edge, so bounds of 404 x 304
// give a 400 x 300 client area. The gutter is 20 pixels wide, the header and each row 18 high.
struct Rig {
  explicit Rig(int cols = 4, int rows = 10, int width = 60, fw::Size bounds = {404, 304})
      : form(nullptr), g(form.create<TCellGrid>(&form)), ed(g.Inplace()) {
    g.setBounds(fw::Rect::fromSize(0, 0, bounds.width, bounds.height));
    g.setColCount(cols);
    g.setRowCount(rows);
    for (int c = 0; c < cols; ++c) g.Columns()[c].setWidth(width);
  }

  // Every event the grid raises, in order.
  void record() {
    g.OnColRowChanged = [this](TCellGrid&, int c, int r) { log.push_back("colrow " + at(c, r)); };
    g.OnGutterClick = [this](TCellGrid&, int r, fw::MouseButton b, fw::ShiftState) {
      log.push_back("gutter " + std::to_string(r) + " " + buttonName(b));
    };
    g.OnHeaderClick = [this](TCellGrid&, int c, fw::MouseButton b, fw::ShiftState) {
      log.push_back("header " + std::to_string(c) + " " + buttonName(b));
    };
    g.onMouseDown = [this](fw::Component&, fw::MouseButton b, fw::ShiftState, fw::Point) {
      log.push_back(std::string("down ") + buttonName(b));
    };
    g.OnCellChanging = [this](TCellGrid&, int c, int r, bool& ok) {
      log.push_back("changing " + at(c, r));
      if (refuse) ok = false;
    };
    g.OnCellChange = [this](TCellGrid&, int c, int r, std::string&) { log.push_back("change " + at(c, r)); };
  }
  Strings takeLog() { return std::exchange(log, {}); }

  fw::Point centre(int col, int row) const {
    const fw::Rect r = g.CellRectToClient(g.CellRect(col, row));
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  fw::Point gutter(int row) const { return {g.Geometry().gutterExtent / 2, centre(0, row).y}; }
  fw::Point header(int col) const { return {centre(col, 0).x, g.Geometry().headerHeight / 2}; }

  // The pointer arrives without a button held: that sets the mode of the next press.
  void hover(fw::Point p) { hl::mouseMove(g, p); }
  void press(fw::Point p, fw::MouseButton b = fw::MouseButton::Left, fw::ShiftState s = {}) {
    hover(p);
    hl::mouseDown(g, b, p, s);
  }
  void click(fw::Point p, fw::MouseButton b = fw::MouseButton::Left) {
    press(p, b);
    hl::mouseUp(g, b, p);
  }
  void dragTo(const std::vector<fw::Point>& via) {
    for (fw::Point p : via) hl::mouseMove(g, p, kLeftHeld);
  }
  // A cell that is not current becomes current; a second click on it opens the editor.
  void openEditorAt(int col, int row) {
    if (g.CurrentCol() != col || g.CurrentRow() != row) click(centre(col, row));
    click(centre(col, row));
  }

  // Every row as its cells joined by commas.
  Strings rows() const {
    Strings out;
    for (int r = 0; r < g.RowCount(); ++r) {
      std::string line;
      for (int c = 0; c < g.ColCount(); ++c) line += (c ? "," : "") + g.RawCellText(c, r);
      out.push_back(line);
    }
    return out;
  }
  TGridCoord current() const { return {g.CurrentCol(), g.CurrentRow()}; }
  int countOf(const std::string& prefix) const {
    int n = 0;
    for (const std::string& e : log) n += e.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }

  fw::Form form;
  TCellGrid& g;
  TCellInplace& ed;
  Strings log;
  bool refuse = false;
};

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

// ---------------------------------------------------------------------------------------------
// Column sizing

std::vector<int> widths(const TCellGrid& g) {
  std::vector<int> w;
  for (int c = 0; c < g.ColCount(); ++c) w.push_back(g.Columns()[c].Width());
  return w;
}

TEST(GridMouse, SizingAColumnFollowsThePointerDownToFivePixels) {
  struct Case {
    int to;  // client x
    int scroll;
    std::vector<int> widths;
  };
  // Column 1's right border at content x 120, client x 140 unscrolled.
  const Case cases[] = {
      {150, 0, {60, 70, 60, 60}},
      {100, 0, {60, 20, 60, 60}},
      {84, 0, {60, 5, 60, 60}},
      {0, 0, {60, 5, 60, 60}},
      {-500, 0, {60, 5, 60, 60}},
      {150, 30, {60, 100, 60, 60}},  // the same pointer over a grid scrolled by 30
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("to " + std::to_string(c.to) + " scrolled " + std::to_string(c.scroll));
    Rig t(4, 10, 60, {304, 304});
    t.g.Columns()[3].setWidth(150);  // wider than the view, so it scrolls
    t.g.SetScrollX(c.scroll);
    ASSERT_EQ(t.g.ScrollX(), c.scroll);
    std::vector<int> expected = c.widths;
    expected[3] = 150;
    const int border = 140 - c.scroll;
    t.press({border, 30});
    ASSERT_EQ(hl::cursorOf(t.g), grid::crHSplit);
    EXPECT_EQ(t.g.SizingColumn(), 1);
    EXPECT_EQ(t.g.SizingColumnLeft(), 60);
    hl::takeInvalidations(t.g);
    t.dragTo({{c.to, 30}});
    EXPECT_EQ(widths(t.g), expected);
    const auto inv = hl::takeInvalidations(t.g);
    const fw::Size client = t.g.clientSize();
    EXPECT_NE(std::find(inv.begin(), inv.end(), fw::Rect{20, 0, client.width, client.height}), inv.end());
    EXPECT_EQ(std::find(inv.begin(), inv.end(), fw::Rect{0, 0, client.width, client.height}), inv.end())
        << "a drag step does not repaint everything";
    EXPECT_EQ(t.g.Geometry().columnsWidth, t.g.TotalColumnWidth()) << "laid out again";
    hl::mouseUp(t.g, fw::MouseButton::Left, {c.to, 30});
    EXPECT_EQ(t.g.SizingColumn(), 1) << "kept after sizing";
  }
}

TEST(GridMouse, SizingWithFitToWidthTradesWidthWithTheRightNeighbour) {
  struct Case {
    int border;  // the column whose right border is dragged
    int to;      // client x
    std::vector<int> widths;
  };
  // Four columns of 60 fill 240 pixels right of the gutter; borders at client x 80, 140, 200, 260.
  const Case cases[] = {
      {1, 160, {60, 80, 40, 60}},
      {1, 120, {60, 40, 80, 60}},
      {1, 1000, {60, 115, 5, 60}},  // the neighbour keeps 5 pixels
      {1, -100, {60, 5, 115, 60}},  // and so does the column itself
      {0, 200, {115, 5, 60, 60}},
      {3, 200, {60, 60, 60, 60}},  // the last column's border does not move
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("border " + std::to_string(c.border) + " to " + std::to_string(c.to));
    Rig t(4, 5, 60, {264, 200});
    t.g.setFitToWidth(true);
    ASSERT_EQ(widths(t.g), (std::vector<int>{60, 60, 60, 60}));
    const int x = 20 + 60 * (c.border + 1);
    t.press({x, 30});
    ASSERT_EQ(hl::cursorOf(t.g), grid::crHSplit) << "also at the last column's border";
    t.dragTo({{c.to, 30}});
    EXPECT_EQ(widths(t.g), c.widths);
    EXPECT_EQ(t.g.TotalColumnWidth(), 240);
  }
}

TEST(GridMouse, SizingWithFitToWidthSkipsAHiddenNeighbour) {
  Rig t(4, 5, 60, {264, 200});
  t.g.Columns()[2].setVisible(false);
  t.g.setFitToWidth(true);
  const std::vector<int> before = widths(t.g);
  ASSERT_EQ(t.g.TotalColumnWidth(), 240);
  const int x = 20 + before[0] + before[1];
  t.press({x, 30});
  t.dragTo({{x + 10, 30}});
  EXPECT_EQ(t.g.Columns()[1].Width(), before[1] + 10);
  EXPECT_EQ(t.g.Columns()[3].Width(), before[3] - 10) << "the visible neighbour gives the room";
  EXPECT_EQ(t.g.Columns()[2].Width(), before[2]);
  EXPECT_EQ(t.g.TotalColumnWidth(), 240);
}

// ---------------------------------------------------------------------------------------------
// The in-place editor

TEST(GridEditor, IsAHiddenBorderlessChildOfTheGrid) {
  Rig t;
  EXPECT_EQ(t.ed.parent(), &t.g);
  EXPECT_EQ(t.ed.owner(), nullptr);
  EXPECT_FALSE(t.ed.visible());
  EXPECT_EQ(t.ed.left(), -200);
  EXPECT_EQ(t.ed.top(), -200);
  EXPECT_EQ(t.ed.EditorAlignment(), grid::haLeft);
  EXPECT_EQ(&t.ed.OwnerGrid(), &t.g);
  for (int key : {vk::Return, vk::Escape, vk::Up, vk::Down}) EXPECT_TRUE(t.ed.wantsNavigationKey(key)) << key;
  for (int key : {vk::Left, vk::Right, 9}) EXPECT_FALSE(t.ed.wantsNavigationKey(key)) << key;
}

TEST(GridEditor, LiesOverTheCellByItsAlignment) {
  struct Case {
    grid::THorzAlign h;
    grid::TVertAlign v;
    int fontHeight;
    fw::Rect bounds;
    fw::TextAlign text;
  };
  // Cell (1, 1) of 80-pixel columns covers client {99, 35, 180, 54}; inside by 4 and 3 pixels
  // that is {103, 38, 176, 51}, 13 pixels high, and "gM" is one font height high.
  const Case cases[] = {
      {grid::haLeft, grid::vaTop, 10, {103, 37, 176, 47}, fw::TextAlign::Left},
      {grid::haLeft, grid::vaCenter, 10, {103, 39, 176, 49}, fw::TextAlign::Left},
      {grid::haLeft, grid::vaBottom, 10, {103, 42, 176, 52}, fw::TextAlign::Left},
      {grid::haCenter, grid::vaCenter, 10, {103, 39, 176, 49}, fw::TextAlign::Center},
      {grid::haRight, grid::vaCenter, 10, {103, 39, 177, 49}, fw::TextAlign::Right},  // one pixel wider
      {grid::haRight, grid::vaTop, 13, {103, 37, 177, 50}, fw::TextAlign::Right},
      {grid::haLeft, grid::vaCenter, 20, {103, 35, 176, 55}, fw::TextAlign::Left},  // -7 div 2 is -3
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.h) + " " + std::to_string(c.v) + " font " + std::to_string(c.fontHeight));
    Rig t(3, 6, 80);
    grid::TCellColumn& column = t.g.Columns()[1];
    fw::Font f;
    f.name = "Tahoma";
    f.height = c.fontHeight;
    column.setFont(f);
    column.setHorzAlign(c.h);
    column.setVertAlign(c.v);
    t.g.setAlternateColor(fw::rgb(1, 2, 3));
    t.g.setCellText(1, 1, "abc");
    t.record();
    t.openEditorAt(1, 1);
    ASSERT_TRUE(t.ed.visible());
    EXPECT_EQ(t.ed.bounds(), c.bounds);
    EXPECT_EQ(t.ed.EditorAlignment(), c.h);
    EXPECT_EQ(hl::textAlignmentOf(t.ed), c.text);
    EXPECT_EQ(t.ed.text(), "abc");
    EXPECT_EQ(t.ed.font(), f);
    EXPECT_EQ(hl::colorOf(t.ed), fw::rgb(1, 2, 3)) << "an odd row in the grid's colour shows the alternate";
    EXPECT_EQ(t.ed.EditCol(), 1);
    EXPECT_EQ(t.ed.EditRow(), 1);
    EXPECT_FALSE(TCellGrid::CaretShown());
    EXPECT_EQ(hl::focused(), &t.g);
    EXPECT_EQ(t.countOf("chang"), 0) << "loading the cell writes nothing";
  }
}

TEST(GridEditor, TakesTheColumnsOwnColourAndFollowsItsAlignmentFromCellToCell) {
  Rig t(3, 6, 80);
  t.g.Columns()[0].setColor(fw::rgb(9, 9, 9));
  t.g.Columns()[2].setHorzAlign(grid::haRight);
  t.openEditorAt(0, 1);
  EXPECT_EQ(hl::colorOf(t.ed), fw::rgb(9, 9, 9));
  t.openEditorAt(2, 1);
  EXPECT_EQ(hl::textAlignmentOf(t.ed), fw::TextAlign::Right);
  t.openEditorAt(1, 2);
  EXPECT_EQ(hl::textAlignmentOf(t.ed), fw::TextAlign::Left);
  EXPECT_EQ(hl::colorOf(t.ed), t.g.Color()) << "an even row";
}

TEST(GridEditor, WritesTheCellOnEveryChange) {
  Rig t(3, 6, 80);
  t.g.setCellText(1, 1, "abc");
  t.openEditorAt(1, 1);
  t.record();
  t.ed.setFocus();  // a click into the editor
  EXPECT_TRUE(t.ed.visible()) << "the grid leaves the editor open when the focus goes into it";
  hl::typeText(t.ed, "1");
  EXPECT_EQ(t.g.RawCellText(1, 1), "abc1");
  EXPECT_EQ(t.takeLog(), (Strings{"changing 1,1", "change 1,1"}));
  hl::character(t.ed, '\b');
  EXPECT_EQ(t.g.RawCellText(1, 1), "abc");

  t.refuse = true;
  hl::typeText(t.ed, "2");
  EXPECT_EQ(t.g.RawCellText(1, 1), "abc") << "refused: the cell keeps its text";
  EXPECT_EQ(t.ed.text(), "abc2");
  t.refuse = false;
  hl::typeText(t.ed, "3");
  EXPECT_EQ(t.g.RawCellText(1, 1), "abc23") << "the next change writes the whole text";
}

TEST(GridEditor, EnterEscapeUpAndDownCloseItAndGiveTheFocusBack) {
  struct Case {
    int key;
    fw::ShiftState shift;
  };
  const Case cases[] = {
      {vk::Return, {}},
      {vk::Escape, {}},
      {vk::Up, {}},
      {vk::Down, {}},
      {vk::Return, {.shift = true}},
      {vk::Down, {.ctrl = true}},
      {vk::Up, {.shift = true, .alt = true, .ctrl = true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Rig t(3, 6, 80);
    t.g.setCellText(1, 1, "abc");
    t.openEditorAt(1, 1);
    t.ed.setFocus();
    hl::typeText(t.ed, "x");
    int editorKeys = 0, gridKeys = 0;
    t.ed.onKeyDown = [&](fw::Component&, int&, fw::ShiftState) { ++editorKeys; };
    t.g.onKeyDown = [&](fw::Component&, int&, fw::ShiftState) { ++gridKeys; };
    t.record();
    hl::keyDown(t.ed, c.key, c.shift);
    EXPECT_FALSE(t.ed.visible());
    EXPECT_FALSE(t.g.EditorActive());
    EXPECT_EQ(hl::focused(), &t.g);
    EXPECT_EQ(t.current(), (TGridCoord{1, 1}));
    EXPECT_EQ(t.g.RawCellText(1, 1), "abcx") << "what was typed stays";
    EXPECT_EQ(editorKeys + gridKeys, 0);
    EXPECT_TRUE(t.log.empty());
  }
}

TEST(GridEditor, OtherKeysAreTheEditsOwn) {
  Rig t(3, 6, 80);
  t.openEditorAt(1, 1);
  t.ed.setFocus();
  int editorKeys = 0;
  t.ed.onKeyDown = [&](fw::Component&, int&, fw::ShiftState) { ++editorKeys; };
  for (int key : {vk::Left, vk::Right, vk::Home, vk::Delete}) hl::keyDown(t.ed, key);
  EXPECT_EQ(editorKeys, 4);
  EXPECT_TRUE(t.ed.visible());
  EXPECT_EQ(hl::focused(), &t.ed);
}

TEST(GridEditor, TheCharacterFilterSeesTheEditorAndNeverRefusesBackspace) {
  Rig t(3, 6, 80);
  t.g.setCellText(2, 3, "abc");
  t.openEditorAt(2, 3);
  t.ed.setFocus();
  Strings calls;
  t.g.OnFilterChar = [&](fw::Component& sender, int col, int row, char ch, bool& allowed) {
    EXPECT_EQ(&sender, &t.ed);
    calls.push_back("filter " + at(col, row) + " " + std::string(1, ch));
    allowed = std::isalpha(static_cast<unsigned char>(ch)) != 0;  // refuses Backspace too
  };
  t.ed.onKeyPress = [&](fw::Component&, char& ch) { calls.push_back("press " + std::to_string(int(ch))); };
  hl::typeText(t.ed, "d1");
  hl::character(t.ed, '\b');
  hl::character(t.ed, '\b');
  EXPECT_EQ(t.ed.text(), "ab");
  EXPECT_EQ(t.g.RawCellText(2, 3), "ab");
  EXPECT_EQ(calls, (Strings{"filter 2,3 d", "press 100", "filter 2,3 1", "press 0", "filter 2,3 \b", "press 8",
                            "filter 2,3 \b", "press 8"}))
      << "the filter runs first and a refused character arrives as 0";
}

TEST(GridEditor, TheWheelLeavesItOpenAndAScrollBarClosesIt) {
  Rig t(3, 40, 80);
  t.openEditorAt(1, 1);
  EXPECT_TRUE(hl::mouseWheel(t.g, -120));
  EXPECT_GT(t.g.ScrollY(), 0);
  EXPECT_TRUE(t.ed.visible());
  EXPECT_TRUE(t.g.EditorActive());
  hl::scrollBar(t.g, fw::ScrollBar::Vertical, fw::scroll::LineDown);
  EXPECT_FALSE(t.ed.visible());
  EXPECT_FALSE(t.g.EditorActive());
}

TEST(GridEditor, ASizingOrFillPressClosesIt) {
  for (bool fill : {false, true}) {
    SCOPED_TRACE(fill ? "fill handle" : "column border");
    Rig t(3, 6, 80);
    t.openEditorAt(0, 0);
    ASSERT_TRUE(t.ed.visible());
    hl::paint(t.g);
    const fw::Rect h = t.g.FillHandleRect();
    t.press(fill ? fw::Point{h.left + 3, h.top + 3} : fw::Point{20 + 160, 60});
    EXPECT_EQ(hl::cursorOf(t.g), fill ? grid::crFillCross : grid::crHSplit);
    EXPECT_FALSE(t.ed.visible());
  }
}

}  // namespace
