// The tray icon and the message-window timer on Wine's desktop, with its real notification area:
// the icon is found on the screen by its colour, clicked with real input, and the shell is asked
// directly whether it holds the icon.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fw/application.h"
#include "fw/form.h"
#include "fw/menu.h"
#include "fw/text.h"
#include "fw/win32/native.h"
#include "harness.h"
#include "msg_timer.h"
#include "tray_icon.h"

namespace {

using namespace std::chrono_literals;
using tray::TTrayIcon;

// The inside of tray_test.ico.
constexpr COLORREF kIconColour = RGB(230, 20, 200);

HWND hwndOf(fw::shell::Window w) { return reinterpret_cast<HWND>(w); }

// Asks the shell itself: a change to an icon it does not hold fails.
bool shellHolds(const TTrayIcon& t) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = NOTIFYICONDATAW_V2_SIZE;
  nid.hWnd = hwndOf(t.IconData().window);
  nid.uID = t.IconData().id;
  return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

using harness::trayWindow;

// Where on the screen the colour shows inside the area: the middle of its pixels.
std::optional<POINT> findColour(const RECT& area, COLORREF colour) {
  const std::vector<COLORREF> px = harness::screenPixels(area);
  if (px.empty()) return std::nullopt;
  const int w = area.right - area.left;
  long sx = 0, sy = 0, n = 0;
  for (size_t i = 0; i < px.size(); ++i)
    if (px[i] == colour) {
      sx += static_cast<long>(i % w);
      sy += static_cast<long>(i / w);
      ++n;
    }
  if (n < 16) return std::nullopt;  // a few stray pixels are not the icon
  return POINT{area.left + static_cast<LONG>(sx / n), area.top + static_cast<LONG>(sy / n)};
}

std::optional<POINT> iconOnScreen() {
  HWND tray = trayWindow();
  if (!tray || !IsWindowVisible(tray)) return std::nullopt;
  RECT r;
  GetWindowRect(tray, &r);
  return findColour(r, kIconColour);
}

// The popup menu's window, open in this process.
struct MenuWatch {
  bool seen = false;
  RECT rect{};
};
MenuWatch* g_menuWatch = nullptr;

BOOL CALLBACK findOurMenu(HWND hwnd, LPARAM lp) {
  wchar_t cls[32];
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId() && GetClassNameW(hwnd, cls, 32) && std::wstring(cls) == L"#32768" &&
      IsWindowVisible(hwnd)) {
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
  }
  return TRUE;
}

// Runs inside the menu's own loop: notes the open menu, keeps a picture of it, then closes it.
void CALLBACK closeMenuWhenOpen(HWND, UINT, UINT_PTR id, DWORD) {
  HWND menu = nullptr;
  EnumWindows(findOurMenu, reinterpret_cast<LPARAM>(&menu));
  if (!menu || !g_menuWatch) return;
  g_menuWatch->seen = true;
  GetWindowRect(menu, &g_menuWatch->rect);
  harness::screenshot(GetDesktopWindow(), L"tray-popup");
  KillTimer(nullptr, id);
  EndMenu();
}

// The shell's balloon: a tooltip window of the shell's process with the balloon style.
struct BalloonSearch {
  HWND found = nullptr;
};
BOOL CALLBACK findBalloon(HWND hwnd, LPARAM lp) {
  wchar_t cls[64];
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId() && GetClassNameW(hwnd, cls, 64) && std::wstring(cls) == TOOLTIPS_CLASSW &&
      IsWindowVisible(hwnd) && (GetWindowLongW(hwnd, GWL_STYLE) & TTS_BALLOON)) {
    reinterpret_cast<BalloonSearch*>(lp)->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

class TrayOnTheDesktop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fw::Application::instance().initialize();
    tray::registerTrayClasses();
  }
  void SetUp() override {
    form = std::make_unique<fw::Form>(nullptr);
    form->loadLayout("TrayTest.layout");
    icon = &form->component<TTrayIcon>("TrayIcon1");
  }
  void TearDown() override {
    form.reset();
    EXPECT_EQ(FindWindowW(L"TTrayIconHandler", nullptr), nullptr);
    EXPECT_EQ(FindWindowW(L"TMsgTimerHandler", nullptr), nullptr);
  }
  std::unique_ptr<fw::Form> form;
  TTrayIcon* icon = nullptr;
};

