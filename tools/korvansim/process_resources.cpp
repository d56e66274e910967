#include "process_resources.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace korvansim {
namespace {

// How many GDI objects and kernel handles this process holds where the system keeps no count
// (Wine answers 0). Both tables hand out their slots again: n new objects take the free slots
// first and then new ones at the top, so with n above the free slots the highest slot any of
// them gets, less n, is how many slots are in use. Live objects are then counted to within
// the few the system keeps for itself.
// create(i) makes probe i (null when the table is full); slot(object) is its slot number.
template <class Create, class Destroy, class Slot>
long long slotsInUse(int probes, Create create, Destroy destroy, Slot slot) {
  using Object = decltype(create(0));
  std::vector<Object> made;
  made.reserve(probes);
  UINT_PTR highest = 0;
  for (int i = 0; i < probes; ++i) {
    Object object = create(i);
    if (!object) break;
    made.push_back(object);
    highest = std::max<UINT_PTR>(highest, slot(object));
  }
  for (Object object : made) destroy(object);
  return static_cast<long long>(highest) - static_cast<long long>(made.size());
}

long long liveGdiObjects() {
  // A GDI handle's low 16 bits are its slot; counted from 1 so that slot 0 in use counts.
  return slotsInUse(
      4000, [](int i) { return CreateSolidBrush(RGB(i & 0xFF, 0, 0)); }, [](HBRUSH b) { DeleteObject(b); },
      [](HBRUSH b) { return (reinterpret_cast<UINT_PTR>(b) & 0xFFFF) + 1; });
}

long long liveHandles() {
  // Kernel handles are multiples of 4.
  return slotsInUse(
      2000, [](int) { return CreateEventW(nullptr, FALSE, FALSE, nullptr); }, [](HANDLE h) { CloseHandle(h); },
      [](HANDLE h) { return reinterpret_cast<UINT_PTR>(h) / 4; });
}

struct HeapFigures {
  long long busyBytes = 0;
  long long busyBlocks = 0;
};

// What the process's heaps hold in blocks still in use: unlike the working set, this does not
// move when a heap keeps freed pages for later, so it is what tells a leak.
HeapFigures heapsInUse() {
  HeapFigures figures;
  std::vector<HANDLE> heaps(64);
  DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (count > heaps.size()) {
    heaps.resize(count);
    count = GetProcessHeaps(count, heaps.data());
  }
  heaps.resize(std::min<size_t>(count, heaps.size()));
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
      if (!(entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)) continue;
      figures.busyBytes += entry.cbData;
      ++figures.busyBlocks;
    }
    HeapUnlock(heap);
  }
  return figures;
}

// Committed memory of the process's own (neither image nor mapped file), as the address space
// shows it.
long long committedPrivate() {
  long long total = 0;
  MEMORY_BASIC_INFORMATION info;
  const char* address = nullptr;
  while (VirtualQuery(address, &info, sizeof info) == sizeof info) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += static_cast<long long>(info.RegionSize);
    const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

}  // namespace

std::vector<std::wstring> processResources() {
  HANDLE self = GetCurrentProcess();
  const DWORD gdi = GetGuiResources(self, GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(self, GR_USEROBJECTS);
  DWORD handles = 0;
  GetProcessHandleCount(self, &handles);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(self, &memory, sizeof memory);
  const HeapFigures heap = heapsInUse();
  return {L"gdi " + std::to_wstring(gdi),
          L"gdiLive " + std::to_wstring(liveGdiObjects()),
          L"user " + std::to_wstring(user),
          L"handles " + std::to_wstring(handles),
          L"handlesLive " + std::to_wstring(liveHandles()),
          L"workingSet " + std::to_wstring(memory.WorkingSetSize),
          L"peakWorkingSet " + std::to_wstring(memory.PeakWorkingSetSize),
          L"committedPrivate " + std::to_wstring(committedPrivate()),
          L"heapInUse " + std::to_wstring(heap.busyBytes),
          L"heapBlocks " + std::to_wstring(heap.busyBlocks)};
}

}  // namespace korvansim
