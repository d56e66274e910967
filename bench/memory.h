// What another process holds in memory, as Windows (and Wine) report it from outside.
#pragma once

#include <windows.h>

#include <cstdio>

namespace bench {

struct MemoryFigures {
  bool ok = false;
  double workingSetMb = 0;
  double peakWorkingSetMb = 0;
  double privateMb = 0;  // Wine answers 0 for another process
};

MemoryFigures readMemory(HANDLE process);

// The process's address space by kind of region (committed image, mapped file, private), and
// each mapped image with its committed size; for finding where a working set goes.
void printAddressSpace(HANDLE process, std::FILE* out);

}  // namespace bench
