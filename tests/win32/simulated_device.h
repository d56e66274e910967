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

namespace harness {

class SimulatedDeviceTest : public ::testing::Test {
 protected:
  // journalName: the journal's file under out/, the test's name added before its extension.
  explicit SimulatedDeviceTest(std::wstring journalName) : journalName_(std::move(journalName)) {}

  void SetUp() override {
    ASSERT_TRUE(registerSimulator()) << "korvansim.dll could not be registered";
    // One journal per test: the tests of one program may run side by side (ctest entries by
    // filter), and a journal another test writes to or deletes would break the counts.
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::wstring name = journalName_;
    name.insert(std::min(name.rfind(L'.'), name.size()), L"-" + std::wstring(test.begin(), test.end()));
    journal_ = outDir() + L"\\" + name;
    DeleteFileW(journal_.c_str());
    SetEnvironmentVariableW(L"KORVANSIM_JOURNAL", journal_.c_str());
    // The demonstration's first call would race the tests' counts.
    SetEnvironmentVariableW(L"KORVANSIM_DEMO", L"off");
  }
  void TearDown() override {
    for (const wchar_t* name : {L"KORVANSIM_JOURNAL", L"KORVANSIM_FAIL_ALL", L"KORVANSIM_EARLY_EVENTS", L"KORVANSIM_DEMO"})
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
    auto run = runSimulatorTool(L"--pid " + std::to_wstring(program_->pid()) + L" " + arguments);
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

  std::wstring journal_;
  std::optional<Program> program_;

 private:
  std::wstring journalName_;
};

}  // namespace harness
