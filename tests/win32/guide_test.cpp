// The guide, settings and help windows as a user meets them: opened from the main window's
// menu, on a screen 768 pixels high, driven with keyboard input and clicks posted to the controls.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "harness.h"

namespace {

// The main window's menu items, in order, as the program numbers their commands.
constexpr UINT kGuideItem = 1000;
constexpr UINT kSettingsItem = 1001;
constexpr UINT kHelpItem = 1002;

// This process and the program run on a desktop of their own, 1024 x 768, whatever the
// prefix's default desktop is: the sizing rules depend on the screen's height.
constexpr wchar_t kDesktop[] = L"Guide768";

std::string describe(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " + std::to_string(r.right - r.left) + " x " +
         std::to_string(r.bottom - r.top);
}

RECT windowRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool inFront(HWND w) { return IsWindowVisible(w) && GetForegroundWindow() == w; }

using harness::pressKey;

// A click with the left button in the middle of a control, posted to it. Pointer input
// injected with SendInput is not used: under Wine's virtual desktop a press can arrive where
// the X server last had the pointer rather than where it was sent.
void click(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(control, WM_LBUTTONUP, 0, at);
}

// What the screen shows inside a window, sampled on a grid: the share of points that are not
// the button-face colour, and how many colours there are.
struct Sample {
  double painted;
  std::size_t colours;
};
Sample sample(HWND w) {
  const RECT r = windowRect(w);
  HDC screen = GetDC(nullptr);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  int painted = 0, total = 0;
  std::set<COLORREF> colours;
  for (int i = 1; i < 20; ++i) {
    for (int j = 1; j < 20; ++j) {
      const COLORREF c = GetPixel(screen, r.left + (r.right - r.left) * i / 20, r.top + (r.bottom - r.top) * j / 20);
      ++total;
      if (c != face) ++painted;
      colours.insert(c);
    }
  }
  ReleaseDC(nullptr, screen);
  return {static_cast<double>(painted) / total, colours.size()};
}

// How many pixels of one colour there are inside a window on screen.
int pixelsOf(HWND w, COLORREF colour) {
  const RECT r = windowRect(w);
  HDC screen = GetDC(nullptr);
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (GetPixel(screen, x, y) == colour) ++n;
  ReleaseDC(nullptr, screen);
  return n;
}

// The memory a process has committed for itself (Wine reports it as the page-file usage).
SIZE_T committedBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(process, &counters, sizeof(counters));
  return counters.PagefileUsage;
}

void settle() { harness::waitFor([] { return false; }, std::chrono::milliseconds(600)); }

// What the screen shows of a picture once it is painted with at least `colours` colours: the
// picture is decoded when its window is first shown, which a loaded machine makes take longer
// than any fixed wait (the window's plain background was sampled instead).
Sample paintedSample(HWND w, std::size_t colours) {
  Sample s{};
  harness::waitFor([&] {
    s = sample(w);
    return s.painted > 0.9 && s.colours >= colours;
  }, std::chrono::seconds(10));
  return s;
}

class GuideWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Wine's light theme draws links in light grey, unreadable on a button face; Windows' own
    // link colour is dark blue. Programs started from now on (and this one, which has not read
    // its colours yet) see Windows' colour.
    HKEY colours = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Colors", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &colours,
                    nullptr);
    const wchar_t link[] = L"0 102 204";
    RegSetValueExW(colours, L"HotTrackingColor", 0, REG_SZ, reinterpret_cast<const BYTE*>(link), sizeof link);
    RegCloseKey(colours);
    // Wine sizes a named desktop from this key when the desktop is first used.
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                    &key, nullptr);
    const wchar_t size[] = L"1024x768";
    RegSetValueExW(key, kDesktop, 0, REG_SZ, reinterpret_cast<const BYTE*>(size), sizeof size);
    RegCloseKey(key);
    desktop_ = CreateDesktopW(kDesktop, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    ASSERT_NE(desktop_, nullptr);
    ASSERT_TRUE(SetThreadDesktop(desktop_));
  }

  void SetUp() override {
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768) << "the test's own desktop";
    program_ = std::make_unique<harness::Program>(harness::binDir() + L"\\Zelvora.exe", kDesktop);
    main_ = program_->mainWindow();
    ASSERT_NE(main_, nullptr) << "no main window";
    // The main window shows before the hidden windows are made: they follow within its start-up.
    for (const wchar_t* name : {L"Form2", L"Form3", L"HelpForm"}) {
      HWND w = nullptr;
      harness::waitFor([&] { return (w = program_->window(name)) != nullptr; });
      ASSERT_NE(w, nullptr) << harness::utf8(name) << " was not created";
      EXPECT_FALSE(IsWindowVisible(w)) << harness::utf8(name) << " starts hidden";
    }
    guide_ = program_->window(L"Form2");
    settings_ = program_->window(L"Form3");
    help_ = program_->window(L"HelpForm");
    // The main window brings itself to the front once, just after start.
    ASSERT_TRUE(harness::waitFor([this] { return GetForegroundWindow() == main_; }));
    settle();
  }

  void TearDown() override {
    if (!main_) return;
    PostMessageW(main_, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->waitForExit(), 0u);
  }

  // Chooses a menu item as the menu bar does, and waits for its window in front.
  bool open(UINT item, HWND window) {
    PostMessageW(main_, WM_COMMAND, MAKEWPARAM(item, 0), 0);
    return harness::waitFor([window] { return inFront(window); }, std::chrono::seconds(10));
  }

  static HDESK desktop_;
  std::unique_ptr<harness::Program> program_;
  HWND main_ = nullptr;
  HWND guide_ = nullptr;
  HWND settings_ = nullptr;
  HWND help_ = nullptr;
};

