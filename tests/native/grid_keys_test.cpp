// The call-list grid's keyboard, scrolling, typing and caret on the headless backend: the key
// tables with their events, Enter's walk and fills, automatic rows, type-over editing, the
// scroll bars and the wheel, focus, and the read-only call list of the main window.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cell_grid.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/platform.h"

namespace {

using grid::TCellGrid;
using grid::TGridCoord;
using grid::TGridRect;
namespace vk = grid::vk;
namespace hl = fw::headless;
using Rects = std::vector<fw::Rect>;
using Strings = std::vector<std::string>;

struct Stroke {
  int key;
  bool shift = false;
  bool ctrl = false;
};
Stroke plain(int key) { return {key}; }
Stroke shifted(int key) { return {key, true, false}; }
Stroke ctrl(int key) { return {key, false, true}; }
Stroke ctrlShift(int key) { return {key, true, true}; }

std::string at(int col, int row) { return std::to_string(col) + "," + std::to_string(row); }

// Every cell that holds text, as "col,row=text", column by column.
Strings filledCells(const TCellGrid& g) {
  Strings cells;
  for (int c = 0; c < g.ColCount(); ++c)
    for (int r = 0; r < g.RowCount(); ++r)
      if (!g.RawCellText(c, r).empty()) cells.push_back(at(c, r) + "=" + g.RawCellText(c, r));
  return cells;
}

// A form holding one grid whose events are written to a log in the order they come.
class GridKeysTest : public ::testing::Test {
 protected:
  GridKeysTest() : form(nullptr), g(form.create<TCellGrid>(&form)) {}
  // Handlers run inside the application's guard, which would swallow a throw.
  void TearDown() override { EXPECT_EQ(hl::reportedErrors().size(), errorsBefore) << "an error escaped a handler"; }

  // Five columns, the middle one hidden, in a window where everything fits.
  void makeGrid(int rows) {
    g.setBounds(fw::Rect::fromSize(0, 0, 604, 404));
    g.setColCount(5);
    g.setRowCount(rows);
    g.Columns()[2].setVisible(false);
    logEvents();
  }

  void logEvents() {
    g.OnColRowChanged = [this](TCellGrid&, int c, int r) { log.push_back("colrow " + at(c, r)); };
    g.OnInsertRow = [this](TCellGrid&, int r) { log.push_back("insert " + std::to_string(r)); };
    g.OnDeleteRow = [this](TCellGrid&, int r) { log.push_back("delete " + std::to_string(r)); };
    g.OnCellChanging = [this](TCellGrid&, int c, int r, bool&) { log.push_back("changing " + at(c, r)); };
    g.OnCellChange = [this](TCellGrid&, int c, int r, std::string& s) {
      log.push_back("change " + at(c, r) + " " + s);
    };
    g.onKeyDown = [this](fw::Component&, int& key, fw::ShiftState) { log.push_back("key " + std::to_string(key)); };
    g.onKeyPress = [this](fw::Component&, char& ch) { log.push_back(std::string("press ") + ch); };
  }

  void press(Stroke s) { hl::keyDown(g, s.key, fw::ShiftState{.shift = s.shift, .ctrl = s.ctrl}); }
  void type(const std::string& text) { hl::typeText(g, text); }
  Strings takeLog() { return std::exchange(log, {}); }
  TGridCoord current() const { return {g.CurrentCol(), g.CurrentRow()}; }

