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

namespace {

constexpr fw::Color kRed = fw::rgb(255, 0, 0);
constexpr fw::Color kBlue = fw::rgb(0, 0, 255);

// A white 32-bit bitmap in a memory DC.
class Bitmap {
 public:
  Bitmap(int w, int h) : w_(w), h_(h), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_.reset(CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
    old_ = SelectObject(dc_, bitmap_.get());
    for (int i = 0; i < w * h; ++i) bits_[i] = 0xFFFFFF;
  }
  ~Bitmap() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  std::vector<std::string> picture() const {
    GdiFlush();
    std::vector<std::string> rows;
    for (int y = 0; y < h_; ++y) {
      std::string row;
      for (int x = 0; x < w_; ++x) {
        const DWORD p = bits_[y * w_ + x] & 0xFFFFFF;  // 0x00RRGGBB in a DIB
        row += p == 0xFFFFFF ? '.' : p == 0xFF0000 ? 'R' : p == 0x0000FF ? 'B' : '?';
      }
      rows.push_back(row);
    }
    return rows;
  }

 private:
  int w_, h_;
  HDC dc_;
  fw::win32::GdiObject<HBITMAP> bitmap_;
  HGDIOBJ old_;
  DWORD* bits_ = nullptr;
};

TEST(GdiCanvas, RectangleOutlinesInsideAndLeavesOutRightAndBottom) {
  Bitmap b(7, 6);
  {
    fw::win32::GdiCanvas c(b.dc());
    c.setPen({kRed, 1});
    c.setBrush({kBlue});
    c.rectangle({1, 1, 6, 5});
  }
  EXPECT_EQ(b.picture(), (std::vector<std::string>{".......", ".RRRRR.", ".RBBBR.", ".RBBBR.", ".RRRRR.", "......."}));
}

TEST(GdiCanvas, AWidePenIsCentredOnTheOutlineWithRoundCorners) {
  Bitmap b(10, 9);
  {
    fw::win32::GdiCanvas c(b.dc());
    c.setPen({kRed, 3});
    c.setBrush({kBlue});
    c.rectangle({2, 2, 8, 7});
  }
  EXPECT_EQ(b.picture(), (std::vector<std::string>{"..........",  //
                                   "..RRRRRR..",  //
                                   ".RRRRRRRR.",  //
                                   ".RRRRRRRR.",  //
                                   ".RRRBBRRR.",  //
                                   ".RRRRRRRR.",  //
                                   ".RRRRRRRR.",  //
                                   "..RRRRRR..",  //
                                   ".........."}));
}

TEST(GdiCanvas, FillsLinesAndClipsFollowThePlatformRules) {
  Bitmap b(6, 4);
  {
    fw::win32::GdiCanvas c(b.dc());
    c.setBrush({kBlue});
    c.fillRect({0, 0, 2, 2});
    c.setPen({kRed, 1});
    c.moveTo({0, 3});
    c.lineTo({5, 3});
    fw::Region clip({3, 0, 6, 2});
    clip.subtract({4, 0, 5, 1});
    fw::ScopedClip scoped(c, clip);
    EXPECT_EQ(c.clipBox(), (fw::Rect{3, 0, 6, 2}));
    c.fillRect({0, 0, 6, 4});
  }
  EXPECT_EQ(b.picture(), (std::vector<std::string>{"BB.B.B", "BB.BBB", "......", "RRRRR."}));
}

TEST(GdiHandles, ScopedStatePutsBackWhatWasSelected) {
  Bitmap b(4, 4);
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
