// Application services of the win32 backend: the message loop, timers, resources, popup menus
// and the default error report.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "fw/application.h"
#include "fw/menu.h"
#include "fw/platform.h"
#include "fw/startup_trace.h"
#include "fw/text.h"
#include "gdi_canvas.h"
#include "fw/win32/handles.h"
#include "internal.h"

namespace fw::win32 {
namespace {

constexpr wchar_t kMessageClass[] = L"ZelvoraApplication";
constexpr UINT kFirstPopupId = 1;

struct TimerEntry {
  UINT_PTR id;
  std::function<void()> tick;
};

struct AppState {
  UniqueWindow messageWindow;
  std::vector<TimerEntry> timers;  // few, looked up by id on each tick
  UINT_PTR nextTimer = 1;
  bool quitting = false;
};

AppState& app() {
  static AppState s;
  return s;
}

LRESULT CALLBACK messageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER) {
    for (const TimerEntry& t : app().timers) {
      if (t.id != wp) continue;
      auto tick = t.tick;  // the tick may stop this very timer
      Application::guard(tick);
      return 0;
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Whether the dialog manager sees key messages. The main loop runs it, so Tab and the arrows
// move the focus between controls as in a dialog. processMessages runs inside code that is
// still working (the main window's constructor, the tray icon about to open its menu) and
// only lets pending messages through; a key there goes to its window as typed, so that the
// focus does not move under the code that is still running.
enum class DialogKeys { Navigate, Deliver };

// One message, from either pump, to its window: a form with key preview sees a character
// first; Escape and Return reach such a form before the dialog manager would take them.
void dispatch(MSG& msg, DialogKeys keys) {
  if (previewCharacter(msg)) return;
  if (keys == DialogKeys::Navigate) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (root && widgetOf(root) && !previewBeforeDialogKeys(msg) && IsDialogMessageW(root, &msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void createMessageWindow() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance();
  wc.lpfnWndProc = messageProc;
  wc.lpszClassName = kMessageClass;
  RegisterClassExW(&wc);
  const std::wstring title = wide(Application::instance().title());
  app().messageWindow.reset(
      CreateWindowExW(0, kMessageClass, title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance(), nullptr));
  if (!app().messageWindow)
    throw std::runtime_error("the application window could not be created (error " + std::to_string(GetLastError()) + ")");
}

}  // namespace

HINSTANCE instance() { return GetModuleHandleW(nullptr); }
HWND messageWindow() { return app().messageWindow.get(); }

std::wstring wide(std::string_view cp1254) {
  const std::u16string u = toUtf16(cp1254);
  return {u.begin(), u.end()};
}

std::string narrow(std::wstring_view text) {
  return fromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

COLORREF toColorRef(Color c) { return isSystemColor(c) ? GetSysColor(systemColorIndex(c)) : c; }

HBRUSH systemBrush(Color c) {
  return isSystemColor(c) ? GetSysColorBrush(systemColorIndex(c)) : GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace fw::win32

namespace fw {

using namespace fw::win32;

Color resolveColor(Color c) { return isSystemColor(c) ? GetSysColor(systemColorIndex(c)) : c; }

namespace backend {

void initialize() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  // ActiveX controls need a single-threaded apartment with OLE.
  const HRESULT hr = OleInitialize(nullptr);
  if (FAILED(hr)) throw std::runtime_error("OLE could not be initialised");
  registerWindowClasses();
  createMessageWindow();
}

void setApplicationTitle(const std::string& title) {
  SetWindowTextW(messageWindow(), wide(title).c_str());
}

void runMessageLoop(const std::function<bool()>& mainFormAlive) {
  MSG msg;
  startup_trace::mark("message loop");
  bool painted = false, idle = false;
  while (mainFormAlive() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!painted && msg.message == WM_PAINT) {
      startup_trace::mark("  first paint");
      painted = true;
    }
    if (!idle && !HIWORD(GetQueueStatus(QS_ALLINPUT))) {
      startup_trace::mark("idle: the last message of start-up");
      idle = true;
    }
    dispatch(msg, DialogKeys::Navigate);
  }
}

void processMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the loop
      return;
    }
    dispatch(msg, DialogKeys::Deliver);
  }
}

void quit() { PostQuitMessage(0); }

void bringApplicationToFront() {
  if (Form* main = Application::instance().mainForm()) showInFront(nativeWindow(*main));
}

int screenDpi() {
  WindowDC dc(nullptr);
  return GetDeviceCaps(dc.get(), LOGPIXELSY);
}

TextMetrics measureText(const Font& font, const std::string& text) {
  WindowDC dc(nullptr);
  GdiObject<HFONT> hfont = createFont(font);
  ScopedSelect select(dc.get(), hfont.get());
  TEXTMETRICW tm;
  GetTextMetricsW(dc.get(), &tm);
  TextMetrics m{0, tm.tmHeight, tm.tmInternalLeading, 0};
  const std::wstring w = wide(text);
  if (w.empty()) return m;
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc.get(), w.c_str(), static_cast<int>(w.size()), &size);
  m.width = size.cx;
  // Outline fonts give each glyph's overhang as a negative C width; a bitmap font made italic
  // by the system says it once for all its glyphs.
  ABC abc{};
  const UINT last = w.back();
  if (GetCharABCWidthsW(dc.get(), last, last, &abc)) {
    m.overhang = std::max(0, -abc.abcC);
  } else {
    m.overhang = std::max(0, static_cast<int>(tm.tmOverhang));
  }
  return m;
}

Size screenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

std::string loadLayoutText(const std::string& name) {
  const std::wstring id = wide(name);
  HRSRC res = FindResourceW(instance(), id.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL data = res ? LoadResource(instance(), res) : nullptr;
  if (!data) throw std::runtime_error("the stored layout '" + name + "' is missing from the program");
  return {static_cast<const char*>(LockResource(data)), SizeofResource(instance(), res)};
}

void showPopupMenu(const std::vector<MenuItem*>& items, Point screen) {
  UniqueMenu menu(CreatePopupMenu());
  UINT id = kFirstPopupId;
  for (MenuItem* item : items) {
    AppendMenuW(menu.get(), MF_STRING, id, wide(item->caption()).c_str());
    if (item->isDefault()) SetMenuDefaultItem(menu.get(), id, FALSE);
    ++id;
  }
  HWND owner = messageWindow();
  // Without the foreground the menu would not close when the user clicks elsewhere. (The
  // hidden owner is made active, not shown: no window comes to the front.)
  SetForegroundWindow(owner);
  const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
  if (chosen >= kFirstPopupId && chosen - kFirstPopupId < items.size()) {
    MenuItem* item = items[chosen - kFirstPopupId];
    Application::guard([item] { item->click(); });
  }
}

Point cursorPos() {
  POINT p;
  GetCursorPos(&p);
  return {p.x, p.y};
}

void reportError(const std::string& message) {
  const std::wstring title = wide(Application::instance().title());
  MessageBoxW(nullptr, wide(message).c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

std::uintptr_t startTimer(unsigned intervalMs, std::function<void()> tick) {
  const UINT_PTR id = app().nextTimer++;
  if (!SetTimer(messageWindow(), id, intervalMs, nullptr)) throw std::runtime_error("no timer could be set");
  app().timers.push_back({id, std::move(tick)});
  return id;
}

void stopTimer(std::uintptr_t id) {
  KillTimer(messageWindow(), id);
  std::erase_if(app().timers, [id](const TimerEntry& t) { return t.id == id; });
}

}  // namespace backend

}  // namespace fw
