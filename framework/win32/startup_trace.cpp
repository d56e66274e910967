#include "fw/startup_trace.h"

#include <windows.h>

#include <cstdio>

namespace fw::startup_trace {
namespace {

struct Trace {
  std::FILE* file = nullptr;
  double created = 0;  // the process's creation, in ms of the system clock
  double previous = 0;
};

double systemMs() {
  FILETIME f;
  GetSystemTimeAsFileTime(&f);
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
    s.created =
        static_cast<double>((static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime) / 1e4;
    s.previous = s.created;
    return s;
  }();
  return t;
}

}  // namespace

void mark(const char* step) {
  Trace& t = trace();
  if (!t.file) return;
  const double now = systemMs();
  std::fprintf(t.file, "%8.1f %8.1f  %s\n", now - t.created, now - t.previous, step);
  std::fflush(t.file);
  t.previous = now;
}

}  // namespace fw::startup_trace
