// Prints what a running process holds in memory: working set, private bytes and its address
// space by kind of region and image.
//
//   memory_reader.exe PID
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "memory.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: memory_reader PID\n");
    return 2;
  }
  const DWORD pid = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) {
    std::fprintf(stderr, "process %lu cannot be opened (error %lu)\n", pid, GetLastError());
    return 1;
  }
  const bench::MemoryFigures m = bench::readMemory(process);
  std::printf("working set %.1f MB (peak %.1f MB), private %.1f MB\n", m.workingSetMb, m.peakWorkingSetMb, m.privateMb);
  bench::printAddressSpace(process, stdout);
  CloseHandle(process);
  return m.ok ? 0 : 1;
}
