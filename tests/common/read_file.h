// Reading a whole file (or a piece of it) in the tests, on either platform.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testkit {

// The bytes of the file from `offset`, at most `limit` of them; empty when it cannot be opened.
// On Windows the file is opened sharing read, write and delete, so a file another process is
// still writing (the simulator's journal, the sound capture) can be read as it stands.
std::string readFile(const std::filesystem::path& path, std::uint64_t offset = 0,
                     std::uint64_t limit = UINT64_MAX);

// The lines of a text, without their line ends ("\n" or "\r\n").
std::vector<std::string> lines(const std::string& text);

}  // namespace testkit