TEST_F(TrayOnTheDesktop, TheIconShowsInTheNotificationArea) {
  EXPECT_TRUE(icon->IconVisible());
  EXPECT_TRUE(shellHolds(*icon));
  ASSERT_NE(trayWindow(), nullptr) << "no notification area: is the program on Wine's desktop?";
  std::optional<POINT> at;
  EXPECT_TRUE(harness::waitFor([&] { return (at = iconOnScreen()).has_value(); }, 10s))
      << "the icon's colour is nowhere in the notification area";
  harness::screenshot(trayWindow(), L"tray-icon");
}

TEST_F(TrayOnTheDesktop, ARightButtonPressOpensThePopupMenu) {
  std::optional<POINT> at;
  ASSERT_TRUE(harness::waitFor([&] { return (at = iconOnScreen()).has_value(); }, 10s));
  std::vector<std::string> events;
  icon->OnMouseDown = [&](fw::Component&, fw::MouseButton b, fw::ShiftState s, int x, int y) {
    events.push_back(std::string(b == fw::MouseButton::Right ? "down R" : "down") + (s.right ? " +R" : ""));
    EXPECT_LE(std::abs(x - at->x), 12);
    EXPECT_LE(std::abs(y - at->y), 12);
  };
  MenuWatch watch;
  g_menuWatch = &watch;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, closeMenuWhenOpen);
  harness::movePointer(*at);
  harness::waitFor([] { return false; }, 200ms);
  harness::mouseButton(MOUSEEVENTF_RIGHTDOWN);
  harness::mouseButton(MOUSEEVENTF_RIGHTUP);
  EXPECT_TRUE(harness::waitFor([&] { return watch.seen; }, 10s)) << "no popup menu opened";
  KillTimer(nullptr, timer);
  g_menuWatch = nullptr;
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front(), "down R +R");
  EXPECT_EQ(form->component<fw::PopupMenu>("PopupMenu1").popupComponent(), icon);
  // The menu opens at the pointer, which is on the icon.
  EXPECT_LE(std::abs(watch.rect.left - at->x) + std::abs(watch.rect.bottom - at->y),
            std::abs(watch.rect.right - watch.rect.left) + std::abs(watch.rect.bottom - watch.rect.top) + 40);
  harness::movePointer({10, 10});
}

TEST_F(TrayOnTheDesktop, ThePointerEntersAndLeavesTheIcon) {
  std::optional<POINT> at;
  ASSERT_TRUE(harness::waitFor([&] { return (at = iconOnScreen()).has_value(); }, 10s));
  std::vector<std::string> events;
  icon->OnMouseEnter = [&](fw::Component&) { events.push_back("enter"); };
  icon->OnMouseExit = [&](fw::Component&) { events.push_back("exit"); };
  harness::movePointer({10, 10});
  harness::waitFor([] { return false; }, 200ms);
  harness::movePointer(*at);
  EXPECT_TRUE(harness::waitFor([&] { return !events.empty(); }, 5s)) << "no enter event";
  harness::movePointer({at->x - 200, at->y - 300});
  // A notification handled after the pointer left records where the pointer is then; the next
  // movement off the icon is the exit, as a hand on a mouse always makes.
  harness::waitFor([&] { return events.size() >= 2; }, 300ms);
  harness::movePointer({at->x - 220, at->y - 320});
  EXPECT_TRUE(harness::waitFor([&] { return events.size() >= 2; }, 5s)) << "no exit event";
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "exit"}));
}

