// The win32 canvas keeps the pixel rules the headless one is tested against, the scoped GDI
// helpers put back what they replaced, and repeated work leaves no GDI objects behind.
#include <windows.h>

#include <winuser.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fw/application.h"
#include "fw/controls.h"
#include "fw/custom_control.h"
#include "fw/form.h"
#include "fw/win32/native.h"
#include "gdi_canvas.h"
#include "fw/win32/handles.h"
#include "harness.h"
#include "pixel_pictures.h"

namespace {

using harness::MemoryBitmap;
using testkit::pictures::kBlue;
using testkit::pictures::kRed;
using testkit::pictures::Picture;

// The scene painted by a GDI canvas on a white bitmap, read back as rows of letters.
Picture drawn(const testkit::pictures::Scene& scene) {
  MemoryBitmap b(scene.width, scene.height, RGB(255, 255, 255));
  {
    fw::win32::GdiCanvas c(b.dc());
    scene.draw(c);
  }
  const std::vector<COLORREF> pixels = b.pixels();
  Picture rows;
  for (int y = 0; y < b.height(); ++y) {
    std::string row;
    for (int x = 0; x < b.width(); ++x) row += testkit::pictures::letter(pixels[y * b.width() + x]);
    rows.push_back(row);
  }
  return rows;
}

TEST(GdiCanvas, RectangleOutlinesInsideAndLeavesOutRightAndBottom) {
  EXPECT_EQ(drawn(testkit::pictures::kRectangleOutline), testkit::pictures::kRectangleOutline.expected);
}

TEST(GdiCanvas, AWidePenIsCentredOnTheOutlineWithRoundCorners) {
  EXPECT_EQ(drawn(testkit::pictures::kWidePenOutline), testkit::pictures::kWidePenOutline.expected);
}

TEST(GdiCanvas, FillsLinesAndClipsFollowThePlatformRules) {
  EXPECT_EQ(drawn(testkit::pictures::kFillsLinesAndClip), testkit::pictures::kFillsLinesAndClip.expected);
}

TEST(GdiHandles, ScopedStatePutsBackWhatWasSelected) {
  MemoryBitmap b(4, 4, RGB(255, 255, 255));
  const HGDIOBJ pen = GetCurrentObject(b.dc(), OBJ_PEN);
  const HGDIOBJ brush = GetCurrentObject(b.dc(), OBJ_BRUSH);
  const HGDIOBJ font = GetCurrentObject(b.dc(), OBJ_FONT);
  {
    fw::win32::GdiObject<HPEN> red(CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
    fw::win32::ScopedSelect select(b.dc(), red.get());
    EXPECT_EQ(GetCurrentObject(b.dc(), OBJ_PEN), red.get());
  }
  EXPECT_EQ(GetCurrentObject(b.dc(), OBJ_PEN), pen);
  {
    fw::win32::GdiCanvas c(b.dc());
    c.setPen({kRed, 2});
    c.setBrush({kBlue});
    c.setFont(fw::Font{});
    c.setClip(fw::Region({0, 0, 1, 1}));
  }
  EXPECT_EQ(GetCurrentObject(b.dc(), OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(b.dc(), OBJ_BRUSH), brush);
  EXPECT_EQ(GetCurrentObject(b.dc(), OBJ_FONT), font);
  HRGN probe = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(b.dc(), probe), 0) << "no clip region left behind";
  DeleteObject(probe);
}

// Paints its whole area in changing colours and fonts, as the grid will.
class Swatch : public fw::CustomControl {
 public:
  using fw::CustomControl::CustomControl;
  void paint(fw::Canvas& canvas) override {
    ++paints;
    fw::Font f;
    f.height = 10 + paints % 7;
    canvas.setFont(f);
    canvas.setPen({fw::rgb(paints % 256, 0, 0), 1});
    canvas.setBrush({fw::rgb(0, paints % 256, 0)});
    canvas.rectangle({0, 0, 20, 20});
    canvas.setClip(fw::Region({0, 0, 10, 10}));
    canvas.textOut({0, 0, 20, 20}, 1, 1, "\xD0\xFD");
  }
  int paints = 0;
};

TEST(GdiHandles, RepeatedFontsAndPaintsLeaveNoObjectsBehind) {
  auto& app = fw::Application::instance();
  app.initialize();
  fw::Form form(nullptr);
  auto& label = form.create<fw::Label>(&form);
  auto& swatch = form.create<Swatch>(&form);
  form.setClientSize({100, 100});
  swatch.setBounds(fw::Rect::fromSize(0, 0, 20, 20));
  form.show();
  swatch.update();
  const long before = harness::gdiObjectLevel();
  constexpr int kRounds = 3000;
  for (int i = 0; i < kRounds; ++i) {
    fw::Font f;
    f.height = 8 + i % 20;
    f.bold = i % 2;
    label.setFont(f);
    label.setCaption(std::to_string(i));
    label.setColor(fw::rgb(i % 256, 0, 0));
    swatch.invalidate();
    swatch.update();
  }
  EXPECT_EQ(swatch.paints, kRounds + 1);
  EXPECT_LT(harness::gdiObjectLevel() - before, 50) << "GDI objects pile up with each round";
  const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(fw::win32::nativeWindow(label), WM_GETFONT, 0, 0));
  EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
}

}  // namespace
