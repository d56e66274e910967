// Colours: 0x00BBGGRR for an RGB colour, or 0xFF000000 plus a system colour index,
// resolved when painting.
#pragma once

#include <cstdint>

namespace fw {

using Color = std::uint32_t;

inline constexpr Color kSystemColorFlag = 0xFF000000;

inline constexpr Color clScrollBar = 0xFF000000;
inline constexpr Color clWindow = 0xFF000005;
inline constexpr Color clWindowText = 0xFF000008;
inline constexpr Color clHighlight = 0xFF00000D;
inline constexpr Color clHighlightText = 0xFF00000E;
inline constexpr Color clBtnFace = 0xFF00000F;
inline constexpr Color clBtnShadow = 0xFF000010;
inline constexpr Color clGrayText = 0xFF000011;
inline constexpr Color clBtnText = 0xFF000012;
inline constexpr Color clBtnHighlight = 0xFF000014;
inline constexpr Color cl3DDkShadow = 0xFF000015;
inline constexpr Color clHotLight = 0xFF00001A;
inline constexpr Color clBlack = 0x00000000;
inline constexpr Color clWhite = 0x00FFFFFF;
inline constexpr Color clRed = 0x000000FF;
inline constexpr Color clDefault = 0x20000000;

constexpr Color rgb(int r, int g, int b) {
  return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}
constexpr bool isSystemColor(Color c) { return (c & kSystemColorFlag) == kSystemColorFlag; }
constexpr int systemColorIndex(Color c) { return static_cast<int>(c & 0xFF); }

// The RGB value of a colour; system colours ask the backend.
Color resolveColor(Color c);

}  // namespace fw
