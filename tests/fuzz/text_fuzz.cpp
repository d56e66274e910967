// The code-page conversions and the device-string conversion, for any code units and bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "device_text.h"
#include "fw/text.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

bool isSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDFFF; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));

  // Every byte survives a trip to UTF-16 and back, and to UTF-8 and back.
  if (fw::fromUtf16(fw::toUtf16(bytes)) != bytes) fail("bytes -> UTF-16 -> bytes");
  if (fw::toUtf16(bytes).size() != bytes.size()) fail("one unit per byte");
  if (fw::fromUtf8(fw::toUtf8(bytes)) != bytes) fail("bytes -> UTF-8 -> bytes");
  fw::fromUtf8(bytes);  // any bytes as UTF-8: no crash

  // UTF-16 -> code page: one byte for each unit, or one '?' for a surrogate pair; a byte that
  // is not '?' stands for exactly the unit it came from.
  const std::string narrow = fw::fromUtf16(units);
  const std::u16string back = fw::toUtf16(narrow);
  std::size_t j = 0;
  for (std::size_t i = 0; i < units.size(); ++i, ++j) {
    if (j >= back.size()) fail("too few bytes");
    const bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                      units[i + 1] <= 0xDFFF;
    if (pair) {
      ++i;
      if (back[j] != u'?') fail("a surrogate pair is not one '?'");
    } else if (back[j] != units[i] && back[j] != u'?') {
      fail("a unit became another character");
    } else if (isSurrogate(units[i]) && back[j] != u'?') {
      fail("a lone surrogate is not '?'");
    }
  }
  if (j != back.size()) fail("too many bytes");

  // Device strings: the same bytes, but never a control character.
  const std::string device = deviceText(units);
  if (device.size() != narrow.size()) fail("device text length");
  for (std::size_t i = 0; i < device.size(); ++i) {
    const auto b = static_cast<unsigned char>(device[i]);
    if (b < 0x20 || b == 0x7F) fail("a control character in a device text");
    const auto n = static_cast<unsigned char>(narrow[i]);
    if (b != n && !(b == '?' && (n < 0x20 || n == 0x7F))) fail("device text changed a printable byte");
  }
  return 0;
}
