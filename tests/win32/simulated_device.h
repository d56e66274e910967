// The program with the simulated device control, for tests that drive it end to end: the
// simulator registered, its journal in a file of the test's own under out/, the
// demonstration's own calls kept out of the counts, and the simulator's command line aimed at
// the running program.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <utility>

#include "harness.h"
#include "read_file.h"

namespace harness {

class SimulatedDeviceTest : public ::testing::Test {
 protected:
  // journalName: the journal's file under out/, the test's name added before its extension.
  explicit SimulatedDeviceTest(std::wstring journalName) : journalName_(std::move(journalName)) {}

  void SetUp() override {
    ASSERT_TRUE(registerSimulator()) << "korvansim.dll could not be registered";
    // One journal per test: the tests of one program may run side by side (ctest entries by
    // filter), and a journal another test writes to or deletes would break the counts.
    std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    // A parameterised test's name ends in "/N", which a file name cannot hold.
    std::replace(test.begin(), test.end(), '/', '_');
    std::wstring name = journalName_;
    name.insert(std::min(name.rfind(L'.'), name.size()), L"-" + std::wstring(test.begin(), test.end()));
    journal_ = outDir() + L"\\" + name;
    DeleteFileW(journal_.c_str());
    SetEnvironmentVariableW(L"KORVANSIM_JOURNAL", journal_.c_str());
    // The demonstration's first call would race the tests' counts.
    SetEnvironmentVariableW(L"KORVANSIM_DEMO", L"off");
  }
  void TearDown() override {
    for (const wchar_t* name : {L"KORVANSIM_JOURNAL", L"KORVANSIM_FAIL_ALL", L"KORVANSIM_EARLY_EVENTS", L"KORVANSIM_DEMO",
                               L"KORVANSIM_STRICT"})
      SetEnvironmentVariableW(name, nullptr);
  }

  void start() {
    program_.emplace();
    ASSERT_NE(program_->mainWindow(), nullptr);
  }
  // Started, connected, the demonstration's own calls and levels stopped.
  void startConnected() {
    start();
    ASSERT_TRUE(waitFor([&] { return text(L"Label9") == kConnected; })) << utf8(text(L"Label9"));
    ASSERT_EQ(sim(L"demo off"), 0u);
  }
  // A simulator command for the running program; a failure is reported with its output.
  DWORD sim(const std::wstring& arguments) { return simulator(arguments).exitCode; }
  ToolResult simulator(const std::wstring& arguments) {
    // A control served out of process is found in its server, the one process that hosts one.
    const std::wstring target = controlInProgram_ ? L"--pid " + std::to_wstring(program_->pid()) + L" " : L"";
    auto run = runSimulatorTool(target + arguments);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    return run;
  }
  std::wstring text(const wchar_t* control) { return windowText(program_->control(control)); }
  bool counterReaches(const std::wstring& value, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    return waitFor([&] { return text(L"Label5") == value; }, limit);
  }
  void setCheck(const wchar_t* box, bool checked) {
    HWND hwnd = program_->control(box);
    ASSERT_NE(hwnd, nullptr);
    if ((SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) SendMessageW(hwnd, BM_CLICK, 0, 0);
    ASSERT_EQ(SendMessageW(hwnd, BM_GETCHECK, 0, 0), checked ? BST_CHECKED : BST_UNCHECKED);
  }

  // A call, levels, the device unplugged and plugged again, each seen on the main window.
  void exerciseDevice() {
    SendMessageW(program_->control(L"BipBox"), BM_CLICK, 0, 0);  // quiet
    ASSERT_EQ(sim(L"call 3 \"0216 555 44 33\""), 0u);
    EXPECT_TRUE(counterReaches(L"1"));
    EXPECT_TRUE(waitFor([] { return clipboardText() == L"0216 555 44 33"; })) << utf8(clipboardText());
    ASSERT_EQ(sim(L"levels 9 8 7 6"), 0u);
    EXPECT_TRUE(waitFor([&] { return text(L"Label4") == L"6"; }));
    EXPECT_EQ(text(L"Label1"), L"9");
    ASSERT_EQ(sim(L"unplug"), 0u);
    EXPECT_TRUE(waitFor([&] { return text(L"Label9") == kNoDevice; }));
    ASSERT_EQ(sim(L"plug"), 0u);
    EXPECT_TRUE(waitFor([&] { return text(L"Label9") == kConnected; }));
  }
  // Closed from its window: the program ends, and the device's journal (written by whichever
  // process hosts the control) ends with "test_stop".
  void closeAndExpectTestStop() {
    PostMessageW(program_->mainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->waitForExit(), 0u);
    std::string last;
    EXPECT_TRUE(waitFor([&] {
      const auto journal = testkit::lines(testkit::readFile(journal_));
      last = journal.empty() ? "" : journal.back();
      return last == "test_stop";
    }, std::chrono::seconds(10))) << last;
  }

  std::wstring journal_;
  std::optional<Program> program_;
  bool controlInProgram_ = true;

 private:
  std::wstring journalName_;
};

}  // namespace harness
