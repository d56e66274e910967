// Sizing the call-list grid's columns with the mouse on the headless backend: alone, and with
// fit-to-width trading width with the right neighbour.
#include <gtest/gtest.h>

#include <vector>

#include "grid_fixtures.h"

namespace {

using namespace gridtest;

// ---------------------------------------------------------------------------------------------
// Column sizing

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

}  // namespace