  size_t errorsBefore = hl::reportedErrors().size();
  fw::Form form;
  TCellGrid& g;
  Strings log;
};

// ---------------------------------------------------------------------------------------------
// The key tables

TEST_F(GridKeysTest, EachKeyMovesSelectsAndRaisesItsEventsInOrder) {
  const TGridRect none{-9, -9, -9, -9};  // the single current cell
  const struct Case {
    const char* name;
    TGridCoord from;
    std::vector<Stroke> keys;
    TGridCoord current;
    TGridRect selection;
    Strings events;
    int rowsAfter = 6;
    int rowsBefore = 6;
    bool autoAddRow = false;
    std::string lastRowText = {};
  } cases[] = {
      {"Right skips the hidden column", {1, 2}, {plain(vk::Right)}, {3, 2}, none, {"colrow 3,2", "key 39"}},
      {"Right on the last visible column stays and still notifies", {4, 2}, {plain(vk::Right)}, {4, 2}, none,
       {"colrow 4,2", "key 39"}},
      {"Left skips the hidden column", {3, 2}, {plain(vk::Left)}, {1, 2}, none, {"colrow 1,2", "key 37"}},
      {"Left on the first column stays", {0, 2}, {plain(vk::Left)}, {0, 2}, none, {"colrow 0,2", "key 37"}},
      {"Up on row 0 stays", {1, 0}, {plain(vk::Up)}, {1, 0}, none, {"colrow 1,0", "key 38"}},
      {"Down on the last row without automatic rows stays", {1, 5}, {plain(vk::Down)}, {1, 5}, none,
       {"colrow 1,5", "key 40"}},
      {"Page Down jumps to the last row, the column stays", {3, 1}, {plain(vk::Next)}, {3, 5}, none,
       {"colrow 3,5", "key 34"}},
      {"Page Up jumps to row 0", {3, 4}, {plain(vk::Prior)}, {3, 0}, none, {"colrow 3,0", "key 33"}},
      {"Home and End keep the row", {3, 4}, {plain(vk::Home), plain(vk::End)}, {4, 4}, none,
       {"colrow 0,4", "key 36", "colrow 4,4", "key 35"}},
      {"Ctrl+Home goes to the first cell", {3, 4}, {ctrl(vk::Home)}, {0, 0}, none, {"colrow 0,0", "key 36"}},
      {"Ctrl+End goes to the last cell", {1, 1}, {ctrl(vk::End)}, {4, 5}, none, {"colrow 4,5", "key 35"}},
      {"Ctrl wins over Shift", {3, 4}, {ctrlShift(vk::Home)}, {0, 0}, none, {"colrow 0,0", "key 36"}},
      {"Ctrl with an arrow does nothing in the grid", {1, 1}, {ctrl(vk::Down), ctrlShift(vk::Down)}, {1, 1}, none,
       {"key 40", "key 40"}},
      {"Tab, Escape and letters do nothing in the grid", {1, 1}, {plain(9), plain(vk::Escape), plain('A')}, {1, 1},
       none, {"key 9", "key 27", "key 65"}},
      {"Shift+Down three times grows the block, the cell stays", {1, 1},
       {shifted(vk::Down), shifted(vk::Down), shifted(vk::Down)}, {1, 1}, {1, 1, 1, 4},
       {"key 40", "key 40", "key 40"}},
      {"Shift+Down stops at the last row", {1, 4}, {shifted(vk::Down), shifted(vk::Down)}, {1, 4}, {1, 4, 1, 5},
       {"key 40", "key 40"}},
      {"Shift+Right skips the hidden column and stops at the last", {1, 1},
       {shifted(vk::Right), shifted(vk::Right), shifted(vk::Right)}, {1, 1}, {1, 1, 4, 1},
       {"key 39", "key 39", "key 39"}},
      {"Shift+Left and Shift+Up grow towards the origin and stop there", {1, 1},
       {shifted(vk::Left), shifted(vk::Left), shifted(vk::Up), shifted(vk::Up)}, {1, 1}, {0, 0, 1, 1},
       {"key 37", "key 37", "key 38", "key 38"}},
      {"Shift back over the cell shrinks the block again", {1, 1}, {shifted(vk::Right), shifted(vk::Left)}, {1, 1},
       none, {"key 39", "key 37"}},
      {"A plain arrow after Shift collapses the block", {1, 1}, {shifted(vk::Down), plain(vk::Down)}, {1, 2}, none,
       {"key 40", "colrow 1,2", "key 40"}},
      {"Shift+Enter on one cell moves up", {1, 2}, {shifted(vk::Return)}, {1, 1}, none, {"colrow 1,1", "key 13"}},
      {"Shift+Enter on row 0 stays", {1, 0}, {shifted(vk::Return)}, {1, 0}, none, {"colrow 1,0", "key 13"}},
      {"Enter on one cell moves down", {1, 2}, {plain(vk::Return)}, {1, 3}, none, {"colrow 1,3", "key 13"}},
      {"Insert puts an empty row at the current one", {1, 2}, {plain(vk::Insert)}, {1, 2}, none,
       {"colrow 1,2", "insert 2", "colrow 1,2", "key 45"}, 7},
      {"Ctrl+Delete removes the current row", {1, 2}, {ctrl(vk::Delete)}, {1, 2}, none,
       {"colrow 1,2", "delete 2", "colrow 1,2", "key 46"}, 5},
      {"Ctrl+Delete on the last row follows it up", {1, 5}, {ctrl(vk::Delete)}, {1, 4}, none,
       {"colrow 1,4", "delete 5", "colrow 1,4", "key 46"}, 5},
      {"Ctrl+Delete on a grid of one row does nothing", {1, 0}, {ctrl(vk::Delete)}, {1, 0}, none, {"key 46"}, 1, 1},
      {"Down on the last row adds one, Up at once takes it away", {1, 5}, {plain(vk::Down), plain(vk::Up)}, {1, 5},
       none,
       {"colrow 1,6", "insert 6", "colrow 1,6", "key 40", "colrow 1,5", "delete 6", "colrow 1,5", "key 38"}, 6, 6,
       true},
      {"Every Down on the last row adds a row", {1, 5}, {plain(vk::Down), plain(vk::Down)}, {1, 7}, none,
       {"colrow 1,6", "insert 6", "colrow 1,6", "key 40", "colrow 1,7", "insert 7", "colrow 1,7", "key 40"}, 8, 6,
       true},
      {"Up from a last row holding text only moves up", {1, 5}, {plain(vk::Up)}, {1, 4}, none,
       {"colrow 1,4", "key 38"}, 6, 6, true, "x"},
      {"Text in a hidden column counts too", {1, 5}, {plain(vk::Up)}, {1, 4}, none, {"colrow 1,4", "key 38"}, 6, 6,
       true, "hidden"},
      {"Automatic rows only act on the last row", {1, 3}, {plain(vk::Down), plain(vk::Up)}, {1, 3}, none,
       {"colrow 1,4", "key 40", "colrow 1,3", "key 38"}, 6, 6, true},
      {"Up on a single last row does not remove it", {1, 0}, {plain(vk::Up)}, {1, 0}, none, {"colrow 1,0", "key 38"},
       1, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    makeGrid(c.rowsBefore);
    g.setAutoAddRow(c.autoAddRow);
    for (int col = 0; col < 5; ++col) g.setCellText(col, c.rowsBefore - 1, "");
    if (!c.lastRowText.empty()) g.setCellText(c.lastRowText == "hidden" ? 2 : 4, c.rowsBefore - 1, c.lastRowText);
    g.SetCurrentCell(c.from.Col, c.from.Row);
    takeLog();
    for (const Stroke& s : c.keys) press(s);
    EXPECT_EQ(current(), c.current);
    const TGridRect single{c.current.Col, c.current.Row, c.current.Col, c.current.Row};
    EXPECT_EQ(g.Selection(), c.selection == none ? single : c.selection);
    EXPECT_EQ(takeLog(), c.events);
    EXPECT_EQ(g.RowCount(), c.rowsAfter);
    if (c.selection == none) {
      EXPECT_EQ((TGridCoord{g.RangeEndCol(), g.RangeEndRow()}), c.current);
    }
  }
}

TEST_F(GridKeysTest, WithEveryColumnHiddenTheCurrentCellStaysInsideTheGrid) {
  makeGrid(6);
  for (int c = 0; c < 5; ++c) g.Columns()[c].setVisible(false);
  g.SetCurrentCell(1, 2);
  for (Stroke s : {plain(vk::Right), plain(vk::End), ctrl(vk::Home), shifted(vk::Right), plain(vk::Return),
                   plain(vk::Left), shifted(vk::Left), ctrl(vk::End)})
    press(s);
  EXPECT_EQ(current(), (TGridCoord{1, 5})) << "rows move, the column stays";
  EXPECT_EQ(g.Selection(), (TGridRect{1, 5, 1, 5}));
  type("a");
  EXPECT_EQ(g.RawCellText(1, 5), "a");
}

TEST_F(GridKeysTest, EnterAndShiftEnterWalkABlockColumnByColumnAndKeepIt) {
  makeGrid(6);
  const struct {
    TGridCoord from;
    std::vector<Stroke> extend;
    Stroke key;
    std::vector<TGridCoord> visited;
  } cases[] = {
      {{0, 0}, {shifted(vk::Right), shifted(vk::Down)}, plain(vk::Return), {{0, 1}, {1, 0}, {1, 1}, {0, 0}}},
      {{0, 0}, {shifted(vk::Right), shifted(vk::Down)}, shifted(vk::Return), {{1, 1}, {1, 0}, {0, 1}, {0, 0}}},
      // Shift+Right from column 1 jumps the hidden column 2, which the walk still visits.
      {{1, 3}, {shifted(vk::Right), shifted(vk::Up)}, plain(vk::Return),
       {{2, 2}, {2, 3}, {3, 2}, {3, 3}, {1, 2}, {1, 3}}},
  };
  for (const auto& c : cases) {
    g.SetCurrentCell(c.from.Col, c.from.Row);
    for (const Stroke& s : c.extend) press(s);
    const TGridRect block = g.Selection();
    takeLog();
    std::vector<TGridCoord> visited;
    Strings expectedLog;
    for (size_t i = 0; i < c.visited.size(); ++i) {
      press(c.key);
      visited.push_back(current());
      expectedLog.push_back("colrow " + at(c.visited[i].Col, c.visited[i].Row));
      expectedLog.push_back("key 13");
    }
    EXPECT_EQ(visited, c.visited);
    EXPECT_EQ(g.Selection(), block) << "the block stays";
    EXPECT_EQ(takeLog(), expectedLog);
  }

  // A walk empties what was typed and repaints the cell area, where the frame moves inside.
  g.SetCurrentCell(0, 0);
  press(shifted(vk::Down));
  type("ab");
  hl::takeInvalidations(g);
  press(plain(vk::Return));
  EXPECT_EQ(current(), (TGridCoord{0, 1}));
  EXPECT_EQ(g.TypedText(), "");
  EXPECT_EQ(hl::takeInvalidations(g), (Rects{{18, 16, 600, 400}}));
  type("c");
  EXPECT_EQ(g.RawCellText(0, 1), "c") << "type-over starts afresh in the next cell";
  EXPECT_EQ(g.RawCellText(0, 0), "ab");
}

// ---------------------------------------------------------------------------------------------
// Enter: commit, fill and advance

TEST_F(GridKeysTest, EnterCommitsThenFillsDownOrRightOrAdvances) {
  const struct Case {
    const char* name;
    bool fillDown;
    bool fillRight;
    std::string typed;
    int blockBottom;  // the selection runs from (1, 3) down to this row
    TGridCoord current;
    Strings cells;
    Strings events;  // of Enter alone
  } cases[] = {
      {"fill down to the last row", true, false, "7*", 3, {1, 3},
       {"1,3=7", "1,4=7", "1,5=7", "1,6=7", "1,7=7", "1,8=7", "1,9=7"}, {"key 13"}},
      {"fill down to the block's bottom", true, false, "7*", 5, {1, 3}, {"1,3=7", "1,4=7", "1,5=7"}, {"key 13"}},
      {"fill right through the hidden column", false, true, "x>", 3, {1, 3}, {"1,3=x", "2,3=x", "3,3=x", "4,3=x"},
       {"key 13"}},
      {"both on: the marker decides", true, true, "x>", 3, {1, 3}, {"1,3=x", "2,3=x", "3,3=x", "4,3=x"}, {"key 13"}},
      {"a marker alone fills with the empty text", true, false, "*", 3, {1, 3}, {}, {"key 13"}},
      {"no fill without the flag", false, true, "7*", 3, {1, 4}, {"1,3=7*"}, {"colrow 1,4", "key 13"}},
      {"a marker only counts at the end", true, true, "*7", 3, {1, 4}, {"1,3=*7"}, {"colrow 1,4", "key 13"}},
      {"a block without a fill walks", true, false, "7", 5, {1, 4}, {"1,3=7"}, {"colrow 1,4", "key 13"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    makeGrid(10);
    g.ClearAll();
    g.setAutoFillDown(c.fillDown);
    g.setAutoFillRight(c.fillRight);
    g.SetCurrentCell(1, 3);
    for (int r = 3; r < c.blockBottom; ++r) press(shifted(vk::Down));
    type(c.typed);
    takeLog();
    press(plain(vk::Return));
    EXPECT_EQ(current(), c.current);
    EXPECT_EQ(filledCells(g), c.cells);
    EXPECT_EQ(takeLog(), c.events) << "a fill writes as the program does: no cell events";
    EXPECT_EQ(g.TypedText(), "");
  }
}

TEST_F(GridKeysTest, EnterLetsTheAssignmentHandlerRewriteTheCellBeforeFilling) {
  makeGrid(4);
  g.setAutoFillDown(true);
  g.OnCellAssignment = [this](TCellGrid&, int c, int r, std::string& s) {
    log.push_back("assign " + at(c, r) + " " + s);
    if (s == "=2+3*") s = "5*";
  };
  g.SetCurrentCell(3, 1);
  g.setCellText(3, 1, "=2+3*");
  takeLog();
  press(plain(vk::Return));
  EXPECT_EQ(takeLog(), (Strings{"assign 3,1 =2+3*", "changing 3,1", "change 3,1 5*", "key 13"}));
  EXPECT_EQ(filledCells(g), (Strings{"3,1=5", "3,2=5", "3,3=5"}));

  g.setCellText(3, 1, "same");
  takeLog();
  press(plain(vk::Return));
  EXPECT_EQ(takeLog(), (Strings{"assign 3,1 same", "colrow 3,2", "key 13"})) << "an unchanged text is not written";
}

// ---------------------------------------------------------------------------------------------
// Typing

TEST_F(GridKeysTest, TypingReplacesTheCellAndBackspaceShortensWhatWasTyped) {
  makeGrid(6);
  g.setCellText(1, 1, "xyz");
  g.SetCurrentCell(1, 1);
  takeLog();
  type("ab");
  EXPECT_EQ(g.RawCellText(1, 1), "ab");
  EXPECT_EQ(takeLog(),
            (Strings{"press a", "changing 1,1", "change 1,1 a", "press b", "changing 1,1", "change 1,1 ab"}));
  hl::character(g, '\b');
  EXPECT_EQ(g.RawCellText(1, 1), "a");
  press(plain(vk::Down));
  press(plain(vk::Up));
  type("q");
  EXPECT_EQ(g.RawCellText(1, 1), "q") << "the buffer starts empty in a cell made current again";

  g.setCellText(3, 4, "old");
  g.SetCurrentCell(3, 4);
  hl::character(g, '\b');
  EXPECT_EQ(g.RawCellText(3, 4), "") << "Backspace first empties the cell";
  hl::character(g, '\b');
  EXPECT_EQ(g.TypedText(), "");

  g.SetCurrentCell(0, 0);
  type(std::string("\t\x1b\r", 3));
  EXPECT_EQ(g.RawCellText(0, 0), "") << "control characters are not typed";
  type("\xFD\xFE");  // 8-bit letters of the Turkish code page
  EXPECT_EQ(g.RawCellText(0, 0), "\xFD\xFE");
}

TEST_F(GridKeysTest, FiltersKeyHandlersAndRefusalsShapeWhatIsTyped) {
  makeGrid(6);
  g.SetCurrentCell(1, 1);
  g.OnFilterChar = [this](fw::Component& sender, int, int, char ch, bool& allowed) {
    EXPECT_EQ(&sender, &g);
    allowed = ch != '-';
  };
  g.onKeyPress = [](fw::Component&, char& ch) {
    if (ch == '#') ch = 0;
    if (ch == 'u') ch = 'U';
  };
  type("a-#u");
  EXPECT_EQ(g.RawCellText(1, 1), "aU") << "refused, cancelled and changed characters";
  EXPECT_EQ(g.TypedText(), "aU");

  bool refuse = true;
  g.OnCellChanging = [&](TCellGrid&, int, int, bool& can) { can = !refuse; };
  type("b");
  EXPECT_EQ(g.RawCellText(1, 1), "aU") << "a refused change keeps the old text";
  EXPECT_EQ(g.TypedText(), "aUb") << "while the buffer keeps the character";
  refuse = false;
  type("c");
  EXPECT_EQ(g.RawCellText(1, 1), "aUbc") << "the next accepted character writes the whole buffer";

  g.OnCellChanging = nullptr;
  g.Columns()[3].setReadOnly(true);
  g.setCellText(3, 1, "keep");
  g.SetCurrentCell(3, 1);
  type("zz");
  EXPECT_EQ(g.RawCellText(3, 1), "keep") << "a read-only column refuses typing";
  EXPECT_EQ(g.TypedText(), "zz");
}

TEST_F(GridKeysTest, DeleteEmptiesTheBlockOnceButNotWhileTyping) {
  makeGrid(6);
  for (int c = 0; c < 5; ++c)
    for (int r = 0; r < 3; ++r) g.setCellText(c, r, "t");
  g.Columns()[3].setReadOnly(true);
  g.SetCurrentCell(1, 0);
  press(shifted(vk::Right));  // columns 1 to 3, the hidden 2 included
  press(shifted(vk::Down));
  hl::takeInvalidations(g);
  hl::takeDrawnNow(g);
  takeLog();
  press(plain(vk::Delete));
  EXPECT_EQ(filledCells(g), (Strings{"0,0=t", "0,1=t", "0,2=t", "1,2=t", "2,2=t", "3,0=t", "3,1=t", "3,2=t", "4,0=t",
                                     "4,1=t", "4,2=t"}));
  EXPECT_EQ(takeLog(), (Strings{"changing 1,0", "change 1,0 ", "changing 1,1", "change 1,1 ", "changing 2,0",
                                "change 2,0 ", "changing 2,1", "change 2,1 ", "key 46"}))
      << "by-user writes, column by column";
  EXPECT_FALSE(hl::takeDrawnNow(g).has_value()) << "no cell drawn one by one";
  EXPECT_EQ(hl::takeInvalidations(g), (Rects{{18, 16, 600, 400}})) << "the cell area once";
  EXPECT_EQ(g.Selection(), (TGridRect{1, 0, 3, 1}));
  EXPECT_FALSE(g.BatchLock());

  g.SetCurrentCell(4, 2);
  type("n");
  press(plain(vk::Delete));
  EXPECT_EQ(g.RawCellText(4, 2), "n") << "Delete does nothing while typing";
}

// ---------------------------------------------------------------------------------------------
// Enabled and empty grids

TEST_F(GridKeysTest, ADisabledOrEmptyGridIgnoresKeysButStillReportsCharacters) {
  makeGrid(6);
  g.SetCurrentCell(1, 1);
  g.setEnabled(false);
  takeLog();
  press(plain(vk::Down));
  press(ctrl(vk::Delete));
  type("a");
  EXPECT_EQ(current(), (TGridCoord{1, 1}));
  EXPECT_EQ(g.RowCount(), 6);
  EXPECT_EQ(g.RawCellText(1, 1), "");
  EXPECT_EQ(takeLog(), (Strings{"press a"})) << "no key event, while the character event is raised";

  g.setEnabled(true);
  g.setRowCount(0);
  takeLog();
  press(plain(vk::Insert));
  type("b");
  EXPECT_EQ(takeLog(), (Strings{"press b"})) << "a grid without rows is inert too";
  EXPECT_EQ(g.RowCount(), 0);
}

TEST_F(GridKeysTest, TheArrowsAreClaimedAndTabIsNot) {
  for (int key : {vk::Left, vk::Up, vk::Right, vk::Down}) EXPECT_TRUE(g.wantsNavigationKey(key)) << key;
  for (int key : {9, vk::Return, vk::Escape, vk::Prior, vk::Home}) EXPECT_FALSE(g.wantsNavigationKey(key)) << key;
  EXPECT_TRUE(g.wantsCharacters());
}

// ---------------------------------------------------------------------------------------------
// Scrolling

class GridScrollTest : public GridKeysTest {
 protected:
  // 30 rows and 10 columns in a window of 283 x 183 inside its edge and both bars.
  GridScrollTest() {
    g.setBounds(fw::Rect::fromSize(0, 0, 304, 204));
    g.setColCount(10);
    g.setRowCount(30);
    logEvents();
  }
};

TEST_F(GridScrollTest, BarsStepByLinePageAndThumbAndClampToTheirLimits) {
  ASSERT_EQ(g.clientSize(), (fw::Size{283, 183}));
  ASSERT_EQ(g.Geometry().maxScrollY, 378);  // 18 + 540 - 183 = 375, up to whole rows
  ASSERT_EQ(g.Geometry().maxScrollX, 537);  // 20 + 800 - 283
  const fw::ScrollBar V = fw::ScrollBar::Vertical;
  const fw::ScrollBar H = fw::ScrollBar::Horizontal;
  const fw::Rect below{0, 18, 283, 183};
  const fw::Rect right{20, 0, 283, 183};
  const struct {
    fw::ScrollBar bar;
    int from;
    int code;
    int position;
    int to;
  } cases[] = {
      {V, 36, fw::scroll::LineDown, 0, 54},        {V, 36, fw::scroll::LineUp, 0, 18},
      {V, 36, fw::scroll::PageDown, 0, 126},       {V, 126, fw::scroll::PageUp, 0, 36},
      {V, 18, fw::scroll::PageUp, 0, 0},           {V, 360, fw::scroll::PageDown, 0, 378},
      {V, 0, fw::scroll::ThumbTrack, 100, 90},     {V, 0, fw::scroll::ThumbPosition, 377, 360},
      {V, 0, fw::scroll::ThumbTrack, 5000, 378},   {V, 36, fw::scroll::ThumbTrack, -40, 0},
      {V, 36, fw::scroll::Top, 0, 36},             {V, 36, fw::scroll::Bottom, 0, 36},
      {V, 36, fw::scroll::EndScroll, 0, 36},       {V, 0, fw::scroll::LineUp, 0, 0},
      {H, 0, fw::scroll::LineDown, 0, 18},      {H, 100, fw::scroll::LineUp, 0, 82},
      {H, 100, fw::scroll::PageDown, 0, 190},      {H, 500, fw::scroll::PageDown, 0, 537},
      {H, 50, fw::scroll::PageUp, 0, 0},           {H, 0, fw::scroll::ThumbTrack, 101, 101},
      {H, 0, fw::scroll::ThumbPosition, 9999, 537}, {H, 7, fw::scroll::Bottom, 0, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.bar == V ? "vertical" : "horizontal") << " from " << c.from << " code "
                                    << c.code << " position " << c.position);
    if (c.bar == V) {
      g.SetScrollY(c.from);
      ASSERT_EQ(g.ScrollY(), c.from);
    } else {
      g.SetScrollX(c.from);
      ASSERT_EQ(g.ScrollX(), c.from);
    }
    hl::takeInvalidations(g);
    hl::scrollBar(g, c.bar, c.code, c.position);
    EXPECT_EQ(c.bar == V ? g.ScrollY() : g.ScrollX(), c.to);
    EXPECT_EQ(g.peer().scrollInfo(c.bar).position, c.to);
    EXPECT_EQ(hl::takeInvalidations(g), c.to == c.from ? Rects{} : Rects{c.bar == V ? below : right});
  }
  EXPECT_TRUE(takeLog().empty()) << "scrolling raises nothing";
}

TEST_F(GridScrollTest, AWheelNotchMovesWholePixelsAndTheNextLineStepSnaps) {
  hl::takeInvalidations(g);
  EXPECT_TRUE(hl::mouseWheel(g, -120));
  EXPECT_EQ(g.ScrollY(), 120) << "one notch towards the user, in pixels: row 6 is cut at the top";
  EXPECT_EQ(g.peer().scrollInfo(fw::ScrollBar::Vertical).position, 120);
  EXPECT_EQ(hl::takeInvalidations(g), (Rects{{0, 0, 283, 183}})) << "the whole control";
  hl::scrollBar(g, fw::ScrollBar::Vertical, fw::scroll::LineDown);
  EXPECT_EQ(g.ScrollY(), 126) << "120 + 18 snapped to a whole row";

  EXPECT_TRUE(hl::mouseWheel(g, 120 * 3));
  EXPECT_EQ(g.ScrollY(), 0);
  hl::takeInvalidations(g);
  EXPECT_TRUE(hl::mouseWheel(g, 120)) << "taken also when there is nothing to scroll";
  EXPECT_TRUE(hl::takeInvalidations(g).empty());
  EXPECT_TRUE(hl::mouseWheel(g, -120 * 10));
  EXPECT_EQ(g.ScrollY(), 378);
  EXPECT_TRUE(takeLog().empty());
}

TEST_F(GridScrollTest, ScrollingLeavesTheCurrentCellAndItsTypingAloneButTheWheelKeepsTheCaret) {
  g.setFocus();
  g.SetCurrentCell(1, 2);
  type("ab");
  ASSERT_TRUE(hl::caretOf(g).shown);
  takeLog();
  EXPECT_TRUE(hl::mouseWheel(g, -40));
  EXPECT_TRUE(hl::caretOf(g).shown) << "the wheel does not hide the caret";
  EXPECT_TRUE(TCellGrid::CaretShown());

  hl::scrollBar(g, fw::ScrollBar::Vertical, fw::scroll::PageDown);
  hl::scrollBar(g, fw::ScrollBar::Horizontal, fw::scroll::PageDown);
  EXPECT_FALSE(hl::caretOf(g).shown) << "a bar hides the caret";
  EXPECT_EQ(current(), (TGridCoord{1, 2})) << "the current cell scrolled out of view stays current";
  EXPECT_EQ(g.Selection(), (TGridRect{1, 2, 1, 2}));
  EXPECT_EQ(g.TypedText(), "ab");
  EXPECT_TRUE(takeLog().empty());
  type("c");
  EXPECT_EQ(g.RawCellText(1, 2), "abc") << "typing goes on where it was";
  EXPECT_EQ(g.ScrollY(), 36) << "and brings the cell back into view";
  EXPECT_EQ(g.ScrollX(), 80) << "column 1 starts at the gutter";
}

TEST_F(GridScrollTest, TheThumbReachesEveryPositionOfAGridTallerThan32767Pixels) {
  g.setRowCount(3000);
  g.setColCount(500);  // 40000 pixels wide
  const int maxY = g.Geometry().maxScrollY;
  ASSERT_EQ(maxY, 18 + 3000 * 18 - 183 + 3);
  ASSERT_GT(maxY, 32767);
  std::vector<int> missed;
  for (int row = 0; row * 18 <= maxY; ++row) {
    hl::scrollBar(g, fw::ScrollBar::Vertical, row % 2 ? fw::scroll::ThumbTrack : fw::scroll::ThumbPosition,
                  row * 18 + 7);
    if (g.ScrollY() != row * 18) missed.push_back(row);
  }
  EXPECT_TRUE(missed.empty()) << missed.size() << " rows missed, the first " << missed.front();
  EXPECT_EQ(g.peer().scrollInfo(fw::ScrollBar::Vertical).position, maxY);

  const int maxX = g.Geometry().maxScrollX;
  ASSERT_GT(maxX, 32767);
  for (int x : {32767, 32768, 40000 - 300, maxX, maxX + 1}) {
    hl::scrollBar(g, fw::ScrollBar::Horizontal, fw::scroll::ThumbTrack, x);
    EXPECT_EQ(g.ScrollX(), std::min(x, maxX)) << x;
  }
}

TEST_F(GridScrollTest, AfterAResizeTheCurrentCellComesBackIntoView) {
  g.setBounds(fw::Rect::fromSize(0, 0, 1004, 804));  // all of it fits
  g.SetCurrentCell(8, 25);
  ASSERT_EQ(g.ScrollX(), 0);
  ASSERT_EQ(g.ScrollY(), 0);
  hl::takeInvalidations(g);
  g.setBounds(fw::Rect::fromSize(0, 0, 304, 204));
  const fw::Rect cell = g.CellRectToClient(g.CellRect(8, 25));
  EXPECT_GE(cell.left + 1, g.Geometry().gutterExtent);
  EXPECT_LE(cell.right, g.clientSize().width);
  EXPECT_GE(cell.top + 1, g.Geometry().headerHeight);
  EXPECT_LE(cell.bottom, g.clientSize().height);
  EXPECT_EQ(g.ScrollY() % 18, 0);
  EXPECT_EQ(g.peer().scrollInfo(fw::ScrollBar::Vertical).position, g.ScrollY());
  EXPECT_EQ(g.peer().scrollInfo(fw::ScrollBar::Horizontal).position, g.ScrollX());

  press(ctrl(vk::Home));
  EXPECT_EQ(g.ScrollX(), 0);
  EXPECT_EQ(g.ScrollY(), 0);
  press(shifted(vk::Next));  // not in the Shift table
  press(ctrl(vk::End));
  EXPECT_EQ(g.CellRectToClient(g.CellRect(9, 29)).bottom, g.clientSize().height - 3) << "the last row in view";
  press(shifted(vk::Up));
  press(shifted(vk::Left));
  EXPECT_EQ(g.Selection(), (TGridRect{8, 28, 9, 29}));
  for (int i = 0; i < 20; ++i) press(shifted(vk::Up));
  EXPECT_EQ(g.ScrollY(), 8 * 18) << "Shift+arrows bring the moving corner into view";
}

// ---------------------------------------------------------------------------------------------
// Caret and focus

TEST_F(GridKeysTest, TheCaretFollowsTheEndOfTheTypedText) {
  makeGrid(6);
  g.Columns()[4].setHorzAlign(grid::haRight);
  g.setFocus();
  const struct {
    int col;
    std::string text;
    int textX;   // where the text is drawn, from the left of the cell's 73-pixel text area
    int caretX;  // where the caret goes, from the same place
  } cases[] = {
      {1, "ab", 0, 12 + 1},              // two characters of 6 pixels, the caret one pixel after them
      {1, "abcdefghijklm", 73 - 78, 73},  // wider than the area: its end shows, the caret at the edge
      {4, "ab", 73 - 12, 73},             // right-aligned: the text ends at the edge
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    g.SetCurrentCell(c.col, 3);
    EXPECT_FALSE(hl::caretOf(g).shown) << "a move hides it";
    type(c.text);
    const fw::Rect cell = g.CellRectToClient(g.CellRect(c.col, 3));
    const hl::Caret caret = hl::caretOf(g);
    EXPECT_TRUE(caret.shown);
    EXPECT_TRUE(TCellGrid::CaretShown());
    EXPECT_EQ(caret.at, (fw::Point{cell.left + 4 + c.caretX, cell.top + 2 - 1}));
    const auto drawn = hl::takeDrawnNow(g);
    ASSERT_TRUE(drawn.has_value());
    EXPECT_EQ(drawn->texts().back().text, c.text);
    EXPECT_EQ(drawn->texts().back().at.x, cell.left + 4 + c.textX);
  }
}

TEST_F(GridKeysTest, FocusMakesAHiddenCaretAndLosingItTakesTheCaretAway) {
  makeGrid(6);
  fw::Edit& other = form.create<fw::Edit>(&form);
  const Rects cellArea{{18, 16, 600, 400}};
  hl::takeInvalidations(g);
  g.setFocus();
  hl::Caret caret = hl::caretOf(g);
  EXPECT_TRUE(caret.exists);
  EXPECT_FALSE(caret.shown);
  EXPECT_EQ(caret.size, (fw::Size{1, 16}));
  EXPECT_FALSE(TCellGrid::CaretShown());
  EXPECT_EQ(hl::takeInvalidations(g), cellArea) << "the frame is drawn in black now";

  type("a");
  ASSERT_TRUE(hl::caretOf(g).shown);
  g.Inplace().show();  // as if a press had opened it
  hl::takeInvalidations(g);
  other.setFocus();
  EXPECT_FALSE(hl::caretOf(g).exists);
  EXPECT_FALSE(TCellGrid::CaretShown());
  EXPECT_FALSE(g.Inplace().visible()) << "the editor closes when the focus leaves for elsewhere";
  EXPECT_EQ(hl::takeInvalidations(g), cellArea);

  g.setFocus();
  type("b");
  g.Inplace().show();
  g.Inplace().setFocus();
  EXPECT_TRUE(g.Inplace().visible()) << "the focus went into the grid's own editor";
  EXPECT_FALSE(hl::caretOf(g).exists);
  EXPECT_FALSE(TCellGrid::CaretShown());

  // Two grids share the one caret: the one that gets the focus starts with it hidden.
  TCellGrid& second = form.create<TCellGrid>(&form);
  g.setFocus();
  type("c");
  second.setFocus();
  EXPECT_FALSE(hl::caretOf(g).exists);
  EXPECT_TRUE(hl::caretOf(second).exists);
  EXPECT_FALSE(TCellGrid::CaretShown());
}

// ---------------------------------------------------------------------------------------------
// The main window's call list: read-only for keys

TEST(GridReadOnly, TheCallListNavigatesSelectsScrollsAndCopiesButEditsNothing) {
  fw::registerStandardClasses();
  grid::registerClasses();
  hl::setResourceDir(ZELVORA_TEST_DATA);
  const size_t errorsBefore = hl::reportedErrors().size();
  fw::Form form(nullptr);
  form.loadLayout("grid_window.layout");
  auto& g = form.component<TCellGrid>("CellGrid1");
  ASSERT_TRUE(g.ReadOnly());
  for (int call = 1; call <= 20; ++call) {
    const int row = g.AppendRow();
    g.BeginBatch();
    g.setCellText(0, row, std::to_string(call));
    g.setCellText(2, row, "0532123456" + std::to_string(call % 10));
    g.EndBatch();
  }
  g.AppendRow();  // an empty last row, which automatic rows would take away
  g.setCellText(4, 18, "7*");
  g.setAutoAddRow(true);
  g.setAutoFillDown(true);
  g.setFocus();
  Strings events;
  g.OnInsertRow = [&](TCellGrid&, int r) { events.push_back("insert " + std::to_string(r)); };
  g.OnDeleteRow = [&](TCellGrid&, int r) { events.push_back("delete " + std::to_string(r)); };
  g.OnCellChanging = [&](TCellGrid&, int c, int r, bool&) { events.push_back("changing " + at(c, r)); };
  const Strings before = filledCells(g);
  auto key = [&](Stroke s) { hl::keyDown(g, s.key, fw::ShiftState{.shift = s.shift, .ctrl = s.ctrl}); };

  // Editing keys, each from a cell that holds text.
  fw::clipboard::setText("pasted\tover\r\n");
  g.SetCurrentCell(0, 3);
  for (Stroke s : {plain(vk::Insert), plain(vk::Delete), ctrl(vk::Delete), ctrl('V'), ctrl('X')}) key(s);
  hl::typeText(g, "99");
  hl::character(g, '\b');
  g.SetCurrentCell(4, 18);
  key(plain(vk::Return));  // a fill marker is not honoured either
  EXPECT_EQ(g.CurrentRow(), 19) << "Enter only moves";
  key(plain(vk::Down));
  key(plain(vk::Down));
  EXPECT_EQ(g.CurrentRow(), 20) << "no row is added below the last";
  key(plain(vk::Up));
  EXPECT_EQ(g.CurrentRow(), 19) << "nor is the empty last row removed";
  EXPECT_EQ(filledCells(g), before);
  EXPECT_EQ(g.RowCount(), 21);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(g.TypedText(), "");
  EXPECT_FALSE(hl::caretOf(g).shown);
  EXPECT_EQ(fw::clipboard::text(), "pasted\tover\r\n") << "Ctrl+X did not cut";

  // Navigation, selection and scrolling.
  key(ctrl(vk::Home));
  EXPECT_EQ((TGridCoord{g.CurrentCol(), g.CurrentRow()}), (TGridCoord{0, 0}));
  key(plain(vk::Right));
  key(plain(vk::Next));
  EXPECT_EQ((TGridCoord{g.CurrentCol(), g.CurrentRow()}), (TGridCoord{1, 20}));
  ASSERT_GT(g.ScrollY(), 0) << "the last call scrolled into view";
  key(plain(vk::Prior));
  key(shifted(vk::Right));
  key(shifted(vk::Down));
  EXPECT_EQ(g.Selection(), (TGridRect{1, 0, 2, 1}));
  hl::scrollBar(g, fw::ScrollBar::Vertical, fw::scroll::LineDown);
  EXPECT_EQ(g.ScrollY(), 18);
  EXPECT_TRUE(hl::mouseWheel(g, 120));
  EXPECT_EQ(g.ScrollY(), 0);

  hl::clearClipboard();
  key(ctrl('C'));
  EXPECT_TRUE(fw::clipboard::hasText()) << "Ctrl+C copies";
  EXPECT_FALSE(fw::clipboard::text().empty());
  EXPECT_EQ(filledCells(g), before);
  EXPECT_EQ(hl::reportedErrors().size(), errorsBefore);
}

}  // namespace
