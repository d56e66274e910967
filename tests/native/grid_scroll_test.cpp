// The call-list grid's scrolling, caret and focus on the headless backend: the scroll bars and
// the wheel, the caret after typed text, focus, and the read-only call list of the main window.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fw/platform.h"

#include "grid_fixtures.h"

namespace {

using namespace gridtest;

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
