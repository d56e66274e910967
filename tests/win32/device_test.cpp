// The program with the simulated device control: what it sends to the device at start-up,
// while running and on its way out, read back through the simulator.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "harness.h"
#include "read_file.h"
#include "simulated_device.h"
#include "tone_capture.h"

namespace {

using testkit::lines;
using testkit::readFile;

class WithSimulatedDevice : public harness::SimulatedDeviceTest {
 protected:
  WithSimulatedDevice() : SimulatedDeviceTest(L"device-journal.txt") {}
};

TEST_F(WithSimulatedDevice, StartsMonitoringPollsTheModelAndStopsOnClose) {
  harness::Program program;
  HWND main = program.mainWindow();
  ASSERT_NE(main, nullptr);
  const std::wstring connected = L"Ba\u011flant\u0131 tamam  Hemen aray\u0131n";
  EXPECT_TRUE(harness::waitFor([&] { return harness::windowText(program.control(L"Label9")) == connected; }))
      << harness::utf8(harness::windowText(program.control(L"Label9")));
  EXPECT_EQ(harness::windowText(program.control(L"Label22")), L"\u00c7a\u011fr\u0131 say\u0131s\u0131 : ");
  EXPECT_EQ(harness::windowText(program.control(L"Label24")), L"Cihaz modeli: KRV-4 USB");

  // About two seconds of polls: one every 500 ms after the end of the previous one.
  const DWORD start = GetTickCount();
  harness::waitFor([] { return false; }, std::chrono::milliseconds(2000));
  const auto log = harness::runSimulatorTool(L"--pid " + std::to_wstring(program.pid()) + L" log");
  const DWORD elapsed = GetTickCount() - start;
  ASSERT_EQ(log.exitCode, 0u) << log.output;
  const auto sent = lines(log.output);
  ASSERT_GE(sent.size(), 3u) << log.output;
  EXPECT_EQ(sent[0], "test");
  EXPECT_EQ(sent[1], "StartMonitoring");
  EXPECT_EQ(sent[2], "devicemodel");
  const auto polls = std::count(sent.begin(), sent.end(), std::string("devicemodel"));
  EXPECT_GE(polls, 3) << log.output;
  EXPECT_LE(static_cast<DWORD>(polls), 3 + elapsed / 400) << log.output;

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.waitForExit(), 0u);
  const auto journal = lines(readFile(journal_));
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal.back(), "test_stop");
}

TEST_F(WithSimulatedDevice, AFailingTestStopStillEndsTheProgram) {
  harness::Program program;
  HWND main = program.mainWindow();
  ASSERT_NE(main, nullptr);
  const auto fail = harness::runSimulatorTool(L"--pid " + std::to_wstring(program.pid()) + L" fail test_stop");
  ASSERT_EQ(fail.exitCode, 0u) << fail.output;
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.waitForExit(), 0u);
}

TEST_F(WithSimulatedDevice, UnplugAndPlugShowTheStatus) {
  start();
  ASSERT_EQ(sim(L"demo off"), 0u);
  ASSERT_EQ(sim(L"unplug"), 0u);
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label9") == harness::kNoDevice; }));
  EXPECT_EQ(text(L"Label24"), L"");
  EXPECT_EQ(text(L"Label5"), L"0");
  ASSERT_EQ(sim(L"plug \"Model \\u015e\" S-77"), 0u);
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label24") == L"Cihaz modeli: Model \u015e"; }));
  EXPECT_EQ(text(L"Label25"), L"Seri no: S-77");
  EXPECT_TRUE(harness::screenshot(program_->mainWindow(), L"device-connected"));

  ASSERT_EQ(sim(L"levels 5 12 0 45"), 0u);
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label4") == L"45"; }));
  EXPECT_EQ(SendMessageW(program_->control(L"ProgressBar2"), PBM_GETPOS, 0, 0), 12);
  EXPECT_EQ(SendMessageW(program_->control(L"ProgressBar4"), PBM_GETPOS, 0, 0), 30);
  PostMessageW(program_->mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program_->waitForExit(), 0u);
}

TEST_F(WithSimulatedDevice, CallsFillTheListCounterClipboardAndBalloon) {
  start();
  ASSERT_EQ(sim(L"demo off"), 0u);
  SendMessageW(program_->control(L"BipBox"), BM_CLICK, 0, 0);  // quiet while the list fills
  for (int i = 1; i <= 12; ++i) {
    const std::wstring number = L"\"0532 000 00 " + std::wstring(i < 10 ? L"0" : L"") + std::to_wstring(i) + L"\"";
    ASSERT_EQ(sim(L"call 1 " + number), 0u);
  }
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label5") == L"12"; })) << harness::utf8(text(L"Label5"));
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"0532 000 00 12"; })) << harness::utf8(harness::clipboardText());
  harness::waitFor([] { return false; }, std::chrono::milliseconds(1500));  // the balloon fades in
  EXPECT_TRUE(harness::screenshot(GetDesktopWindow(), L"calls-balloon"));

  // The tone of line 3: 1600 Hz for 50 ms, captured from the sound output.
  const std::wstring path = harness::toneCapture();
  ASSERT_FALSE(path.empty()) << "no sound capture set up";
  const std::uint64_t before = harness::captureEnd(path);
  SendMessageW(program_->control(L"BipBox"), BM_CLICK, 0, 0);
  ASSERT_EQ(sim(L"call 3 0212"), 0u);
  const auto tones = harness::tonesSince(path, before, 1, std::chrono::seconds(20));
  ASSERT_EQ(tones.size(), 1u);
  EXPECT_EQ(harness::toneFrequency(tones[0]), 1600);
  PostMessageW(program_->mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program_->waitForExit(), 0u);
}

}  // namespace
