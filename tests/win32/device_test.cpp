// The program with the simulated device control: what it sends to the device at start-up,
// while running and on its way out, read back through the simulator.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

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

// The same program against a control as exacting as framework-made ones: each strict switch
// alone, then all of them together.
class WithStrictDevice : public harness::SimulatedDeviceTest, public ::testing::WithParamInterface<const wchar_t*> {
 protected:
  WithStrictDevice() : SimulatedDeviceTest(L"strict-device-journal.txt") {}
};

TEST_P(WithStrictDevice, StartsTakesCallsAndLevelsFollowsThePlugAndStopsOnClose) {
  SetEnvironmentVariableW(L"KORVANSIM_STRICT", GetParam());
  startConnected();
  exerciseDevice();
  closeAndExpectTestStop();
}

INSTANTIATE_TEST_SUITE_P(Switches, WithStrictDevice,
                         ::testing::Values(L"sitefirst", L"initfirst", L"worker", L"usermode", L"dispatchonly",
                                           L"sitefirst,initfirst,worker,usermode,dispatchonly"));

// A failing step shows only the start-up texts; the debugger output says which step and why.
TEST_F(WithSimulatedDevice, AFailedStartIsToldToTheDebuggerOutputOnly) {
  harness::DebugOutput debug;
  ASSERT_TRUE(debug.listening());
  SetEnvironmentVariableW(L"KORVANSIM_FAIL_ALL", L"1");
  start();
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label22") == L"Dosyalar eksik."; })) << harness::utf8(text(L"Label22"));
  const auto said = [&] {
    for (const auto& line : debug.linesOf(program_->pid())) {
      if (line.find("ExecuteCommand(test) failed (0x80004005)") != std::string::npos) return true;
    }
    return false;
  };
  EXPECT_TRUE(harness::waitFor(said, std::chrono::seconds(5)));
  PostMessageW(program_->mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program_->waitForExit(), 0u);
}

// Whether a process of that program file name runs.
bool running(const wchar_t* exe) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
    found = _wcsicmp(entry.szExeFile, exe) == 0;
  }
  CloseHandle(snapshot);
  return found;
}

// The simulator as a local server: the program's calls and the control's events cross
// processes. With the type library's proxy registered the interface table marshals; without
// it the program calls the two methods by name through IDispatch.
class WithLocalServer : public harness::SimulatedDeviceTest, public ::testing::WithParamInterface<bool> {
 protected:
  WithLocalServer() : SimulatedDeviceTest(L"local-server-journal.txt") { controlInProgram_ = false; }

  void SetUp() override {
    SimulatedDeviceTest::SetUp();
    const auto registered = harness::runSimulatorTool(L"/RegServer", server_);
    ASSERT_EQ(registered.exitCode, 0u) << registered.output;
    // With the in-process server gone, COM starts the local one.
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER}) {
      const std::wstring classes = root == HKEY_CLASSES_ROOT ? L"" : L"Software\\Classes\\";
      RegDeleteTreeW(root, (classes + L"CLSID\\{EEA18052-171F-4293-8598-AB6E1D7257B2}\\InprocServer32").c_str());
    }
    if (!GetParam()) RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Interface\\{0A16189E-10E9-4A76-8D2D-0A8F1AD4729A}");
  }
  void TearDown() override {
    harness::runSimulatorTool(L"/UnregServer", server_);
    EXPECT_TRUE(harness::registerSimulator());
    SimulatedDeviceTest::TearDown();
  }

  const std::wstring server_ = harness::binDir() + L"\\korvansimsrv.exe";
};

TEST_P(WithLocalServer, StartsTakesCallsAndLevelsFollowsThePlugAndStopsOnClose) {
  harness::DebugOutput debug;
  start();
  // The first activation in a new prefix waits for Wine's RPC service to start.
  ASSERT_TRUE(harness::waitFor([&] { return text(L"Label9") == harness::kConnected; }, std::chrono::seconds(60)))
      << harness::utf8(text(L"Label9")) << " / " << harness::utf8(text(L"Label22"));
  EXPECT_TRUE(running(L"korvansimsrv.exe"));
  const auto said = debug.linesOf(program_->pid());
  const bool byName = std::any_of(said.begin(), said.end(), [](const std::string& line) {
    return line.find("calling by name") != std::string::npos;
  });
  EXPECT_EQ(byName, !GetParam());
  ASSERT_EQ(sim(L"demo off"), 0u);
  exerciseDevice();
  closeAndExpectTestStop();
  // The server ends with its last control.
  EXPECT_TRUE(harness::waitFor([] { return !running(L"korvansimsrv.exe"); }, std::chrono::seconds(10)));
}

INSTANTIATE_TEST_SUITE_P(Proxy, WithLocalServer, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "InterfaceTable" : "ByName"; });

}  // namespace
