// What a burst of calls costs the running program: 1,000 calls raised back to back by the
// simulated control, then how long the window takes to answer again and what handles it kept.
// Prints figures; run it under Wine: calls_bench [--calls N] [quiet|tones]...
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "harness.h"

namespace {

int burstCalls = 1000;  // --calls N: a shorter burst, for a quick run of the benchmark

// The system's handle table (SystemHandleInformation), for Wine, whose GetProcessHandleCount
// answers 0.
struct HandleEntry {
  ULONG ownerPid;
  UCHAR objectType;
  UCHAR flags;
  USHORT value;
  PVOID object;
  ACCESS_MASK access;
};
struct HandleTable {
  ULONG count;
  HandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

DWORD handlesInTable(DWORD pid) {
  auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  std::vector<char> buffer(1 << 20);
  for (int attempt = 0; attempt < 6; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(16 /* SystemHandleInformation */, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
      DWORD count = 0;
      for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].ownerPid == pid;
      return count;
    }
    buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
  }
  return 0;
}

DWORD handleCount(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  DWORD count = 0;
  if (process) {
    GetProcessHandleCount(process, &count);
    CloseHandle(process);
  }
  return count ? count : handlesInTable(pid);
}

// How much sound has been written so far, when the output is captured to a file; -1 if not.
long long captured() {
  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZELVORA_TONE_CAPTURE", path, MAX_PATH) == 0) return -1;
  std::wstring file = path;
  if (!file.empty() && file[0] == L'/') file = L"Z:" + file;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

double msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool run(bool tones) {
  harness::Program program;
  HWND main = program.mainWindow();
  if (!main) return false;
  const std::wstring pid = L"--pid " + std::to_wstring(program.pid()) + L" ";
  harness::waitFor([&] { return !harness::windowText(program.control(L"Label24")).empty(); });
  if (harness::runSimulatorTool(pid + L"demo off").exitCode != 0) return false;
  HWND bip = program.control(L"BipBox");
  const bool checked = SendMessageW(bip, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (checked != tones) SendMessageW(bip, BM_CLICK, 0, 0);
  // One call first: what the first call sets up for good (the sound output, the balloon) is
  // not what the burst leaves behind.
  if (harness::runSimulatorTool(pid + L"call 1 0").exitCode != 0) return false;
  const int expected = burstCalls + 1;
  harness::waitFor([] { return false; }, std::chrono::seconds(2));  // settled
  const DWORD handlesBefore = handleCount(program.pid());
  const long long soundBefore = captured();

  const auto start = std::chrono::steady_clock::now();
  const auto burst = harness::runSimulatorTool(pid + L"calls " + std::to_wstring(burstCalls) + L" 1 0532");
  if (burst.exitCode != 0) {
    std::printf("the burst was refused: %s\n", burst.output.c_str());
    return false;
  }
  const double queued = msSince(start);
  // The control raises the queued calls in one go; the last one shows in the counter.
  const bool allHandled = harness::waitFor(
      [&] { return harness::windowText(program.control(L"Label5")) == std::to_wstring(expected); },
      std::chrono::seconds(120));
  const double handledMs = msSince(start);
  const auto sent = std::chrono::steady_clock::now();
  DWORD_PTR result = 0;
  const bool answered =
      SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result) != 0;
  const double answerMs = msSince(sent);
  const std::wstring counter = harness::windowText(program.control(L"Label5"));
  // The tones still playing, the balloon's timers: let them end before counting handles.
  harness::waitFor([] { return false; }, std::chrono::seconds(3));
  const DWORD handlesAfter = handleCount(program.pid());
  harness::waitFor([] { return false; }, std::chrono::seconds(7));
  const DWORD handlesLater = handleCount(program.pid());

  std::printf("%s: %d calls; korvansim returned after %.0f ms; all handled after %.0f ms (%s), "
              "%.2f ms a call; then the window answered WM_NULL in %.1f ms (%s)\n",
              tones ? "with tones" : "quiet", burstCalls, queued, handledMs, allHandled ? "ok" : "NOT ALL",
              handledMs / burstCalls, answerMs, answered ? "ok" : "TIMED OUT");
  std::printf("  counter (Label5, one call before the burst): %s\n", harness::utf8(counter).c_str());
  std::printf("  handles: %lu before, %lu 3 s after (%+ld), %lu 10 s after (%+ld)\n", handlesBefore, handlesAfter,
              static_cast<long>(handlesAfter) - static_cast<long>(handlesBefore), handlesLater,
              static_cast<long>(handlesLater) - static_cast<long>(handlesBefore));
  PostMessageW(main, WM_CLOSE, 0, 0);
  program.waitForExit();
  if (soundBefore >= 0) {
    std::printf("  tones played during the burst: %lld\n", (captured() - soundBefore) / (2205 * 4));
  }
  return answered && counter == std::to_wstring(expected);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (!harness::registerSimulator()) {
    std::printf("korvansim.dll could not be registered\n");
    return 1;
  }
  bool ok = true;
  int first = 1;
  if (argc > 2 && std::wstring(argv[1]) == L"--calls") {
    burstCalls = std::max(1, _wtoi(argv[2]));
    first = 3;
  }
  if (argc <= first) return run(false) ? 0 : 1;
  for (int i = first; i < argc; ++i) ok = run(std::wstring(argv[i]) == L"tones") && ok;
  return ok ? 0 : 1;
}
