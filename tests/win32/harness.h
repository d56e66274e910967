// Drives Zelvora.exe from outside, the way a user or another program can: starts it, finds
// its windows and controls by component name, reads texts and states, takes screenshots.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace harness {

std::wstring binDir();
std::wstring outDir();

// Pumps this thread's messages until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(20));
// Pumps this thread's messages until count() reaches target, for as long as it keeps rising:
// gives up only when it has not risen for `stall`. For long runs whose pace is the machine's
// (a loaded machine takes several times as long), where a fixed limit would only measure load.
bool waitForCount(const std::function<long long()>& count, long long target, std::chrono::milliseconds stall);

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

// What the main window's status line (Label9) says with the device connected, and without it.
inline const std::wstring kConnected = L"Ba\u011flant\u0131 tamam  Hemen aray\u0131n";
inline const std::wstring kNoDevice = L"Cihaz ba\u011flant\u0131s\u0131 sa\u011flanamad\u0131";

std::wstring windowText(HWND hwnd);
// The clipboard's Unicode text ("<closed>" when it cannot be opened).
std::wstring clipboardText();
// Puts Unicode text on the clipboard as another program would; false when it cannot be opened.
bool setClipboardText(const std::wstring& text);
// Real keys, pressed and released, with Shift or Ctrl held around them: they go to the focused
// window of the window in front.
void pressKeys(std::initializer_list<WORD> keys, bool shift = false, bool ctrl = false);
// The popup menu a process shows now (its visible "#32768" window); null when none is open.
HWND openMenuOf(DWORD pid);
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
// What the screen shows in the area (screen coordinates), row by row from the top; empty for
// an empty area.
std::vector<COLORREF> screenPixels(const RECT& area);
// The taskbar that holds the notification area; null when the desktop has none.
inline HWND trayWindow() { return FindWindowW(L"Shell_TrayWnd", nullptr); }
// A key pressed and released; it goes to the focused window of the window in front.
inline void pressKey(WORD vk) { pressKeys({vk}); }

// A 32-bit bitmap selected into a memory DC, for painting into and reading back pixel by pixel.
class MemoryBitmap {
 public:
  // background: what every pixel holds before anything is painted.
  MemoryBitmap(int width, int height, COLORREF background = RGB(0, 0, 0));
  ~MemoryBitmap();
  MemoryBitmap(const MemoryBitmap&) = delete;
  MemoryBitmap& operator=(const MemoryBitmap&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return w_; }
  int height() const { return h_; }
  // Flushes GDI's batch first, so what was painted is there.
  COLORREF pixel(int x, int y) const;
  // Every pixel, row by row from the top.
  std::vector<COLORREF> pixels() const;

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  DWORD* bits_ = nullptr;
};
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

// What programs of this session write with OutputDebugString while it lives, read as a
// debug-output viewer reads it (the shared DBWIN buffer), one line per call.
class DebugOutput {
 public:
  DebugOutput();
  ~DebugOutput();
  DebugOutput(const DebugOutput&) = delete;
  DebugOutput& operator=(const DebugOutput&) = delete;

  bool listening() const { return view_ != nullptr; }
  // The lines written by one process so far.
  std::vector<std::string> linesOf(DWORD pid);

 private:
  void read();
  HANDLE bufferReady_ = nullptr, dataReady_ = nullptr, mapping_ = nullptr;
  void* view_ = nullptr;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<std::pair<DWORD, std::string>> lines_;
  std::thread reader_;
};

// Registers or removes the simulated control for this Wine prefix.
bool registerSimulator();
void unregisterDeviceControl();

}  // namespace harness
