// density_shot NAME: starts the program on this prefix's screen density, lists three calls
// (the demonstration's own stopped), and saves the main window as out/NAME.bmp. Run by
// scripts/density-shots at 96, 144 and 192 dpi, so a person can look at the windows there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "harness.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: density_shot NAME\n", stderr);
    return 2;
  }
  if (!harness::registerSimulator()) {
    std::fputs("density_shot: the simulated device control could not be registered\n", stderr);
    return 1;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  harness::Program program;
  HWND main = program.mainWindow();
  if (!main) return 1;
  const std::wstring pid = L"--pid " + std::to_wstring(program.pid()) + L" ";
  auto sim = [&](const std::wstring& arguments) { return harness::runSimulatorTool(pid + arguments).exitCode == 0; };
  auto text = [&](const wchar_t* name) { return harness::windowText(program.control(name)); };
  bool ok = harness::waitFor([&] { return text(L"Label9") == harness::kConnected; }) && sim(L"demo off") &&
            sim(L"levels 12 20 5 28") && sim(L"call 1 05324172891 \"10.12.2026 11:56:05\"") &&
            sim(L"call 2 02164445566 \"10.12.2026 11:57:41\"") &&
            sim(L"call 4 08502223344 \"10.12.2026 12:03:09\" KV4-0193527 \"\u00d6zel hat\"");
  // The demonstration may have listed a call before it was stopped: the counter says how many.
  const std::wstring counter = text(L"Label5");
  ok = ok && harness::waitFor([&] { return text(L"Label5") == counter && !counter.empty(); });
  harness::waitFor([] { return false; }, std::chrono::milliseconds(500));  // the balloon and the paint settle
  ok = ok && harness::screenshot(main, argv[1]);
  if (const char* probe = std::getenv("ZELVORA_SHOT_PROBE")) {
    HWND c = program.control(std::wstring(probe, probe + std::strlen(probe)));
    RECT r{};
    if (c) GetWindowRect(c, &r);
    HFONT f = c ? reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)) : nullptr;
    LOGFONTW lf{};
    if (f) GetObjectW(f, sizeof lf, &lf);
    std::printf("density_shot: %s %ld x %ld, font %ls %ld\n", probe, r.right - r.left, r.bottom - r.top, lf.lfFaceName, lf.lfHeight);
  }
  std::printf("density_shot: %ls at %d dpi, %ls calls: %s\n", argv[1], dpi, counter.c_str(), ok ? "saved" : "failed");
  PostMessageW(main, WM_CLOSE, 0, 0);
  program.waitForExit();
  return ok ? 0 : 1;
}
