// Layouts are drawn at 114 pixels per inch; forms scale them to the screen's density, and scale
// them again when their window moves to a screen of another density.
#pragma once

#include <climits>

namespace fw {

inline constexpr int kDesignDpi = 114;

// value * dpi / 114, rounded half away from zero (as the platform's MulDiv).
constexpr int scaleToDpi(int value, int dpi) {
  const long long num = static_cast<long long>(value) * dpi;
  const long long half = kDesignDpi / 2;
  const long long q = num >= 0 ? (num + half) / kDesignDpi : -((-num + half) / kDesignDpi);
  return static_cast<int>(q);
}

// value * to / from, rounded as scaleToDpi.
constexpr int mulDiv(int value, int to, int from) {
  const long long num = static_cast<long long>(value) * to;
  const long long half = from / 2;
  const long long q = num >= 0 ? (num + half) / from : -((-num + half) / from);
  return static_cast<int>(q);
}

// No design value is known for a pixel value (it was computed, or set by the program).
inline constexpr int kNoDesign = INT_MIN;

// A pixel value at `newDpi`. A value that is still its layout's design value at `oldDpi` is
// scaled from the design value, so that a window that moves between densities ends as the
// layout read at that density would be, and comes back exactly; anything else (set by the
// program, or by the user) keeps its proportion.
constexpr int rescale(int pixels, int design, int oldDpi, int newDpi) {
  if (oldDpi == newDpi) return pixels;
  if (design != kNoDesign && scaleToDpi(design, oldDpi) == pixels) return scaleToDpi(design, newDpi);
  return mulDiv(pixels, newDpi, oldDpi);
}

}  // namespace fw
