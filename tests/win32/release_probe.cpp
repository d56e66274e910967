// The release check's hands inside Wine (tests/release/check): runs an installed or unpacked
// copy of the program and reads back what it shows, and holds it open while an uninstaller
// is tried. Prints what it finds; the exit code says whether it was what the check expects.
//
//   release_probe run EXE [KORVANSIM_EXE]
//       EXE opens its main window and closes cleanly; with KORVANSIM_EXE the device shows as
//       connected and a simulated call reaches the counter and the clipboard.
//   release_probe read-only DIR      DIR cannot be written to
//   release_probe refuse EXE UNINSTALLER
//       with EXE running, the silent uninstaller gives up, exit code 2, and EXE stays.
//   release_probe started EXE
//       EXE was started by someone else (the logon): its main window appears, the simulator's
//       demonstration call reaches its counter, and it closes cleanly.
#include <windows.h>

#include <cstdio>
#include <string>

#include "fw/win32/handles.h"
#include "harness.h"

namespace {

const std::wstring kConnected = L"Ba\u011flant\u0131 tamam  Hemen aray\u0131n";

int fail(const std::string& what) {
  std::fprintf(stderr, "release_probe: %s\n", what.c_str());
  return 1;
}

std::wstring folderOf(const std::wstring& file) { return file.substr(0, file.find_last_of(L'\\')); }

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int close(harness::Program& program) {
  PostMessageW(program.mainWindow(), WM_CLOSE, 0, 0);
  const DWORD code = program.waitForExit();
  return code == 0 ? 0 : fail("the program ended with " + std::to_string(code));
}

int run(const std::wstring& exe, const std::wstring& tool) {
  harness::Program program(exe);
  if (!program.pid()) return fail("could not start " + harness::utf8(exe));
  if (!program.mainWindow()) return fail("no main window from " + harness::utf8(exe));
  auto text = [&](const wchar_t* name) { return harness::windowText(program.control(name)); };
  if (!tool.empty()) {
    if (!harness::waitFor([&] { return text(L"Label9") == kConnected; }))
      return fail("the device does not show as connected: " + harness::utf8(text(L"Label9")));
    const std::wstring pid = L"--pid " + std::to_wstring(program.pid()) + L" ";
    const auto stop = harness::runSimulatorTool(pid + L"demo off", tool);
    if (stop.exitCode != 0) return fail("korvansim demo off: " + stop.output);
    // The demonstration may have raised calls of its own before it stopped.
    const int before = _wtoi(text(L"Label5").c_str());
    const std::wstring number = L"0312 555 66 77";
    const auto call = harness::runSimulatorTool(pid + L"call 1 \"" + number + L"\"", tool);
    if (call.exitCode != 0) return fail("korvansim call: " + call.output);
    if (!harness::waitFor([&] { return harness::clipboardText() == number && _wtoi(text(L"Label5").c_str()) > before; }))
      return fail("the call did not arrive: counter " + harness::utf8(text(L"Label5")) + ", clipboard " +
                  harness::utf8(harness::clipboardText()));
    std::printf("connected, one call listed\n");
  }
  return close(program);
}

std::wstring imageOf(DWORD pid) {
  const fw::win32::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  wchar_t path[MAX_PATH];
  DWORD size = MAX_PATH;
  if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return L"";
  return {path, size};
}

// The main window of a copy of EXE that someone else started: a shown top-level window of that
// file's process holding the call counter.
struct StartedSearch {
  const std::wstring* exe;
  HWND found;
};
BOOL CALLBACK findStarted(HWND hwnd, LPARAM lp) {  // a plain function: 32-bit lambdas are not stdcall
  auto* s = reinterpret_cast<StartedSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (IsWindowVisible(hwnd) && harness::Program::control(hwnd, L"Label5") &&
      CompareStringOrdinal(imageOf(pid).c_str(), -1, s->exe->c_str(), -1, TRUE) == CSTR_EQUAL) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

int started(const std::wstring& exe) {
  StartedSearch search{&exe, nullptr};
  harness::waitFor([&] {
    EnumWindows(findStarted, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  }, std::chrono::seconds(60));
  if (!search.found) return fail("no main window of " + harness::utf8(exe) + " appeared");
  HWND main = search.found;
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  auto text = [&](const wchar_t* name) { return harness::windowText(harness::Program::control(main, name)); };
  if (!harness::waitFor([&] { return text(L"Label9") == kConnected && _wtoi(text(L"Label5").c_str()) > 0; },
                        std::chrono::seconds(30)))
    return fail("no demonstration call: status " + harness::utf8(text(L"Label9")) + ", counter " +
                harness::utf8(text(L"Label5")));
  std::printf("started at logon, connected, the demonstration call listed\n");
  const fw::win32::UniqueKernelHandle process(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  PostMessageW(main, WM_CLOSE, 0, 0);
  DWORD code = STILL_ACTIVE;
  if (process && WaitForSingleObject(process.get(), 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
  return code == 0 ? 0 : fail("the program ended with " + std::to_string(code));
}

int readOnly(const std::wstring& dir) {
  const std::wstring probe = dir + L"\\probe.tmp";
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  CloseHandle(file);
  DeleteFileW(probe.c_str());
  return fail(harness::utf8(dir) + " can be written to");
}

// Runs the uninstaller in place (_?=) so that its own exit code comes back.
DWORD uninstall(const std::wstring& uninstaller) {
  std::wstring command = L"\"" + uninstaller + L"\" /S _?=" + folderOf(uninstaller);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(uninstaller.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

int refuse(const std::wstring& exe, const std::wstring& uninstaller) {
  harness::Program program(exe);
  if (!program.mainWindow()) return fail("no main window from " + harness::utf8(exe));
  const DWORD code = uninstall(uninstaller);
  if (code != 2) return fail("the uninstaller ended with " + std::to_string(code) + " under the running program");
  if (!exists(exe)) return fail("the uninstaller removed the running program");
  std::printf("uninstaller refused while the program ran\n");
  return close(program);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring verb = argc > 1 ? argv[1] : L"";
  if (verb == L"run" && (argc == 3 || argc == 4)) return run(argv[2], argc == 4 ? argv[3] : L"");
  if (verb == L"read-only" && argc == 3) return readOnly(argv[2]);
  if (verb == L"refuse" && argc == 4) return refuse(argv[2], argv[3]);
  if (verb == L"started" && argc == 3) return started(argv[2]);
  std::fprintf(stderr, "usage: release_probe run EXE [KORVANSIM_EXE] | read-only DIR | refuse EXE UNINSTALLER | started EXE\n");
  return 2;
}
