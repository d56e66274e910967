// The start-up trace of the benchmark's build of the program: written only when
// ZELVORA_STARTUP_TRACE names a file, one line a step:
//   "ms since the process was created  ms since the previous mark  windows moves fonts  step"
// where windows, moves and fonts count, since the first mark, the windows the program's thread
// made, the times one was placed (SetWindowPos) and the times one was given a font: each is a
// round trip to the window system, and a layout that loads well costs one of each a control.
// Each step also goes to the debugger output.
#include <windows.h>

#include <cstdio>

#include "fw/startup_trace.h"

namespace fw::startup_trace {
namespace {

struct Counts {
  long windows = 0;
  long moves = 0;
  long fonts = 0;
};

Counts counts;

LRESULT CALLBACK countMessages(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    switch (reinterpret_cast<const CWPSTRUCT*>(lp)->message) {
      case WM_NCCREATE: ++counts.windows; break;
      case WM_WINDOWPOSCHANGING: ++counts.moves; break;
      case WM_SETFONT: ++counts.fonts; break;
      default: break;
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

struct Trace {
  std::FILE* file = nullptr;
  double created = 0;  // the process's creation, in ms of the system clock
  double previous = 0;
};

double fileTimeMs(const FILETIME& f) {
  return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4;
}

Trace& trace() {
  static Trace t = [] {
    Trace s;
    wchar_t path[MAX_PATH];
    if (GetEnvironmentVariableW(L"ZELVORA_STARTUP_TRACE", path, MAX_PATH) - 1 >= MAX_PATH - 1) return s;
    s.file = _wfopen(path, L"a");
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    s.created = fileTimeMs(created);
    s.previous = s.created;
    // Messages sent to the windows of this thread, counted for the life of the process.
    if (s.file) SetWindowsHookExW(WH_CALLWNDPROC, countMessages, nullptr, GetCurrentThreadId());
    return s;
  }();
  return t;
}

}  // namespace

void mark(const char* step) {
  Trace& t = trace();
  if (!t.file) return;
  FILETIME f;
  GetSystemTimeAsFileTime(&f);
  const double now = fileTimeMs(f);
  std::fprintf(t.file, "%8.1f %8.1f %4ld %4ld %4ld  %s\n", now - t.created, now - t.previous, counts.windows,
               counts.moves, counts.fonts, step);
  std::fflush(t.file);
  // And to the debugger output, so that a Wine log (WINEDEBUG=+server,+debugstr) shows where
  // each step falls among the window system's requests.
  OutputDebugStringA(step);
  t.previous = now;
}

}  // namespace fw::startup_trace
