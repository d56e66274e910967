// Drives Zelvora.exe from outside, the way a user or another program can: starts it, finds
// its windows and controls by component name, reads texts and states, takes screenshots.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace harness {

std::wstring binDir();
std::wstring outDir();

// Pumps this thread's messages until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(20));

class Program {
 public:
  // desktop: the name of a desktop of the window station to start on; empty for this one.
  explicit Program(const std::wstring& exe = binDir() + L"\\Zelvora.exe", const std::wstring& desktop = L"");
  ~Program();  // ends the process if the test did not
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD pid() const { return info_.dwProcessId; }
  HANDLE process() const { return info_.hProcess; }
  // The visible main window ("ZELVORA- TEST"), waiting for it to appear.
  HWND mainWindow();
  // A control of the main window by its component name; null when there is none.
  HWND control(const std::wstring& name);
  // A top-level window of the program by its component name, shown or hidden; null when none.
  HWND window(const std::wstring& name);
  // A control of a window by its component name; null when there is none.
  static HWND control(HWND window, const std::wstring& name);
  // Waits for the process to end; returns its exit code or STILL_ACTIVE on time-out.
  DWORD waitForExit(std::chrono::milliseconds limit = std::chrono::seconds(20));

 private:
  PROCESS_INFORMATION info_{};
  HWND main_ = nullptr;
};

std::wstring windowText(HWND hwnd);
// The clipboard's Unicode text ("<closed>" when it cannot be opened).
std::wstring clipboardText();
// Real pointer input. Under Wine's desktop an injected move alone may land elsewhere: the
// cursor is placed first, then the move is injected.
void movePointer(POINT screen);
void mouseButton(DWORD flags);  // MOUSEEVENTF_LEFTDOWN ...
// Saves what the screen shows of a window as a 24-bit BMP under out/.
bool screenshot(HWND hwnd, const std::wstring& name);
// How many GDI objects this process holds: the system's count where it keeps one (Windows);
// elsewhere (Wine) the table slot a new object gets, which climbs only while objects stay
// alive, since freed slots are handed out again. Compare two readings for a leak.
long gdiObjectLevel();
std::string utf8(const std::wstring& text);

// Runs korvansim.exe with the arguments and collects what it prints.
struct ToolResult {
  DWORD exitCode = STILL_ACTIVE;
  std::string output;  // UTF-8
};
// tool: another copy of korvansim.exe (an installed one); empty for the build's.
ToolResult runSimulatorTool(const std::wstring& arguments, const std::wstring& tool = L"");

// Registers or removes the simulated control for this Wine prefix.
bool registerSimulator();
void unregisterDeviceControl();

}  // namespace harness
