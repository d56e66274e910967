// The blank the painting leaves between a box's lines and its text, at a density.
#pragma once

#include <algorithm>

#include "fw/scale.h"

namespace grid {

struct TTextInsets {
  int left = 0, top = 0, right = 0, bottom = 0;
  // The room a text needs besides its own extent in a box of the grid, whose first line is
  // shared with the neighbour before it (so one pixel of the box is not the box's own).
  int paddingX() const { return left + right - 1; }
  int paddingY() const { return top + bottom - 1; }
  friend bool operator==(const TTextInsets&, const TTextInsets&) = default;
};

// The sides follow the density, never below their design pixels (a thinner blank at a low
// density would let the letters touch the lines; the lines stay one pixel, crisp anywhere).
// Top and bottom keep their design pixels: a row is only as high as its fonts' letters and
// these blanks, so a blank that grew would clip the letters instead of lowering them.
constexpr TTextInsets scaledInsets(TTextInsets design, int dpi) {
  auto at = [dpi](int pixels) { return std::max(pixels, fw::scaleToDpi(pixels, dpi)); };
  return {at(design.left), design.top, at(design.right), design.bottom};
}

// Inside a cell's lines; inside a header, gutter or footer box, whose bevel takes a pixel on
// each side and its border one more at the right and bottom.
constexpr TTextInsets cellInsets(int dpi) { return scaledInsets({4, 2, 4, 2}, dpi); }
constexpr TTextInsets boxInsets(int dpi) { return scaledInsets({2, 2, 3, 3}, dpi); }

}  // namespace grid
