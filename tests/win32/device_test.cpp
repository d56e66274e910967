// The program with the simulated device control: what it sends to the device at start-up,
// while running and on its way out, read back through the simulator.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

#include "harness.h"

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

std::string readFile(const std::wstring& path) {
  std::string text;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
  CloseHandle(file);
  return text;
}

class WithSimulatedDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(harness::registerSimulator()) << "korvansim.dll could not be registered";
    journal_ = harness::outDir() + L"\\device-journal.txt";
    DeleteFileW(journal_.c_str());
    SetEnvironmentVariableW(L"KORVANSIM_JOURNAL", journal_.c_str());
    SetEnvironmentVariableW(L"KORVANSIM_DEMO", L"off");  // its first call would race the counts
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"KORVANSIM_JOURNAL", nullptr);
    SetEnvironmentVariableW(L"KORVANSIM_DEMO", nullptr);
  }
  std::wstring journal_;
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
  harness::Program program;
  ASSERT_NE(program.mainWindow(), nullptr);
  const std::wstring pid = L"--pid " + std::to_wstring(program.pid()) + L" ";
  ASSERT_EQ(harness::runSimulatorTool(pid + L"demo off").exitCode, 0u);
  ASSERT_EQ(harness::runSimulatorTool(pid + L"unplug").exitCode, 0u);
  EXPECT_TRUE(harness::waitFor([&] {
    return harness::windowText(program.control(L"Label9")) == L"Cihaz ba\u011flant\u0131s\u0131 sa\u011flanamad\u0131";
  }));
  EXPECT_EQ(harness::windowText(program.control(L"Label24")), L"");
  EXPECT_EQ(harness::windowText(program.control(L"Label5")), L"0");
  ASSERT_EQ(harness::runSimulatorTool(pid + L"plug \"Model \\u015e\" S-77").exitCode, 0u);
  EXPECT_TRUE(harness::waitFor(
      [&] { return harness::windowText(program.control(L"Label24")) == L"Cihaz modeli: Model \u015e"; }));
  EXPECT_EQ(harness::windowText(program.control(L"Label25")), L"Seri no: S-77");
  EXPECT_TRUE(harness::screenshot(program.mainWindow(), L"device-connected"));

  ASSERT_EQ(harness::runSimulatorTool(pid + L"levels 5 12 0 45").exitCode, 0u);
  EXPECT_TRUE(harness::waitFor([&] { return harness::windowText(program.control(L"Label4")) == L"45"; }));
  EXPECT_EQ(SendMessageW(program.control(L"ProgressBar2"), PBM_GETPOS, 0, 0), 12);
  EXPECT_EQ(SendMessageW(program.control(L"ProgressBar4"), PBM_GETPOS, 0, 0), 30);
  PostMessageW(program.mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.waitForExit(), 0u);
}

TEST_F(WithSimulatedDevice, CallsFillTheListCounterClipboardAndBalloon) {
  harness::Program program;
  ASSERT_NE(program.mainWindow(), nullptr);
  const std::wstring pid = L"--pid " + std::to_wstring(program.pid()) + L" ";
  ASSERT_EQ(harness::runSimulatorTool(pid + L"demo off").exitCode, 0u);
  SendMessageW(program.control(L"BipBox"), BM_CLICK, 0, 0);  // quiet while the list fills
  for (int i = 1; i <= 12; ++i) {
    const std::wstring number = L"\"0532 000 00 " + std::wstring(i < 10 ? L"0" : L"") + std::to_wstring(i) + L"\"";
    ASSERT_EQ(harness::runSimulatorTool(pid + L"call 1 " + number).exitCode, 0u);
  }
  EXPECT_TRUE(harness::waitFor([&] { return harness::windowText(program.control(L"Label5")) == L"12"; }))
      << harness::utf8(harness::windowText(program.control(L"Label5")));
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"0532 000 00 12"; })) << harness::utf8(harness::clipboardText());
  harness::waitFor([] { return false; }, std::chrono::milliseconds(1500));  // the balloon fades in
  EXPECT_TRUE(harness::screenshot(GetDesktopWindow(), L"calls-balloon"));

  // The tone of line 3: 1600 Hz for 50 ms, captured from the sound output.
  wchar_t capture[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableW(L"ZELVORA_TONE_CAPTURE", capture, MAX_PATH), 0u) << "no sound capture set up";
  std::wstring path = capture;
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  const size_t before = readFile(path).size();
  SendMessageW(program.control(L"BipBox"), BM_CLICK, 0, 0);
  ASSERT_EQ(harness::runSimulatorTool(pid + L"call 3 0212").exitCode, 0u);
  std::string tone;
  EXPECT_TRUE(harness::waitFor([&] {
    tone = readFile(path);
    return tone.size() >= before + 8820;
  })) << tone.size() - before;
  if (tone.size() >= before + 8820) {
    int crossings = 0;
    const auto* samples = reinterpret_cast<const int32_t*>(tone.data() + before);
    for (int i = 1; i < 2205; ++i) crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    EXPECT_EQ((crossings + 1) * 10, 1600);
  }
  PostMessageW(program.mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.waitForExit(), 0u);
}

}  // namespace
