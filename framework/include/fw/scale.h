// Layouts are drawn at 114 pixels per inch; forms scale them to the screen's density.
#pragma once

namespace fw {

inline constexpr int kDesignDpi = 114;

// value * dpi / 114, rounded half away from zero (as the platform's MulDiv).
constexpr int scaleToDpi(int value, int dpi) {
  const long long num = static_cast<long long>(value) * dpi;
  const long long half = kDesignDpi / 2;
  const long long q = num >= 0 ? (num + half) / kDesignDpi : -((-num + half) / kDesignDpi);
  return static_cast<int>(q);
}

}  // namespace fw
