#include "read_file.h"

#include <algorithm>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <fstream>
#endif

namespace testkit {

#ifdef _WIN32

std::string readFile(const std::filesystem::path& path, std::uint64_t offset, std::uint64_t limit) {
  std::string text;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
    char buffer[65536];
    DWORD n = 0;
    while (text.size() < limit) {
      const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(sizeof buffer, limit - text.size()));
      if (!ReadFile(file, buffer, want, &n, nullptr) || n == 0) break;
      text.append(buffer, n);
    }
  }
  CloseHandle(file);
  return text;
}

#else

std::string readFile(const std::filesystem::path& path, std::uint64_t offset, std::uint64_t limit) {
  std::string text;
  std::ifstream in(path, std::ios::binary);
  if (!in || !in.seekg(static_cast<std::streamoff>(offset))) return text;
  char buffer[65536];
  while (text.size() < limit && in) {
    in.read(buffer, static_cast<std::streamsize>(std::min<std::uint64_t>(sizeof buffer, limit - text.size())));
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  return text;
}

#endif

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

}  // namespace testkit
