#include <gtest/gtest.h>

#include "fw/custom_control.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/testing/raster_canvas.h"

namespace {

constexpr fw::Color kRed = fw::rgb(255, 0, 0);
constexpr fw::Color kBlue = fw::rgb(0, 0, 255);

// The rows of a canvas as text: '.' background, 'R' red, 'B' blue, '?' anything else.
std::vector<std::string> picture(const fw::RasterCanvas& c) {
  std::vector<std::string> rows;
  for (int y = 0; y < c.height(); ++y) {
    std::string row;
    for (int x = 0; x < c.width(); ++x) {
      const fw::Color p = c.pixel(x, y);
      row += p == fw::clWhite ? '.' : p == kRed ? 'R' : p == kBlue ? 'B' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(RasterCanvas, RectangleOutlinesInsideAndLeavesOutRightAndBottom) {
  fw::RasterCanvas c(7, 6);
  c.setPen({kRed, 1});
  c.setBrush({kBlue});
  c.rectangle({1, 1, 6, 5});
  EXPECT_EQ(picture(c), (std::vector<std::string>{".......",  //
                                                  ".RRRRR.",  //
                                                  ".RBBBR.",  //
                                                  ".RBBBR.",  //
                                                  ".RRRRR.",  //
                                                  "......."}));
}

// A grid's selection frame: 3 pixels centred on the outline, the outer corner pixels left out.
TEST(RasterCanvas, AWidePenIsCentredOnTheOutlineWithRoundCorners) {
  fw::RasterCanvas c(10, 9);
  c.setPen({kRed, 3});
  c.setBrush({kBlue});
  c.rectangle({2, 2, 8, 7});
  EXPECT_EQ(picture(c), (std::vector<std::string>{"..........",  //
                                                  "..RRRRRR..",  //
                                                  ".RRRRRRRR.",  //
                                                  ".RRRRRRRR.",  //
                                                  ".RRRBBRRR.",  //
                                                  ".RRRRRRRR.",  //
                                                  ".RRRRRRRR.",  //
                                                  "..RRRRRR..",  //
                                                  ".........."}));
}

TEST(RasterCanvas, ADottedPenDrawsEveryOtherThreePixelsOfTheOutline) {
  fw::RasterCanvas c(14, 5);
  c.setPen({kRed, 1, false, true});
  c.setBrush({kBlue, true});
  c.rectangle({0, 0, 14, 5});
  EXPECT_EQ(picture(c)[0], "RRR...RRR...RR");
  EXPECT_EQ(picture(c)[2].substr(1, 12), "............") << "the inside is left alone";
}

TEST(RasterCanvas, FillsLinesAndClipsFollowThePlatformRules) {
  fw::RasterCanvas c(6, 4);
  c.setBrush({kBlue});
  c.fillRect({0, 0, 2, 2});  // right and bottom edges excluded
  c.setPen({kRed, 1});
  c.moveTo({0, 3});
  c.lineTo({5, 3});  // the last point is not drawn
  fw::Region clip({3, 0, 6, 2});
  clip.subtract({4, 0, 5, 1});
  {
    fw::ScopedClip scoped(c, clip);
    EXPECT_EQ(c.clipBox(), (fw::Rect{3, 0, 6, 2}));
    c.fillRect({0, 0, 6, 4});
  }
  EXPECT_EQ(c.clipBox(), (fw::Rect{0, 0, 6, 4})) << "the scope put back no clip";
  EXPECT_EQ(picture(c), (std::vector<std::string>{"BB.B.B",  //
                                                  "BB.BBB",  //
                                                  "......",  //
                                                  "RRRRR."}));
}

TEST(RasterCanvas, PaintsOnlyInsideTheUpdateBox) {
  fw::RasterCanvas c(4, 3, fw::clWhite, {1, 1, 3, 2});
  c.setBrush({kBlue});
  c.fillRect({0, 0, 4, 3});
  EXPECT_EQ(picture(c), (std::vector<std::string>{"....", ".BB.", "...."}));
}

TEST(RasterCanvas, TrianglesAndTextStayInTheirBounds) {
  fw::RasterCanvas c(6, 7);
  c.setPen({kRed, 1});
  c.setBrush({kRed});
  c.polygon({{1, 1}, {1, 5}, {3, 3}});  // a pointer triangle, as a grid's gutter draws it
  EXPECT_EQ(c.pixel(1, 1), kRed);
  EXPECT_EQ(c.pixel(1, 5), kRed);
  EXPECT_EQ(c.pixel(3, 3), kRed);
  EXPECT_EQ(c.pixel(4, 3), fw::clWhite);
  EXPECT_EQ(c.pixel(3, 1), fw::clWhite);

  fw::RasterCanvas t(20, 10);
  fw::Font f;
  f.height = 8;
  f.color = kBlue;
  t.setFont(f);
  t.textOut({0, 0, 16, 10}, 2, 1, "ab c");  // cells 4 wide, 3 drawn: a 2-4, b 6-8, c 14-16
  EXPECT_EQ(t.pixel(2, 2), kBlue);
  EXPECT_EQ(t.pixel(6, 2), kBlue);
  EXPECT_EQ(t.pixel(5, 2), fw::clWhite) << "the gap between characters";
  EXPECT_EQ(t.pixel(10, 2), fw::clWhite) << "a space draws nothing";
  EXPECT_EQ(t.pixel(15, 2), kBlue);
  EXPECT_EQ(t.pixel(16, 2), fw::clWhite) << "clipped";
  EXPECT_EQ(t.pixel(2, 1), fw::clWhite) << "a glyph box starts one row below the top";
  ASSERT_EQ(t.texts().size(), 1u);
  EXPECT_EQ(t.texts()[0].text, "ab c");
}

TEST(CustomControl, RepaintRequestsAndCursorAreRecordedForTests) {
  fw::Form form(nullptr);
  auto& control = form.create<fw::CustomControl>(&form);
  control.setBounds(fw::Rect::fromSize(0, 0, 10, 5));
  fw::headless::takeInvalidations(control);
  control.invalidateRect({1, 2, 3, 4});
  control.invalidate();
  EXPECT_EQ(fw::headless::takeInvalidations(control), (std::vector<fw::Rect>{{1, 2, 3, 4}, {0, 0, 10, 5}}));
  EXPECT_TRUE(fw::headless::takeInvalidations(control).empty());
  control.setCursor(101);
  EXPECT_EQ(fw::headless::cursorOf(control), 101);

  control.setBackground(kBlue);
  const fw::Rect box{2, 1, 4, 3};
  const fw::RasterCanvas painted = fw::headless::paint(control, &box);
  EXPECT_EQ(painted.pixel(2, 1), kBlue);
  EXPECT_EQ(painted.pixel(4, 1), fw::clWhite) << "outside the update box";
}

}  // namespace