HDESK GuideWindows::desktop_ = nullptr;

TEST_F(GuideWindows, MenuItemsOpenTheirWindowsInFrontAtTheirPlaces) {
  EXPECT_EQ(harness::windowText(guide_), L"Cihaz Ba\u011flant\u0131s\u0131");
  EXPECT_EQ(harness::windowText(settings_), L"\u00d6nerilen ayar");
  EXPECT_EQ(harness::windowText(help_), L"Yard\u0131m");

  const SIZE_T before = committedBytes(program_->process());
  ASSERT_TRUE(open(kGuideItem, guide_)) << "the guide window did not come up in front";
  EXPECT_TRUE(sameRect(windowRect(guide_), RECT{10, 10, 748, 578})) << describe(windowRect(guide_));
  HWND picture = harness::Program::control(guide_, L"Image3");
  const Sample guidePicture = paintedSample(picture, 5);
  EXPECT_GT(guidePicture.painted, 0.9) << "the wiring picture is drawn over the whole control";
  EXPECT_GE(guidePicture.colours, 5u);
  // 2040 x 1564 pixels at four bytes each: decoded now, when the window was first shown, and
  // not at start-up.
  EXPECT_GE(committedBytes(program_->process()) - before, 2040u * 1564u * 4u * 9 / 10);
  EXPECT_TRUE(harness::screenshot(guide_, L"guide-window"));
  const RECT bar = windowRect(harness::Program::control(guide_, L"StatusBar1"));
  EXPECT_EQ(bar.bottom - bar.top, 30) << "the status bar's designed height";
  EXPECT_EQ(windowRect(picture).bottom, bar.top) << "the picture reaches down to the status bar";

  ASSERT_TRUE(open(kSettingsItem, settings_)) << "the settings window did not come up in front";
  EXPECT_TRUE(sameRect(windowRect(settings_), RECT{10, 10, 955, 578})) << describe(windowRect(settings_));
  const Sample settingsPicture = paintedSample(harness::Program::control(settings_, L"w_ayar"), 3);
  EXPECT_GT(settingsPicture.painted, 0.9);
  EXPECT_GE(settingsPicture.colours, 3u);
  EXPECT_TRUE(harness::screenshot(settings_, L"settings-window"));
  // The designed 19 pixels are less than the bar's font needs: the bar is taller and covers the
  // picture's lowest rows, but no gap opens between them.
  EXPECT_GE(windowRect(harness::Program::control(settings_, L"w_ayar")).bottom,
            windowRect(harness::Program::control(settings_, L"StatusBar1")).top);

  ASSERT_TRUE(open(kHelpItem, help_)) << "the help window did not come up in front";
  RECT client{};
  GetClientRect(help_, &client);
  EXPECT_EQ(client.right, 617);
  EXPECT_EQ(client.bottom, 425);
  // Centred on the whole screen, as its layout says (poScreenCenter), not on the work area.
  const RECT r = windowRect(help_);
  EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1) << describe(r);
  EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1) << describe(r);
  HWND memo = harness::Program::control(help_, L"Memo1");
  // The program activates the window when it handles the change of foreground: wait for it.
  EXPECT_TRUE(harness::waitFor([this, memo] {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(help_, nullptr), &gui);
    return gui.hwndFocus == memo;
  }, std::chrono::seconds(5))) << "the help text has the focus when the window opens";
  const std::wstring text = harness::windowText(memo);
  EXPECT_EQ(text.substr(0, 9), L"Cihaz\u0131n \u00e7");
  EXPECT_NE(text.find(L"\"numara g\u00f6sterme \u00f6zelli\u011fi\"  a\u00e7\u0131kt\u0131r.   \r\n"), std::wstring::npos);
  settle();
  HWND link = harness::Program::control(help_, L"Label1");
  EXPECT_GT(pixelsOf(link, GetSysColor(COLOR_HOTLIGHT)), 20) << "the link is drawn in the hot-track colour";
  EXPECT_TRUE(harness::screenshot(help_, L"help-window"));

  // Shown again while visible but behind: only brought to the front.
  ASSERT_TRUE(open(kGuideItem, guide_));
  EXPECT_TRUE(IsWindowVisible(help_));
}

