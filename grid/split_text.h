// Text split at a separator character: header titles ('|' between header lines, ';' between
// the lines of one box). Used by the layout and the painting alike.
#pragma once

#include <string>
#include <vector>

namespace grid {

// Every part, empty ones included: n separators give n + 1 parts.
inline std::vector<std::string> splitAt(const std::string& text, char at) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(at, start);
    if (end == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace grid
