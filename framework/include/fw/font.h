#pragma once

#include <string>

#include "fw/color.h"

namespace fw {

inline constexpr int kDefaultCharset = 1;
inline constexpr int kAnsiCharset = 0;
inline constexpr int kTurkishCharset = 162;

// A font as the layouts describe it; height is the character height in pixels.
struct Font {
  std::string name = "MS Sans Serif";
  int height = 13;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int charset = kDefaultCharset;
  Color color = clWindowText;
  friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace fw
