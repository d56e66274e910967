#include "device_text.h"

#include "fw/text.h"

std::string deviceText(std::u16string_view text) {
  std::string out = fw::fromUtf16(text);
  for (char& c : out) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) c = '?';
  }
  return out;
}
