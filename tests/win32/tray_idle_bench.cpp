// What the tray icon costs an idle program: the main window's icon keeps a 20 ms pointer-leave
// timer running for its whole life. Runs a window with the tray icon (or, with --no-tray, the
// same window without one) in a message loop for a while and prints the CPU time it used.
//
//   tray_idle_bench.exe [--seconds N] [--no-tray]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>

#include "fw/application.h"
#include "fw/form.h"
#include "tray_icon.h"

namespace {

double cpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& f) {
    return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  double seconds = 30;
  bool withTray = true;
  for (int i = 1; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--seconds") == 0 && i + 1 < argc) seconds = std::wcstod(argv[++i], nullptr);
    if (std::wcscmp(argv[i], L"--no-tray") == 0) withTray = false;
  }
  auto& app = fw::Application::instance();
  app.initialize();
  tray::registerTrayClasses();
  auto form = std::make_unique<fw::Form>(nullptr);
  if (withTray) {
    form->loadLayout("TrayTest.layout");
  }
  form->show();

  // Let start-up settle before measuring.
  const DWORD settleEnd = GetTickCount() + 2000;
  MSG msg;
  while (GetTickCount() < settleEnd) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

  const double cpuStart = cpuSeconds();
  const ULONGLONG wallStart = GetTickCount64();
  const ULONGLONG wallEnd = wallStart + static_cast<ULONGLONG>(seconds * 1000);
  unsigned long messages = 0;
  for (ULONGLONG now = wallStart; now < wallEnd; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wallEnd - now), QS_ALLINPUT);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ++messages;
      DispatchMessageW(&msg);
    }
  }
  const double cpu = cpuSeconds() - cpuStart;
  const double wall = static_cast<double>(GetTickCount64() - wallStart) / 1000.0;
  std::printf("%s: %.1f s idle, %.3f s CPU, %.2f %% of one core, %lu messages (%.1f per second)\n",
              withTray ? "with tray icon" : "without tray icon", wall, cpu, 100.0 * cpu / wall, messages,
              static_cast<double>(messages) / wall);
  form.reset();
  return 0;
}
