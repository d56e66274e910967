// Drives Zelvora.exe from outside, the way a user or another program can: starts it, finds
// its windows and controls by component name, reads texts and states, takes screenshots.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
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
// Puts Unicode text on the clipboard as another program would; false when it cannot be opened.
bool setClipboardText(const std::wstring& text);
// Real keys, pressed and released, with Shift or Ctrl held around them: they go to the focused
// window of the window in front.
void pressKeys(std::initializer_list<WORD> keys, bool shift = false, bool ctrl = false);
// The window handles a message sent to it within a second: it answers its user.
bool answers(HWND window);
// The file the prefix's sound output is copied to (32-bit samples, 44.1 kHz, one channel;
// scripts/wine-env), as a Windows path; empty when none is set.
std::wstring toneCapture();
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
