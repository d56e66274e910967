#include "harness.h"

#include <cstring>
#include <vector>

namespace harness {
namespace {

std::wstring widen(const char* s) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s, -1, w.data(), n);
  w.resize(static_cast<size_t>(n) - 1);
  return w;
}

std::wstring componentName(HWND hwnd) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(hwnd, L"Zelvora.Name")));
  if (!atom) return {};
  wchar_t buffer[256];
  const UINT n = GlobalGetAtomNameW(atom, buffer, 256);
  return {buffer, n};
}

// Window enumeration callbacks: plain functions, since 32-bit lambdas are not stdcall.
struct MainSearch {
  DWORD pid;
  HWND found;
};
BOOL CALLBACK findMainWindow(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<MainSearch*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == s->pid && IsWindowVisible(hwnd) && componentName(hwnd) == L"Form1") {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct WindowSearch {
  DWORD pid;
  const std::wstring* name;
  HWND found;
};
BOOL CALLBACK findWindow(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<WindowSearch*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == s->pid && componentName(hwnd) == *s->name) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct ControlSearch {
  const std::wstring* name;
  HWND found;
};
BOOL CALLBACK findControl(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<ControlSearch*>(lp);
  if (componentName(hwnd) == *s->name) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct MenuSearch {
  DWORD pid;
  HWND found = nullptr;
};

BOOL CALLBACK findMenuOf(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<MenuSearch*>(lp);
  wchar_t cls[32];
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->pid && GetClassNameW(hwnd, cls, 32) && std::wstring(cls) == L"#32768" && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::wstring binDir() {
  std::wstring dir = widen(ZELVORA_BIN_DIR);
  // The build folder is a Unix path; Wine maps the root to drive Z:.
  if (!dir.empty() && dir[0] == L'/') dir = L"Z:" + dir;
  for (auto& c : dir)
    if (c == L'/') c = L'\\';
  return dir;
}

std::wstring outDir() {
  std::wstring dir = binDir() + L"\\..\\..\\..\\out";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

HWND openMenuOf(DWORD pid) {
  MenuSearch search{pid};
  EnumWindows(findMenuOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool waitForCount(const std::function<long long()>& count, long long target, std::chrono::milliseconds stall) {
  long long last = count();
  auto rose = std::chrono::steady_clock::now();
  waitFor(
      [&] {
        const long long now = count();
        if (now > last) rose = std::chrono::steady_clock::now();
        last = now;
        return now >= target || std::chrono::steady_clock::now() - rose > stall;
      },
      std::chrono::hours(1));
  return last >= target;
}

Program::Program(const std::wstring& exe, const std::wstring& desktop) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  std::wstring desktopName = desktop.empty() ? L"" : L"WinSta0\\" + desktop;
  if (!desktop.empty()) si.lpDesktop = desktopName.data();
  std::wstring command = L"\"" + exe + L"\"";
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_)) {
    info_ = {};
    return;
  }
  WaitForInputIdle(info_.hProcess, 20000);
}

Program::~Program() {
  if (!info_.hProcess) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

HWND Program::mainWindow() {
  if (main_ && IsWindow(main_)) return main_;
  main_ = nullptr;
  waitFor([this] {
    MainSearch search{pid(), nullptr};
    EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&search));
    main_ = search.found;
    return main_ != nullptr;
  });
  return main_;
}

HWND Program::control(const std::wstring& name) { return control(mainWindow(), name); }

HWND Program::window(const std::wstring& name) {
  WindowSearch search{pid(), &name, nullptr};
  EnumWindows(findWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Program::control(HWND window, const std::wstring& name) {
  ControlSearch search{&name, nullptr};
  EnumChildWindows(window, findControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

DWORD Program::waitForExit(std::chrono::milliseconds limit) {
  if (!info_.hProcess) return STILL_ACTIVE;
  if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

std::wstring windowText(HWND hwnd) {
  wchar_t buffer[4096];
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &copied))
    return L"<no answer>";
  return {buffer, static_cast<size_t>(copied)};
}

std::string utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), s.data(), n, nullptr, nullptr);
  return s;
}

long gdiObjectLevel() {
  if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(count);
  HBRUSH probe = CreateSolidBrush(0);
  const long slot = static_cast<long>(reinterpret_cast<UINT_PTR>(probe) & 0xFFFF);
  DeleteObject(probe);
  return slot;
}

namespace {

// A 32-bit DIB holds 0x00RRGGBB.
COLORREF fromDib(DWORD p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }
DWORD toDib(COLORREF c) { return (DWORD{GetRValue(c)} << 16) | (DWORD{GetGValue(c)} << 8) | GetBValue(c); }

}  // namespace

MemoryBitmap::MemoryBitmap(int width, int height, COLORREF background)
    : w_(width), h_(height), dc_(CreateCompatibleDC(nullptr)) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w_, -h_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
  old_ = SelectObject(dc_, bitmap_);
  if (bits_ && background != RGB(0, 0, 0))
    for (int i = 0; i < w_ * h_; ++i) bits_[i] = toDib(background);
}

MemoryBitmap::~MemoryBitmap() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF MemoryBitmap::pixel(int x, int y) const {
  GdiFlush();
  return fromDib(bits_[y * w_ + x]);
}

std::vector<COLORREF> MemoryBitmap::pixels() const {
  GdiFlush();
  std::vector<COLORREF> out(static_cast<size_t>(w_) * h_);
  for (size_t i = 0; i < out.size(); ++i) out[i] = fromDib(bits_[i]);
  return out;
}

std::vector<COLORREF> screenPixels(const RECT& area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return {};
  MemoryBitmap copy(w, h);
  HDC screen = GetDC(nullptr);
  BitBlt(copy.dc(), 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return copy.pixels();
}

bool screenshot(HWND hwnd, const std::wstring& name) {
  RECT r;
  GetWindowRect(hwnd, &r);
  const std::vector<COLORREF> pixels = screenPixels(r);
  if (pixels.empty()) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  // A BMP's rows go from the bottom up, each 3 bytes a pixel (blue, green, red) padded to 4.
  const DWORD stride = ((w * 3 + 3) & ~3);
  const DWORD imageBytes = stride * h;
  std::vector<BYTE> image(imageBytes);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const COLORREF c = pixels[static_cast<size_t>(y) * w + x];
      BYTE* at = &image[(h - 1 - y) * stride + x * 3];
      at[0] = GetBValue(c);
      at[1] = GetGValue(c);
      at[2] = GetRValue(c);
    }
  const BITMAPINFOHEADER ih{sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof(fh) + sizeof(ih) + imageBytes), 0, 0, sizeof(fh) + sizeof(ih)};
  bool ok = false;
  HANDLE file = CreateFileW((outDir() + L"\\" + name + L".bmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written;
    ok = WriteFile(file, &fh, sizeof(fh), &written, nullptr) && WriteFile(file, &ih, sizeof(ih), &written, nullptr) &&
         WriteFile(file, image.data(), imageBytes, &written, nullptr);
    CloseHandle(file);
  }
  return ok;
}

ToolResult runSimulatorTool(const std::wstring& arguments, const std::wstring& tool) {
  ToolResult result;
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  const std::wstring exe = tool.empty() ? binDir() + L"\\korvansim.exe" : tool;
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  PROCESS_INFORMATION pi{};
  const BOOL started =
      CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (started) {
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) result.output.append(buffer, n);
    WaitForSingleObject(pi.hProcess, 20000);
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(readEnd);
  return result;
}

bool setClipboardText(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  bool put = false;
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!put) GlobalFree(memory);
  }
  CloseClipboard();
  return put;
}

