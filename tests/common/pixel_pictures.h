// Pixel pictures both canvases must paint: the in-memory one natively and GDI under Wine. Each
// scene draws through fw::Canvas alone, so the two checks run the same calls against the same
// expected rows and cannot drift apart.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fw/canvas.h"
#include "fw/color.h"

namespace testkit::pictures {

inline constexpr fw::Color kRed = fw::rgb(255, 0, 0);
inline constexpr fw::Color kBlue = fw::rgb(0, 0, 255);

// The rows of a picture: '.' white (the background), 'R' red, 'B' blue, '?' anything else.
using Picture = std::vector<std::string>;

inline char letter(fw::Color c) { return c == fw::clWhite ? '.' : c == kRed ? 'R' : c == kBlue ? 'B' : '?'; }

struct Scene {
  int width, height;  // of a white surface
  std::function<void(fw::Canvas&)> draw;
  Picture expected;
};

// A rectangle outlined in red with a pen of the width and filled in blue.
inline std::function<void(fw::Canvas&)> outlined(int penWidth, fw::Rect r) {
  return [=](fw::Canvas& c) {
    c.setPen({kRed, penWidth});
    c.setBrush({kBlue});
    c.rectangle(r);
  };
}

// A 1-pixel pen outlines inside the rectangle, whose right and bottom edges are left out.
inline const Scene kRectangleOutline{7, 6, outlined(1, {1, 1, 6, 5}),
                                     {".......",  //
                                      ".RRRRR.",  //
                                      ".RBBBR.",  //
                                      ".RBBBR.",  //
                                      ".RRRRR.",  //
                                      "......."}};

// A grid's selection frame: 3 pixels centred on the outline, the outer corner pixels left out.
inline const Scene kWidePenOutline{10, 9, outlined(3, {2, 2, 8, 7}),
                                   {"..........",  //
                                    "..RRRRRR..",  //
                                    ".RRRRRRRR.",  //
                                    ".RRRRRRRR.",  //
                                    ".RRRBBRRR.",  //
                                    ".RRRRRRRR.",  //
                                    ".RRRRRRRR.",  //
                                    "..RRRRRR..",  //
                                    ".........."}};

// A fill leaves out its right and bottom edges, a line its last point; a clip with a hole
// keeps a fill out of the hole and is put back when its scope ends.
inline const Scene kFillsLinesAndClip{6, 4,
                                      [](fw::Canvas& c) {
                                        c.setBrush({kBlue});
                                        c.fillRect({0, 0, 2, 2});
                                        c.setPen({kRed, 1});
                                        c.moveTo({0, 3});
                                        c.lineTo({5, 3});
                                        fw::Region clip({3, 0, 6, 2});
                                        clip.subtract({4, 0, 5, 1});
                                        {
                                          fw::ScopedClip scoped(c, clip);
                                          EXPECT_EQ(c.clipBox(), (fw::Rect{3, 0, 6, 2}));
                                          c.fillRect({0, 0, 6, 4});
                                        }
                                        EXPECT_EQ(c.clipBox(), (fw::Rect{0, 0, 6, 4})) << "the scope put back no clip";
                                      },
                                      {"BB.B.B",  //
                                       "BB.BBB",  //
                                       "......",  //
                                       "RRRRR."}};

}  // namespace testkit::pictures
