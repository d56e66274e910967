#include "text.h"

#include <cstdint>

namespace korvansim {
namespace {

constexpr std::size_t kEscapeDigits = 4;

std::optional<unsigned> hexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return std::nullopt;
}

std::optional<wchar_t> codeUnit(std::wstring_view digits) {
  if (digits.size() != kEscapeDigits) return std::nullopt;
  unsigned value = 0;
  for (wchar_t c : digits) {
    const auto digit = hexValue(c);
    if (!digit) return std::nullopt;
    value = value * 16 + *digit;
  }
  return static_cast<wchar_t>(value);
}

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

Unescaped unescape(std::wstring_view argument) {
  Unescaped result;
  result.text.reserve(argument.size());
  for (std::size_t i = 0; i < argument.size(); ++i) {
    if (argument[i] != L'\\') {
      result.text += argument[i];
      continue;
    }
    const std::wstring_view rest = argument.substr(i + 1);
    if (rest.starts_with(L'\\')) {
      result.text += L'\\';
      i += 1;
    } else if (rest.starts_with(L'u')) {
      const auto unit = codeUnit(rest.substr(1, kEscapeDigits));
      if (!unit) return {std::move(result.text), i};
      result.text += *unit;
      i += 1 + kEscapeDigits;
    } else {
      return {std::move(result.text), i};
    }
  }
  return result;
}

std::string toUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto unit = static_cast<char32_t>(static_cast<std::uint16_t>(text[i]));
    if (isHighSurrogate(unit) && i + 1 < text.size()) {
      const auto next = static_cast<char32_t>(static_cast<std::uint16_t>(text[i + 1]));
      if (isLowSurrogate(next)) {
        appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        ++i;
        continue;
      }
    }
    appendUtf8(out, isHighSurrogate(unit) || isLowSurrogate(unit) ? U'\uFFFD' : unit);
  }
  return out;
}

}  // namespace korvansim