void pressKeys(std::initializer_list<WORD> keys, bool shift, bool ctrl) {
  std::vector<INPUT> in;
  auto add = [&](WORD vk, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (vk >= VK_PRIOR && vk <= VK_DOWN ? KEYEVENTF_EXTENDEDKEY : 0);
    in.push_back(i);
  };
  if (ctrl) add(VK_CONTROL, false);
  if (shift) add(VK_SHIFT, false);
  for (WORD k : keys) {
    add(k, false);
    add(k, true);
  }
  if (shift) add(VK_SHIFT, true);
  if (ctrl) add(VK_CONTROL, true);
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

bool answers(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}

std::wstring toneCapture() {
  wchar_t capture[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZELVORA_TONE_CAPTURE", capture, MAX_PATH) == 0) return L"";
  std::wstring path = capture;
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  return path;
}

std::wstring clipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<closed>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

void movePointer(POINT at) {
  SetCursorPos(at.x, at.y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = (at.x * 65535) / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = (at.y * 65535) / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(in));
}

void mouseButton(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof(in));
}

bool registerSimulator() {
  HMODULE dll = LoadLibraryW((binDir() + L"\\korvansim.dll").c_str());
  if (!dll) return false;
  using Register = HRESULT(__stdcall*)();
  auto reg = reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
  const bool ok = reg && SUCCEEDED(reg());
  FreeLibrary(dll);
  return ok;
}

void unregisterDeviceControl() {
  const wchar_t* key = L"Software\\Classes\\CLSID\\{EEA18052-171F-4293-8598-AB6E1D7257B2}";
  RegDeleteTreeW(HKEY_CURRENT_USER, key);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
}

DebugOutput::DebugOutput() {
  bufferReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
  dataReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
  mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER");
  if (bufferReady_ && dataReady_ && mapping_) view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 4096);
  if (!view_) return;
  reader_ = std::thread([this] { read(); });
}

DebugOutput::~DebugOutput() {
  stopping_ = true;
  if (reader_.joinable()) reader_.join();
  if (view_) UnmapViewOfFile(view_);
  for (HANDLE handle : {mapping_, dataReady_, bufferReady_}) {
    if (handle) CloseHandle(handle);
  }
}

// The writer waits for "buffer ready", writes its process id and text, and sets "data ready".
void DebugOutput::read() {
  SetEvent(bufferReady_);
  while (!stopping_) {
    if (WaitForSingleObject(dataReady_, 50) != WAIT_OBJECT_0) continue;
    const auto* buffer = static_cast<const char*>(view_);
    DWORD pid;
    memcpy(&pid, buffer, sizeof pid);
    std::string text(buffer + sizeof pid, strnlen(buffer + sizeof pid, 4096 - sizeof pid));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    {
      std::lock_guard lock(mutex_);
      lines_.emplace_back(pid, std::move(text));
    }
    SetEvent(bufferReady_);
  }
}

std::vector<std::string> DebugOutput::linesOf(DWORD pid) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> lines;
  for (const auto& [writer, text] : lines_) {
    if (writer == pid) lines.push_back(text);
  }
  return lines;
}

}  // namespace harness