TEST_F(TrayOnTheDesktop, ABalloonShowsTitleAndText) {
  ASSERT_TRUE(harness::waitFor([&] { return iconOnScreen().has_value(); }, 10s));
  const std::string title = fw::ansi(u8"Çağrı: 5");
  const std::string text = fw::ansi(u8"0532 111 22 33 Şişli");
  EXPECT_TRUE(icon->ShowBalloonMessage(title, text, tray::BalloonIcon::BalloonInfo, 10));
  BalloonSearch search;
  EXPECT_TRUE(harness::waitFor(
      [&] {
        EnumWindows(findBalloon, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      10s))
      << "no balloon appeared";
  if (search.found) {
    harness::waitFor([] { return false; }, 300ms);  // let it paint
    EXPECT_EQ(harness::windowText(search.found), L"0532 111 22 33 \u015ei\u015fli");
    harness::screenshot(GetDesktopWindow(), L"tray-balloon");
  }
  EXPECT_EQ(icon->IconData().flags, tray::DefaultNotifyFlags);
}

TEST_F(TrayOnTheDesktop, TheIconComesBackWhenTheTaskbarIsCreatedAgain) {
  ASSERT_TRUE(shellHolds(*icon));
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  ASSERT_EQ(taskbarCreated, tray::TaskbarRestartMessage());
  // A new shell starts without our icon and then tells every top-level window.
  NOTIFYICONDATAW nid{};
  nid.cbSize = NOTIFYICONDATAW_V2_SIZE;
  nid.hWnd = hwndOf(icon->IconData().window);
  nid.uID = icon->IconData().id;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
  ASSERT_FALSE(shellHolds(*icon));
  SendNotifyMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
  EXPECT_TRUE(harness::waitFor([&] { return shellHolds(*icon); }, 5s)) << "the icon did not come back";
  EXPECT_TRUE(harness::waitFor([&] { return iconOnScreen().has_value(); }, 10s));

  icon->setIconVisible(false);
  SendNotifyMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
  harness::waitFor([] { return false; }, 500ms);
  EXPECT_FALSE(shellHolds(*icon)) << "a hidden icon stays hidden";
}

TEST_F(TrayOnTheDesktop, DestructionRemovesTheIconAndPutsTheOwnersProcedureBack) {
  fw::Form owner(nullptr);
  HWND hwnd = fw::win32::nativeWindow(owner);
  const LONG_PTR original = GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
  auto t = std::make_unique<TTrayIcon>(&owner);
  EXPECT_NE(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), original) << "the owner's messages pass the tray icon first";
  t->setIconVisible(true);
  ASSERT_TRUE(shellHolds(*t));
  const TTrayIcon& gone = *t;
  const fw::shell::NotifyIconData record = gone.IconData();
  t.reset();
  NOTIFYICONDATAW nid{};
  nid.cbSize = NOTIFYICONDATAW_V2_SIZE;
  nid.hWnd = hwndOf(record.window);
  nid.uID = record.id;
  EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &nid)) << "the icon left the notification area";
  EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), original);
}

TEST_F(TrayOnTheDesktop, MessageTimersTickThroughTheirOwnHiddenWindow) {
  int ticks = 0;
  {
    tray::TMsgTimer timer(30, [&](tray::TMsgTimer&) { ++ticks; });
    ASSERT_TRUE(timer.Start());
    HWND hidden = FindWindowW(L"TMsgTimerHandler", nullptr);
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_NE(hidden, fw::win32::messageWindow()) << "not the application's timer window";
    EXPECT_TRUE(harness::waitFor([&] { return ticks >= 3; }, 5s));
  }
  // The tray icon's own timers keep the hidden window; it goes with the form (see TearDown).
  form.reset();
  EXPECT_EQ(FindWindowW(L"TMsgTimerHandler", nullptr), nullptr);
}

}  // namespace
