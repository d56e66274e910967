// Text conversions of the command-line tool: its argument escapes and its UTF-8 output.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvansim {

struct Unescaped {
  std::wstring text;
  std::optional<std::size_t> errorAt;  // index of the backslash that starts a bad escape
};

// "\uXXXX" (exactly four hex digits) is that UTF-16 code unit, lone surrogates included, so
// that a test can hand the program text no keyboard produces; "\\" is one backslash. Any other
// backslash is an error rather than a literal, so that a mistyped escape is not sent as text.
Unescaped unescape(std::wstring_view argument);

// Lone surrogates become U+FFFD: the output must stay valid UTF-8 whatever the text holds.
std::string toUtf8(std::wstring_view text);

}  // namespace korvansim
