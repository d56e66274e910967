// The call-list grid's keyboard on the headless backend: the key tables with their events,
// Enter's walk and fills, automatic rows, type-over editing, and disabled and empty grids.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fw/platform.h"

#include "grid_fixtures.h"

namespace {

using namespace gridtest;

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

}  // namespace
