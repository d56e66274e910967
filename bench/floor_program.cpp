// The floor of the start-up table: what a caller-ID monitor must do at start, done in the
// plainest way, so that the difference to Zelvora.exe is Zelvora's own cost. One window with
// common controls 6 (the manifest), a report-style list view with six columns, four smooth
// progress bars, four labels in a Turkish-charset font, a notification-area icon and the
// device control created by its class id and started as the program starts it.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>

#include "korvan_abi.h"

namespace {

// The same time stamps as the program's (ZELVORA_STARTUP_TRACE), so the two starts compare
// step by step.
void mark(const char* step) {
  static std::FILE* file = [] {
    wchar_t path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"ZELVORA_STARTUP_TRACE", path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? _wfopen(path, L"a") : nullptr;
  }();
  if (!file) return;
  static double previous = 0;
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  auto ms = [](const FILETIME& f) {
    return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4;
  };
  const double t = ms(now) - ms(created);
  std::fprintf(file, "%8.1f %8.1f  floor: %s\n", t, t - previous, step);
  std::fflush(file);
  previous = t;
}

constexpr UINT kTrayMessage = WM_APP + 1;

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, HWND parent, HFONT font) {
  HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

// The control as the program starts it: the self-test command, then monitoring. A missing
// control is not an error here, as it is not for the program.
korvan::IKorvan* createDevice() {
  korvan::IKorvan* device = nullptr;
  if (FAILED(CoCreateInstance(korvan::kClassId, nullptr, CLSCTX_INPROC_SERVER, korvan::kInterfaceId,
                              reinterpret_cast<void**>(&device))))
    return nullptr;
  BSTR command = SysAllocString(L"test");
  BSTR reply = nullptr;
  device->ExecuteCommand(command, &reply);
  SysFreeString(command);
  SysFreeString(reply);
  device->StartMonitoring();
  return device;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  mark("entry");
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  if (FAILED(OleInitialize(nullptr))) return 1;
  mark("initialized (common controls, OLE)");

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance;
  wc.lpfnWndProc = windowProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(instance, L"MAINICON");
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"FloorProgram";
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Floor program", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 760, 520, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;

  HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, TURKISH_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
  HWND list = child(WC_LISTVIEWW, L"", LVS_REPORT | WS_BORDER, 8, 8, 730, 260, hwnd, font);
  const wchar_t* titles[] = {L"S\u0131ra", L"Hat", L"Numara", L"Tarih", L"Cihaz", L"Di\u011fer"};
  for (int i = 0; i < 6; ++i) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 120;
    col.pszText = const_cast<wchar_t*>(titles[i]);
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
  }
  for (int i = 0; i < 4; ++i) {
    HWND bar = child(PROGRESS_CLASSW, L"", PBS_SMOOTH, 8, 280 + 30 * i, 300, 20, hwnd, nullptr);
    SendMessageW(bar, PBM_SETRANGE32, 0, 30);
    child(L"STATIC", L"0", 0, 320, 280 + 30 * i, 100, 20, hwnd, font);
  }

  mark("window and controls created");
  NOTIFYICONDATAW tray{};
  tray.cbSize = sizeof(tray);
  tray.hWnd = hwnd;
  tray.uID = 1;
  tray.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  tray.uCallbackMessage = kTrayMessage;
  tray.hIcon = wc.hIcon;
  lstrcpynW(tray.szTip, L"Floor program", ARRAYSIZE(tray.szTip));
  Shell_NotifyIconW(NIM_ADD, &tray);
  mark("notification icon");

  korvan::IKorvan* device = createDevice();
  mark("device control created and started");

  ShowWindow(hwnd, show);
  mark("shown");
  UpdateWindow(hwnd);
  mark("painted");
  MSG msg;
  bool idle = false;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!idle && !GetQueueStatus(QS_ALLINPUT)) {
      mark("idle: the last message of start-up");
      idle = true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  Shell_NotifyIconW(NIM_DELETE, &tray);
  if (device) device->Release();
  DeleteObject(font);
  OleUninitialize();
  return 0;
}
