// The call-list grid's in-place editor on the headless backend: its placement, writes, keys
// and character filter, and what closes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "grid_fixtures.h"

namespace {

using namespace gridtest;

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
