// Measures a program's start from inside Wine, the way Windows users feel it: CreateProcess,
// then the time until a top-level window of the new process is visible, then until the
// process is idle (WaitForInputIdle) and that window answers a message; then the working set
// a few seconds after the start. Programs are measured in turns, run by run, so that load from
// elsewhere on the machine falls on all of them alike.
//
//   startup_driver.exe [--runs N] [--settle-ms MS] [--guide NAME] NAME=PATH...
//
// Prints one line a run: "run NAME INDEX startup_ms visible_ms working_set_mb calls" (calls: those
// the program showed by then, -1 for the reference programs). With --guide, the
// program NAME (Zelvora.exe) also opens its guide window after the working-set reading, closes
// it, and prints "guide NAME INDEX before_mb shown_mb closed_1s_mb closed_3s_mb".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "memory.h"

namespace {

struct Target {
  std::wstring name;
  std::wstring path;
};

double now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Search {
  DWORD pid;
  HWND exclude;
  HWND found;
};

BOOL CALLBACK visibleWindowOf(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || hwnd == s->exclude || !IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

// A visible top-level window of the process other than `exclude`, polled until the time is up.
HWND waitForVisibleWindow(DWORD pid, HANDLE process, HWND exclude, double limitMs) {
  const double end = now() + limitMs;
  while (now() < end) {
    Search s{pid, exclude, nullptr};
    EnumWindows(visibleWindowOf, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    if (WaitForSingleObject(process, 1) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

// How many calls the program has shown (its Label5), or -1 for a program without that label:
// the simulated device raises its first demonstration call about two seconds after it starts
// monitoring, and a call (balloon, clipboard, the tone's sound output) costs memory that
// start-up does not.
struct LabelSearch {
  const wchar_t* name;
  HWND found;
};

BOOL CALLBACK namedChild(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<LabelSearch*>(lp);
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"Zelvora.Name")));
  wchar_t name[64];
  if (!atom || !GlobalGetAtomNameW(atom, name, 64) || std::wcscmp(name, s->name) != 0) return TRUE;
  s->found = hwnd;
  return FALSE;
}

int callsShown(HWND main) {
  LabelSearch s{L"Label5", nullptr};
  EnumChildWindows(main, namedChild, reinterpret_cast<LPARAM>(&s));
  if (!s.found) return -1;
  wchar_t text[32] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(s.found, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &copied);
  return _wtoi(text);
}

void sleepUntil(double t) {
  const double left = t - now();
  if (left > 0) Sleep(static_cast<DWORD>(left));
}

// The guide window, opened as the main window's menu opens it, then closed: where its
// picture's memory goes.
void measureGuide(const Target& t, int index, HANDLE process, DWORD pid, HWND main, double beforeMb) {
  constexpr UINT kGuideItem = 1000;  // the first item of the main window's menu bar
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kGuideItem, 0), 0);
  HWND guide = waitForVisibleWindow(pid, process, main, 10000);
  if (!guide) {
    std::printf("guide %ls %d failed\n", t.name.c_str(), index);
    return;
  }
  DWORD_PTR result;
  SendMessageTimeoutW(guide, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);  // shown and painted
  Sleep(1000);
  const double shown = bench::readMemory(process).workingSetMb;
  PostMessageW(guide, WM_CLOSE, 0, 0);
  const double closed = now();
  for (double end = closed + 5000; IsWindowVisible(guide) && now() < end;) Sleep(5);
  sleepUntil(closed + 1000);
  const double after1 = bench::readMemory(process).workingSetMb;
  sleepUntil(closed + 3000);
  const double after3 = bench::readMemory(process).workingSetMb;
  if (index == 0 && std::getenv("ZELVORA_BENCH_ADDRESS_SPACE")) {
    std::printf("# %ls after its guide window was closed:\n", t.name.c_str());
    bench::printAddressSpace(process, stdout);
  }
  std::printf("guide %ls %d %.2f %.2f %.2f %.2f\n", t.name.c_str(), index, beforeMb, shown, after1, after3);
}

bool measure(const Target& t, int index, double settleMs, bool guide) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring commandLine = L"\"" + t.path + L"\"";
  std::wstring dir = t.path.substr(0, t.path.find_last_of(L"\\/") + 1);
  const double start = now();
  if (!CreateProcessW(t.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
    std::printf("run %ls %d failed to start (error %lu)\n", t.name.c_str(), index, GetLastError());
    return false;
  }
  bool ok = false;
  HWND window = waitForVisibleWindow(pi.dwProcessId, pi.hProcess, nullptr, 30000);
  const double visible = now() - start;
  if (window) {
    WaitForInputIdle(pi.hProcess, 30000);
    DWORD_PTR result;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
    const double startup = now() - start;
    sleepUntil(start + settleMs);
    const bench::MemoryFigures m = bench::readMemory(pi.hProcess);
    std::printf("run %ls %d %.1f %.1f %.2f %d\n", t.name.c_str(), index, startup, visible, m.workingSetMb,
                callsShown(window));
    std::fflush(stdout);
    if (guide) measureGuide(t, index, pi.hProcess, pi.dwProcessId, window, m.workingSetMb);
    if (index == 0 && std::getenv("ZELVORA_BENCH_ADDRESS_SPACE")) {
      std::printf("# %ls:\n", t.name.c_str());
      bench::printAddressSpace(pi.hProcess, stdout);
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    ok = true;
  } else {
    std::printf("run %ls %d no visible window\n", t.name.c_str(), index);
  }
  if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::fflush(stdout);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 5;
  double settleMs = 3000;
  std::wstring guideOf;
  std::vector<Target> targets;
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--runs" && i + 1 < argc) {
      runs = _wtoi(argv[++i]);
    } else if (a == L"--settle-ms" && i + 1 < argc) {
      settleMs = _wtof(argv[++i]);
    } else if (a == L"--guide" && i + 1 < argc) {
      guideOf = argv[++i];
    } else if (const size_t eq = a.find(L'='); eq != std::wstring::npos) {
      targets.push_back({a.substr(0, eq), a.substr(eq + 1)});
    } else {
      std::fprintf(stderr, "usage: startup_driver [--runs N] [--settle-ms MS] [--guide NAME] NAME=PATH...\n");
      return 2;
    }
  }
  bool ok = true;
  // One start of each first, not counted: the first start after others pays for loading files
  // that later starts find in the cache.
  for (const Target& t : targets) ok = measure(t, -1, 0, false) && ok;
  for (int run = 0; run < runs; ++run)
    for (const Target& t : targets) ok = measure(t, run, settleMs, t.name == guideOf) && ok;
  return ok ? 0 : 1;
}
