// Incoming calls end to end: the program with the simulated device control, driven the way a
// user and the device would, its effects read back from the window, the clipboard, the sound
// output and the device journal.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "read_file.h"
#include "simulated_device.h"
#include "tone_capture.h"

namespace {

using namespace std::chrono_literals;

using harness::kConnected;
using harness::kNoDevice;
using testkit::lines;
using testkit::readFile;

class Calls : public harness::SimulatedDeviceTest {
 protected:
  Calls() : SimulatedDeviceTest(L"calls-journal.txt") {}
};

TEST_F(Calls, TheCheckBoxesTurnTheToneAndTheClipboardCopyOff) {
  const std::wstring capture = harness::toneCapture();
  ASSERT_FALSE(capture.empty()) << "no sound capture set up";
  startConnected();

  // A line that is not a number alerts like line 0: 1000 Hz.
  std::uint64_t before = harness::captureEnd(capture);
  ASSERT_EQ(sim(L"call abc \"0312 111 22 33\""), 0u);
  EXPECT_TRUE(counterReaches(L"1"));
  const auto tones = harness::tonesSince(capture, before, 1, 20s);
  ASSERT_EQ(tones.size(), 1u);
  EXPECT_EQ(harness::toneFrequency(tones[0]), 1000);
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"0312 111 22 33"; })) << harness::utf8(harness::clipboardText());

  // Quiet: the call is listed and copied, and nothing more is played.
  setCheck(L"BipBox", false);
  harness::waitFor([] { return false; }, 300ms);  // past the gap the alerts keep between them
  before = harness::captureEnd(capture);
  ASSERT_EQ(sim(L"call abc 0312"), 0u);
  EXPECT_TRUE(counterReaches(L"2"));
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"0312"; })) << harness::utf8(harness::clipboardText());
  harness::waitFor([] { return false; }, 1s);
  EXPECT_TRUE(harness::tonesIn(harness::capturedSamples(capture, before)).empty());

  // Not copied: whatever the user had on the clipboard stays.
  setCheck(L"PanoBox", false);
  harness::setClipboardText(L"kullan\u0131c\u0131n\u0131n metni");
  ASSERT_EQ(sim(L"call 2 0216"), 0u);
  EXPECT_TRUE(counterReaches(L"3"));
  harness::waitFor([] { return false; }, 500ms);
  EXPECT_EQ(harness::clipboardText(), L"kullan\u0131c\u0131n\u0131n metni");

  PostMessageW(program_->mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program_->waitForExit(), 0u);
}

TEST_F(Calls, ALostDeviceBlanksTheCallsAndTheCountStartsAgain) {
  startConnected();
  setCheck(L"BipBox", false);
  for (const wchar_t* number : {L"0312 1", L"0312 2", L"0312 3"}) {
    ASSERT_EQ(sim(L"call 1 \"" + std::wstring(number) + L"\""), 0u);
  }
  ASSERT_TRUE(counterReaches(L"3")) << harness::utf8(text(L"Label5"));
  EXPECT_TRUE(harness::screenshot(program_->mainWindow(), L"calls-before-unplug"));

  ASSERT_EQ(sim(L"unplug"), 0u);
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label9") == kNoDevice; })) << harness::utf8(text(L"Label9"));
  EXPECT_EQ(text(L"Label24"), L"");
  EXPECT_EQ(text(L"Label25"), L"");
  EXPECT_EQ(text(L"Label5"), L"0");
  // The rows stay, blank: there for the eye (screenshot), not yet readable from outside.
  EXPECT_TRUE(harness::screenshot(program_->mainWindow(), L"calls-after-unplug"));

  ASSERT_EQ(sim(L"plug"), 0u);
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label9") == kConnected; }));
  EXPECT_FALSE(text(L"Label24").empty());
  ASSERT_EQ(sim(L"call 1 \"0312 4\""), 0u);
  EXPECT_TRUE(counterReaches(L"1")) << harness::utf8(text(L"Label5"));
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"0312 4"; })) << harness::utf8(harness::clipboardText());
  // Back on line, the polls leave the new count alone.
  harness::waitFor([] { return false; }, 1200ms);
  EXPECT_EQ(text(L"Label5"), L"1");

  PostMessageW(program_->mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program_->waitForExit(), 0u);
}

