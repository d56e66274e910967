#include "fw/text.h"

#include <array>
#include <cstdint>

namespace fw {
namespace {

// Bytes 0x80-0x9F; unassigned ones carry their own value (C1 controls).
constexpr std::array<char16_t, 32> kHigh80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178};

constexpr char16_t byteToUnit(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kHigh80[b - 0x80];
  switch (b) {
    case 0xD0: return 0x011E;  // Ğ
    case 0xDD: return 0x0130;  // İ
    case 0xDE: return 0x015E;  // Ş
    case 0xF0: return 0x011F;  // ğ
    case 0xFD: return 0x0131;  // ı
    case 0xFE: return 0x015F;  // ş
    default: return b;
  }
}

constexpr std::array<char16_t, 256> kToUnicode = [] {
  std::array<char16_t, 256> t{};
  for (int b = 0; b < 256; ++b) t[b] = byteToUnit(static_cast<unsigned char>(b));
  return t;
}();

char unitToByte(char32_t u) {
  if (u < 0x80) return static_cast<char>(u);
  if (u <= 0xFF && kToUnicode[u] == u) return static_cast<char>(u);
  for (int b = 0x80; b <= 0x9F; ++b)
    if (kToUnicode[b] == u) return static_cast<char>(b);
  for (int b : {0xD0, 0xDD, 0xDE, 0xF0, 0xFD, 0xFE})
    if (kToUnicode[b] == u) return static_cast<char>(b);
  return '?';
}

// Decodes one UTF-8 sequence at s[i]; a malformed one yields U+FFFD and consumes one byte.
char32_t decodeUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
  if (len == 1) { ++i; return b0; }
  if (len == 0 || i + len > s.size()) { ++i; return 0xFFFD; }
  char32_t cp = b0 & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) { ++i; return 0xFFFD; }
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  i += len;
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
  return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string fromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDFFF) {
      // A valid pair is one character outside the code page; a lone half is one bad unit.
      if (u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
      out += '?';
    } else {
      out += unitToByte(u);
    }
  }
  return out;
}

std::u16string toUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out += kToUnicode[static_cast<unsigned char>(c)];
  return out;
}

std::string fromUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) out += unitToByte(decodeUtf8(text, i));
  return out;
}

std::string toUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char c : text) appendUtf8(out, kToUnicode[static_cast<unsigned char>(c)]);
  return out;
}

}  // namespace fw
