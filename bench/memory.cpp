#include "memory.h"

#include <psapi.h>

#include <map>
#include <string>

namespace bench {

MemoryFigures readMemory(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  MemoryFigures f;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)))
    return f;
  constexpr double kMb = 1024.0 * 1024.0;
  f.ok = true;
  f.workingSetMb = static_cast<double>(counters.WorkingSetSize) / kMb;
  f.peakWorkingSetMb = static_cast<double>(counters.PeakWorkingSetSize) / kMb;
  f.privateMb = static_cast<double>(counters.PrivateUsage) / kMb;
  return f;
}

void printAddressSpace(HANDLE process, std::FILE* out) {
  std::map<std::wstring, SIZE_T> images;  // by file name
  SIZE_T byType[3] = {};                   // image, mapped, private
  MEMORY_BASIC_INFORMATION info;
  const char* address = nullptr;
  while (VirtualQueryEx(process, address, &info, sizeof(info)) == sizeof(info)) {
    if (info.State == MEM_COMMIT) {
      const int type = info.Type == MEM_IMAGE ? 0 : info.Type == MEM_MAPPED ? 1 : 2;
      byType[type] += info.RegionSize;
      if (info.Type == MEM_PRIVATE && info.RegionSize >= (1u << 20))
        std::fprintf(out, "  private region at %p: %.0f KB\n", info.BaseAddress, info.RegionSize / 1024.0);
      if (info.Type == MEM_IMAGE) {
        wchar_t name[MAX_PATH] = L"?";
        GetMappedFileNameW(process, info.BaseAddress, name, MAX_PATH);
        std::wstring file = name;
        const size_t slash = file.find_last_of(L"\\/");
        if (slash != std::wstring::npos) file = file.substr(slash + 1);
        images[file] += info.RegionSize;
      }
    }
    const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    if (next <= address) break;
    address = next;
  }
  constexpr double kKb = 1024.0;
  std::fprintf(out, "committed: images %.0f KB, mapped files %.0f KB, private %.0f KB\n", byType[0] / kKb,
               byType[1] / kKb, byType[2] / kKb);
  for (const auto& [file, size] : images) std::fprintf(out, "  image %-28ls %8.0f KB\n", file.c_str(), size / kKb);
}

}  // namespace bench