TEST_F(GuideWindows, EscapeHidesThePictureWindowsButNotTheHelpWindow) {
  for (const auto& [item, window] : {std::pair{kGuideItem, guide_}, std::pair{kSettingsItem, settings_}}) {
    ASSERT_TRUE(open(item, window));
    pressKey('A');
    settle();
    EXPECT_TRUE(IsWindowVisible(window)) << "another key leaves it open";
    pressKey(VK_ESCAPE);
    EXPECT_TRUE(harness::waitFor([w = window] { return !IsWindowVisible(w); }, std::chrono::seconds(5)))
        << "Escape did not hide window " << item;
    EXPECT_TRUE(IsWindowVisible(main_));
  }
  ASSERT_TRUE(open(kHelpItem, help_));
  HWND memo = harness::Program::control(help_, L"Memo1");
  pressKey(VK_ESCAPE);
  settle();
  EXPECT_TRUE(IsWindowVisible(help_)) << "Escape does nothing in the help window";
  EXPECT_TRUE(IsWindow(memo) && IsWindow(harness::Program::control(help_, L"GroupBox1")))
      << "nothing inside it was closed either";
  // The close box hides a secondary window; the program goes on.
  PostMessageW(help_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(harness::waitFor([this] { return !IsWindowVisible(help_); }, std::chrono::seconds(5)));
  EXPECT_TRUE(IsWindowVisible(main_));
  EXPECT_EQ(WaitForSingleObject(program_->process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(GuideWindows, TheLinkShowsTheGuideAndHidesTheHelpWindow) {
  ASSERT_TRUE(open(kHelpItem, help_));
  click(harness::Program::control(help_, L"Label1"));
  EXPECT_TRUE(harness::waitFor([this] { return inFront(guide_) && !IsWindowVisible(help_); }, std::chrono::seconds(5)))
      << "guide visible " << IsWindowVisible(guide_) << ", help visible " << IsWindowVisible(help_);
  EXPECT_TRUE(sameRect(windowRect(guide_), RECT{10, 10, 748, 578})) << describe(windowRect(guide_));

  ASSERT_TRUE(open(kHelpItem, help_));
  click(harness::Program::control(help_, L"Button1"));
  EXPECT_TRUE(harness::waitFor([this] { return !IsWindowVisible(help_); }, std::chrono::seconds(5))) << "Kapat";
}

TEST_F(GuideWindows, AClickOnThePictureUndoesTheUsersMoveAndSize) {
  const struct {
    UINT item;
    HWND window;
    const wchar_t* picture;
    RECT expected;
  } cases[] = {{kGuideItem, guide_, L"Image3", {10, 10, 748, 578}},
               {kSettingsItem, settings_, L"w_ayar", {10, 10, 710, 578}}};  // keeps the width the user gave
  for (const auto& c : cases) {
    ASSERT_TRUE(open(c.item, c.window));
    // As the user drags the frame: the window moves and takes another size.
    SetWindowPos(c.window, nullptr, 150, 120, 700, 400, SWP_NOZORDER);
    ASSERT_TRUE(harness::waitFor([&] { return sameRect(windowRect(c.window), RECT{150, 120, 850, 520}); }));
    settle();
    click(harness::Program::control(c.window, c.picture));
    EXPECT_TRUE(harness::waitFor([&] { return sameRect(windowRect(c.window), c.expected); }, std::chrono::seconds(5)))
        << harness::utf8(c.picture) << ": " << describe(windowRect(c.window));
  }
}

}  // namespace