// ---- the tray icon's menu, with the mouse and the keyboard ----

using harness::trayWindow;

// The icons' part of the taskbar: right of its buttons (start, one per window).
RECT iconArea(HWND tray) {
  RECT area;
  GetWindowRect(tray, &area);
  for (HWND child = GetWindow(tray, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    if (IsWindowVisible(child) && GetWindowRect(child, &r) && r.right > r.left) area.left = std::max(area.left, r.right);
  }
  return area;
}

// The middle of what is drawn there on the taskbar's own colour: the icon, when the program's
// is the only one (this prefix runs one program at a time).
std::optional<POINT> onlyIcon(HWND tray) {
  const RECT area = iconArea(tray);
  const auto now = harness::screenPixels(area);
  if (now.empty()) return std::nullopt;
  const int w = area.right - area.left;
  const COLORREF background = now.back();  // a corner
  long sx = 0, sy = 0, n = 0;
  for (size_t i = 0; i < now.size(); ++i) {
    if (now[i] == background) continue;
    sx += static_cast<long>(i % w);
    sy += static_cast<long>(i / w);
    ++n;
  }
  if (n < 16) return std::nullopt;
  return POINT{area.left + static_cast<LONG>(sx / n), area.top + static_cast<LONG>(sy / n)};
}

// Right button on the icon, then the item by the keyboard, as a user could. The balloon of
// the call just made may lie over the icon, and a click there only closes the balloon: the
// click is tried again, as a user would.
void chooseFromTrayMenu(harness::Program& program, POINT icon, int item) {
  HWND menu = nullptr;
  for (int attempt = 0; attempt < 3 && !menu; ++attempt) {
    harness::movePointer(icon);
    harness::waitFor([] { return false; }, 200ms);
    harness::mouseButton(MOUSEEVENTF_RIGHTDOWN);
    harness::mouseButton(MOUSEEVENTF_RIGHTUP);
    harness::waitFor([&] { return (menu = harness::openMenuOf(program.pid())) != nullptr; }, 4s);
  }
  ASSERT_NE(menu, nullptr) << "no popup menu opened";
  harness::screenshot(GetDesktopWindow(), L"calls-tray-menu");
  for (int i = 0; i <= item; ++i) harness::pressKey(VK_DOWN);
  harness::pressKey(VK_RETURN);
  EXPECT_TRUE(harness::waitFor([&] { return harness::openMenuOf(program.pid()) == nullptr; }, 10s));
}

TEST_F(Calls, TheTrayMenuClearsTheListAndEndsTheProgram) {
  GetDesktopWindow();  // on Wine this starts the desktop, and with it the notification area
  HWND tray = nullptr;
  harness::waitFor([&] { return (tray = trayWindow()) != nullptr && IsWindowVisible(tray); }, 10s);
  ASSERT_NE(tray, nullptr) << "no notification area: is the program on Wine's desktop?";
  startConnected();
  std::optional<POINT> icon;
  ASSERT_TRUE(harness::waitFor([&] { return (icon = onlyIcon(tray)).has_value(); }, 10s))
      << "the program's icon did not come into the notification area";
  harness::screenshot(tray, L"calls-tray");

  setCheck(L"BipBox", false);
  ASSERT_EQ(sim(L"call 1 0312"), 0u);
  ASSERT_EQ(sim(L"call 2 0216"), 0u);
  ASSERT_TRUE(counterReaches(L"2"));

  chooseFromTrayMenu(*program_, *icon, 0);  // "Listeyi sil"
  EXPECT_TRUE(counterReaches(L"0")) << harness::utf8(text(L"Label5"));
  ASSERT_EQ(sim(L"call 1 0312"), 0u);
  EXPECT_TRUE(counterReaches(L"1")) << harness::utf8(text(L"Label5"));

  chooseFromTrayMenu(*program_, *icon, 1);  // "Çıkış"
  EXPECT_EQ(program_->waitForExit(), 0u);
  const auto journal = lines(readFile(journal_));
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal.back(), "test_stop");
}

}  // namespace
