// The program as a user meets it when the device control is not installed.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace {

class WithoutDeviceControl : public ::testing::Test {
 protected:
  void SetUp() override { harness::unregisterDeviceControl(); }
};

TEST_F(WithoutDeviceControl, OpensWithTheInstallTextsAndClosesCleanly) {
  harness::Program program;
  ASSERT_NE(program.process(), nullptr) << "Zelvora.exe did not start";
  HWND main = program.mainWindow();
  ASSERT_NE(main, nullptr) << "no main window";
  EXPECT_EQ(harness::windowText(main), L"ZELVORA- TEST");
  EXPECT_EQ(harness::windowText(program.control(L"Label22")), L"Dosyalar eksik.");
  EXPECT_EQ(harness::windowText(program.control(L"Label9")), L"Kurulumu tamamlay\u0131n\u0131z.");
  EXPECT_EQ(harness::windowText(program.control(L"Label5")), L"");
  EXPECT_EQ(harness::windowText(program.control(L"GroupBox2")), L"   Ba\u011flant\u0131 Durumu   ");
  EXPECT_EQ(SendMessageW(program.control(L"PanoBox"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(program.control(L"BipBox"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(program.control(L"ProgressBar1"), PBM_GETRANGE, FALSE, 0), 30);
  harness::waitFor([] { return false; }, std::chrono::milliseconds(500));  // let it paint
  EXPECT_TRUE(harness::screenshot(main, L"startup-without-device"));

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.waitForExit(), 0u);
}

// The program reads no environment variable of its own: the start-up trace that the
// benchmark's build writes is not in it, whatever the environment says.
TEST_F(WithoutDeviceControl, WritesNoStartUpTraceWhateverTheEnvironmentSays) {
  wchar_t folder[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
  const std::wstring trace = std::wstring(folder) + L"zelvora-startup-trace.txt";
  DeleteFileW(trace.c_str());
  SetEnvironmentVariableW(L"ZELVORA_STARTUP_TRACE", trace.c_str());
  {
    harness::Program program;
    SetEnvironmentVariableW(L"ZELVORA_STARTUP_TRACE", nullptr);
    ASSERT_NE(program.mainWindow(), nullptr) << "no main window";
    EXPECT_TRUE(harness::answers(program.mainWindow()));
    PostMessageW(program.mainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(), 0u);
  }
  EXPECT_EQ(GetFileAttributesW(trace.c_str()), INVALID_FILE_ATTRIBUTES) << "a trace was written";
}

TEST_F(WithoutDeviceControl, TwoCopiesRunEachWithItsOwnProcessMutex) {
  harness::Program first;
  harness::Program second;
  ASSERT_NE(first.mainWindow(), nullptr);
  ASSERT_NE(second.mainWindow(), nullptr);
  ASSERT_NE(first.pid(), second.pid());
  for (const harness::Program* p : {&first, &second}) {
    const std::string name = std::to_string(p->pid()) + ".b..1";
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    EXPECT_NE(mutex, nullptr) << name;
    if (mutex) CloseHandle(mutex);
  }
  PostMessageW(first.mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(first.waitForExit(), 0u);
  EXPECT_TRUE(IsWindow(second.mainWindow())) << "closing one copy leaves the other running";
  PostMessageW(second.mainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(second.waitForExit(), 0u);
}

}  // namespace
