#include <gtest/gtest.h>

#include "fw/custom_control.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/testing/raster_canvas.h"
#include "pixel_pictures.h"

namespace {

using testkit::pictures::kBlue;
using testkit::pictures::kRed;
using testkit::pictures::Picture;

Picture picture(const fw::RasterCanvas& c) {
  Picture rows;
  for (int y = 0; y < c.height(); ++y) {
    std::string row;
    for (int x = 0; x < c.width(); ++x) row += testkit::pictures::letter(c.pixel(x, y));
    rows.push_back(row);
  }
  return rows;
}

Picture drawn(const testkit::pictures::Scene& scene) {
  fw::RasterCanvas c(scene.width, scene.height);
  scene.draw(c);
  return picture(c);
}

TEST(RasterCanvas, RectangleOutlinesInsideAndLeavesOutRightAndBottom) {
  EXPECT_EQ(drawn(testkit::pictures::kRectangleOutline), testkit::pictures::kRectangleOutline.expected);
}

TEST(RasterCanvas, AWidePenIsCentredOnTheOutlineWithRoundCorners) {
  EXPECT_EQ(drawn(testkit::pictures::kWidePenOutline), testkit::pictures::kWidePenOutline.expected);
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
  EXPECT_EQ(drawn(testkit::pictures::kFillsLinesAndClip), testkit::pictures::kFillsLinesAndClip.expected);
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
