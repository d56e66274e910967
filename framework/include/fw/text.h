// Program text is 8-bit Windows-1254 (Turkish). These conversions are the only way text
// crosses to UTF-16 or UTF-8, with the code page fixed, never the system's.
#pragma once

#include <string>
#include <string_view>

namespace fw {

// UTF-16 -> Windows-1254. Characters the code page cannot hold, lone surrogates included,
// become '?'. Embedded zeros are kept.
std::string fromUtf16(std::u16string_view text);
// Windows-1254 -> UTF-16. The unassigned bytes map to the C1 control of the same value, as
// Windows maps them, so every byte survives the round trip.
std::u16string toUtf16(std::string_view text);

// UTF-8 -> Windows-1254, for source literals and the UTF-8 layout files. Malformed UTF-8 and
// characters outside the code page become '?'.
std::string fromUtf8(std::string_view text);
std::string toUtf8(std::string_view text);

// Source literals are written in UTF-8: ansi(u8"Çağrı") is the program's 8-bit text.
inline std::string ansi(std::u8string_view literal) {
  return fromUtf8({reinterpret_cast<const char*>(literal.data()), literal.size()});
}

}  // namespace fw
