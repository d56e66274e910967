// A monitor runs for weeks unattended on strings and events from a device it does not control.
// Here the program, with the simulated device, goes through a long run of calls, level updates
// and lost connections, and through the faults a desktop can throw at it; each test says what
// the user must see. What the process holds is read from inside it, by the simulated control
// (`korvansim resources`): under Wine another process reads 0 for its GDI objects.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <initializer_list>
#include <map>
#include <optional>
#include <sstream>
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
using testkit::readFile;

const std::wstring kFilesMissing = L"Dosyalar eksik.";
const std::wstring kCompleteSetup = L"Kurulumu tamamlay\u0131n\u0131z.";

// How many lines of the text are `line`; without it, how many lines it has.
size_t countLines(const std::string& text, const std::optional<std::string>& line = std::nullopt) {
  size_t n = 0;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) n += !line || l == *line;
  return n;
}

std::vector<std::wstring> split(const std::wstring& text, const std::wstring& separator) {
  std::vector<std::wstring> parts;
  size_t pos = 0;
  for (size_t next; (next = text.find(separator, pos)) != std::wstring::npos; pos = next + separator.size())
    parts.push_back(text.substr(pos, next - pos));
  parts.push_back(text.substr(pos));
  return parts;
}

class Robustness : public harness::SimulatedDeviceTest {
 protected:
  Robustness() : SimulatedDeviceTest(L"robustness-journal.txt") {}

  // What the program's process holds, by name: gdi, gdiLive, user, handles, handlesLive,
  // workingSet, peakWorkingSet, committedPrivate, heapInUse, heapBlocks (korvansim's usage text
  // says how each is read).
  std::map<std::string, long long> resources() {
    std::map<std::string, long long> out;
    std::istringstream in(simulator(L"resources").output);
    std::string name;
    long long value = 0;
    while (in >> name >> value) out[name] = value;
    return out;
  }
  void closeCleanly() {
    PostMessageW(program_->mainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->waitForExit(), 0u) << "the program did not end cleanly";
  }

  // The call list as Ctrl+C copies it, all of it selected by real keys.
  std::vector<std::wstring> copiedList() {
    HWND grid = program_->control(L"CellGrid1");
    RECT r;
    GetWindowRect(grid, &r);
    harness::movePointer({r.left + 20, r.top + 30});  // a cell of the first row
    harness::mouseButton(MOUSEEVENTF_LEFTDOWN);
    harness::mouseButton(MOUSEEVENTF_LEFTUP);
    harness::waitFor([&] { return GetForegroundWindow() == program_->mainWindow(); }, 2s);
    harness::setClipboardText(L"");
    harness::pressKeys({VK_HOME}, false, true);
    harness::pressKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT,
               VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT},
              true);
    harness::pressKeys({'C'}, false, true);
    std::wstring copied;
    harness::waitFor([&] { return (copied = harness::clipboardText()).size() > 10; }, 5s);
    auto lines = split(copied, L"\r\n");
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }
};

// ---- soak ----

// A long run of one kind of event, as weeks of use bring them. Afterwards the window answers
// at once, shows the right list, counter and bars, and holds no more handles and GDI objects
// than after start-up (within 5), nor more memory in its heaps than a few hundred blocks and
// 64 KB beyond what the simulated control's own log keeps: something kept per event would add
// ten thousand blocks. The working set is not what tells: Wine's heaps keep the pages a peak
// of work once needed. The figures are printed for the record.
class Soak : public Robustness {
 protected:
  // Start-up is over once the window has handled a call and shown a balloon: both create what
  // they keep for the rest of the run.
  void startUp() {
    startConnected();
    setCheck(L"BipBox", false);  // the tone has its own tests; thousands of tones would only queue up
    ASSERT_EQ(sim(L"call 1 warm"), 0u);
    ASSERT_TRUE(counterReaches(L"1"));
    harness::waitFor([] { return false; }, 1s);
    before_ = resources();
    logBefore_ = logEntries();
  }
  // The simulated control lives in the program's process and logs every command it gets (the
  // status polls), a string and a share of its queue each: its journal has a line for each.
  size_t logEntries() { return countLines(readFile(journal_)); }
  void checkResources(const char* soak) {
    EXPECT_TRUE(harness::answers(program_->mainWindow())) << "the window does not answer within a second";
    harness::waitFor([] { return false; }, 1s);
    const auto after = resources();
    for (const auto& [name, value] : before_)
      std::printf("%s: %s %lld after start-up, %lld after\n", soak, name.c_str(), value, after.at(name));
    // Wine keeps no count of GDI objects or handles: the control works them out (gdiLive,
    // handlesLive) where the system's count is 0.
    const char* gdi = before_.at("gdi") > 0 ? "gdi" : "gdiLive";
    const char* handles = before_.at("handles") > 0 ? "handles" : "handlesLive";
    EXPECT_LE(after.at(gdi), before_.at(gdi) + 5) << gdi;
    EXPECT_LE(after.at(handles), before_.at(handles) + 5) << handles;
    const long long logged = static_cast<long long>(logEntries() - logBefore_);
    std::printf("%s: %lld commands logged by the simulated control\n", soak, logged);
    EXPECT_LE(after.at("heapBlocks"), before_.at("heapBlocks") + 500 + 2 * logged) << "blocks kept in the heaps";
    EXPECT_LE(after.at("heapInUse"), before_.at("heapInUse") + 64 * 1024 + 128 * logged) << "bytes kept in the heaps";
  }
  std::map<std::string, long long> before_;
  size_t logBefore_ = 0;
};

TEST_F(Soak, TenThousandCalls) {
  startUp();
  // Calls 2 to 10,001 with the numbers P1 to P10000.
  ASSERT_EQ(sim(L"calls 10000 1 P"), 0u);
  EXPECT_TRUE(harness::waitForCount([&] { return std::wcstoll(text(L"Label5").c_str(), nullptr, 10); }, 10001, 30s))
      << "counter at " << harness::utf8(text(L"Label5"));
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"P10000"; }))
      << harness::utf8(harness::clipboardText());
  const auto list = copiedList();
  ASSERT_EQ(list.size(), 11u) << harness::utf8(harness::clipboardText());
  for (int row = 0; row < 11; ++row) {
    const auto cells = split(list[row], L"\t");
    ASSERT_EQ(cells.size(), 6u) << harness::utf8(list[row]);
    EXPECT_EQ(cells[0], std::to_wstring(9991 + row));
    EXPECT_EQ(cells[1], L"1");
    EXPECT_EQ(cells[2], L"P" + std::to_wstring(9990 + row));
    EXPECT_EQ(cells[4], L"KV4-0193527");
  }
  checkResources("soak of 10,000 calls");
  EXPECT_TRUE(harness::screenshot(program_->mainWindow(), L"robustness-after-calls"));
  closeCleanly();
}

// 10,000 level updates, and meanwhile 100 times the device gone and back, each seen at a
// status poll: the cells go blank and the count starts again. Afterwards the bars show the
// last update, the rows stay (blank) and the next call is numbered 1.
TEST_F(Soak, TenThousandLevelUpdatesAndAHundredUnplugAndPlugCycles) {
  startUp();
  const size_t pollsBefore = countLines(readFile(journal_), "devicemodel");
  ASSERT_EQ(sim(L"replug 100"), 0u);
  ASSERT_EQ(sim(L"levelstorm 10000"), 0u);  // the last update is 11 22 33 44
  // 200 polls, each 500 ms after the end of the one before, take 100 s at best; the storm and a
  // loaded machine stretch that several times.
  EXPECT_TRUE(harness::waitForCount(
      [&] { return static_cast<long long>(countLines(readFile(journal_), "devicemodel")); },
      static_cast<long long>(pollsBefore + 200), 30s));
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label4") == L"44"; }, 250s)) << harness::utf8(text(L"Label4"));
  const wchar_t* labels[] = {L"Label1", L"Label2", L"Label3", L"Label4"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(text(labels[i]), std::to_wstring(11 * (i + 1)));
    const std::wstring bar = L"ProgressBar" + std::to_wstring(i + 1);
    HWND hwnd = program_->control(bar.c_str());
    const LRESULT top = SendMessageW(hwnd, PBM_GETRANGE, FALSE, 0);  // a level beyond it fills the bar
    EXPECT_EQ(SendMessageW(hwnd, PBM_GETPOS, 0, 0), std::min<LRESULT>(11 * (i + 1), top)) << harness::utf8(bar);
  }
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label9") == kConnected; }));
  EXPECT_EQ(text(L"Label5"), L"0");
  ASSERT_EQ(sim(L"call 2 after"), 0u);
  EXPECT_TRUE(counterReaches(L"1"));
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"after"; }));
  const auto list = copiedList();
  ASSERT_EQ(list.size(), 2u) << harness::utf8(harness::clipboardText());
  EXPECT_EQ(list[0], L"\t\t\t\t\t") << "the call before the cycles is blank";
  EXPECT_EQ(split(list[1], L"\t")[2], L"after");
  checkResources("soak of 10,000 level updates and 100 unplug/plug cycles");
  closeCleanly();
}

// ---- faults ----

// With the clipboard held open by another program when a call arrives, the call is still
// listed and the window keeps answering; that call's copy is given up, and the next call,
// once the clipboard is free, copies normally.
TEST_F(Robustness, ClipboardHeldByAnotherProgramWhenACallArrives) {
  startConnected();
  setCheck(L"BipBox", false);
  harness::setClipboardText(L"held");
  ASSERT_TRUE(OpenClipboard(nullptr));
  const ULONGLONG held = GetTickCount64();
  ASSERT_EQ(sim(L"call 1 0312"), 0u);
  EXPECT_TRUE(counterReaches(L"1"));
  while (GetTickCount64() - held < 8000) {
    EXPECT_TRUE(harness::answers(program_->mainWindow())) << "the window stopped answering while the clipboard was held";
    harness::waitFor([] { return false; }, 500ms);
  }
  CloseClipboard();
  EXPECT_EQ(harness::clipboardText(), L"held") << "the copy was given up";
  ASSERT_EQ(sim(L"call 1 0216"), 0u);
  EXPECT_TRUE(counterReaches(L"2"));
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"0216"; })) << harness::utf8(harness::clipboardText());
  closeCleanly();
}

struct BalloonSearch {
  HWND found = nullptr;
};
BOOL CALLBACK findBalloon(HWND hwnd, LPARAM lp) {
  wchar_t cls[64];
  if (GetClassNameW(hwnd, cls, 64) && std::wstring(cls) == TOOLTIPS_CLASSW && IsWindowVisible(hwnd) &&
      (GetWindowLongW(hwnd, GWL_STYLE) & TTS_BALLOON)) {
    reinterpret_cast<BalloonSearch*>(lp)->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

std::wstring balloonText() {
  BalloonSearch search;
  EnumWindows(findBalloon, reinterpret_cast<LPARAM>(&search));
  return search.found ? harness::windowText(search.found) : L"";
}

// A number with a zero, a tab or a line break in it: listed, copied and alerted with each
// control character as "?", and a copy of the whole list loses nothing after it.
TEST_F(Robustness, ControlCharactersFromTheDeviceShowAsQuestionMarks) {
  startConnected();
  setCheck(L"BipBox", false);
  ASSERT_EQ(sim(L"call 3 \\u0000zz"), 0u);
  EXPECT_TRUE(counterReaches(L"1"));
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"?zz"; })) << harness::utf8(harness::clipboardText());
  EXPECT_TRUE(harness::waitFor([] { return balloonText() == L"?zz"; }, 10s)) << harness::utf8(balloonText());
  harness::screenshot(GetDesktopWindow(), L"robustness-balloon-control-characters");
  ASSERT_EQ(sim(L"call 1 a\\u0009b"), 0u);
  ASSERT_EQ(sim(L"call 1 c\\u000Ad"), 0u);
  EXPECT_TRUE(counterReaches(L"3"));
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"c?d"; })) << harness::utf8(harness::clipboardText());
  const auto list = copiedList();
  ASSERT_EQ(list.size(), 3u) << harness::utf8(harness::clipboardText());
  const wchar_t* numbers[] = {L"?zz", L"a?b", L"c?d"};
  for (int row = 0; row < 3; ++row) {
    const auto cells = split(list[row], L"\t");
    ASSERT_EQ(cells.size(), 6u) << harness::utf8(list[row]);
    EXPECT_EQ(cells[0], std::to_wstring(row + 1));
    EXPECT_EQ(cells[2], numbers[row]);
  }
  closeCleanly();
}

// Every command failing from the start: the set-up fails like a missing installation (its
// texts show), the status polls fail quietly, the window stays usable and closes cleanly.
TEST_F(Robustness, EveryDeviceCommandFailingFromTheStart) {
  SetEnvironmentVariableW(L"KORVANSIM_FAIL_ALL", L"1");
  start();
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label22") == kFilesMissing; })) << harness::utf8(text(L"Label22"));
  EXPECT_EQ(text(L"Label9"), kCompleteSetup);
  EXPECT_TRUE(harness::waitFor([&] { return countLines(readFile(journal_), "devicemodel") >= 3; }))
      << "the polls go on";
  EXPECT_EQ(text(L"Label9"), kCompleteSetup);
  EXPECT_TRUE(harness::answers(program_->mainWindow()));
  setCheck(L"PanoBox", false);  // the window takes input
  closeCleanly();
  EXPECT_EQ(countLines(readFile(journal_), "test_stop"), 1u) << "the close still tells the device";
}

// Every command failing while the program runs: the status stays as it was, calls are still
// listed, the window answers and closes cleanly.
TEST_F(Robustness, EveryDeviceCommandFailingWhileRunning) {
  startConnected();
  setCheck(L"BipBox", false);
  ASSERT_EQ(sim(L"failall on"), 0u);
  const size_t polls = countLines(readFile(journal_), "devicemodel");
  EXPECT_TRUE(harness::waitFor([&] { return countLines(readFile(journal_), "devicemodel") >= polls + 3; }));
  EXPECT_EQ(text(L"Label9"), kConnected);
  ASSERT_EQ(sim(L"call 1 0312"), 0u);
  EXPECT_TRUE(counterReaches(L"1"));
  EXPECT_TRUE(harness::answers(program_->mainWindow()));
  closeCleanly();
  const std::string journal = readFile(journal_);
  EXPECT_EQ(journal.substr(journal.size() - std::string("test_stop\n").size()), "test_stop\n");
}

// Events raised while the window is being created: those that come while the control is
// being connected, before the window has bound its handlers, are dropped; those raised inside
// StartMonitoring are handled like any other. The window opens and works.
TEST_F(Robustness, EventsRaisedWhileTheWindowIsCreated) {
  SetEnvironmentVariableW(L"KORVANSIM_EARLY_EVENTS", L"3");
  start();
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label9") == kConnected; })) << harness::utf8(text(L"Label9"));
  EXPECT_EQ(text(L"Label5"), L"3");
  EXPECT_EQ(text(L"Label1"), L"5");
  EXPECT_EQ(text(L"Label4"), L"8");
  EXPECT_EQ(SendMessageW(program_->control(L"ProgressBar4"), PBM_GETPOS, 0, 0), 8);
  EXPECT_TRUE(harness::waitFor([] { return harness::clipboardText() == L"start3"; })) << harness::utf8(harness::clipboardText());
  ASSERT_EQ(sim(L"demo off"), 0u);
  setCheck(L"BipBox", false);
  ASSERT_EQ(sim(L"call 1 later"), 0u);
  EXPECT_TRUE(counterReaches(L"4"));
  closeCleanly();
}

// A control registered but whose file has gone (a half-removed installation): the start-up
// failure texts, and a clean close.
TEST_F(Robustness, ARegisteredControlWhoseFileIsMissing) {
  const std::wstring moved = harness::outDir() + L"\\korvansim-moved.dll";
  ASSERT_TRUE(CopyFileW((harness::binDir() + L"\\korvansim.dll").c_str(), moved.c_str(), FALSE));
  {
    HMODULE dll = LoadLibraryW(moved.c_str());
    ASSERT_NE(dll, nullptr);
    using Register = HRESULT(__stdcall*)();
    auto reg = reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    ASSERT_TRUE(reg && SUCCEEDED(reg()));
    FreeLibrary(dll);
  }
  ASSERT_TRUE(DeleteFileW(moved.c_str()));
  start();
  EXPECT_TRUE(harness::waitFor([&] { return text(L"Label22") == kFilesMissing; })) << harness::utf8(text(L"Label22"));
  EXPECT_EQ(text(L"Label9"), kCompleteSetup);
  EXPECT_EQ(text(L"Label5"), L"");
  EXPECT_TRUE(harness::answers(program_->mainWindow()));
  closeCleanly();
  ASSERT_TRUE(harness::registerSimulator());
}

// No audio device: a call with the tone on is handled at once; no tone is written and nothing
// waits for one. Wine's audio drivers are switched off for this program only (registry,
// read when the program starts), and switched back after.
TEST_F(Robustness, NoAudioDevice) {
  const std::wstring capture = harness::toneCapture();
  ASSERT_FALSE(capture.empty()) << "no sound capture set up";
  HKEY drivers = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &drivers, nullptr),
            ERROR_SUCCESS);
  const wchar_t none[] = L"";
  ASSERT_EQ(RegSetValueExW(drivers, L"Audio", 0, REG_SZ, reinterpret_cast<const BYTE*>(none), sizeof none), ERROR_SUCCESS);
  struct Restore {
    HKEY key;
    ~Restore() {
      RegDeleteValueW(key, L"Audio");
      RegCloseKey(key);
    }
  } restore{drivers};
  // The fault is in place: a program started now finds no wave output.
  if (HMODULE winmm = LoadLibraryW(L"winmm.dll")) {
    using Count = UINT(WINAPI*)();
    auto count = reinterpret_cast<Count>(reinterpret_cast<void*>(GetProcAddress(winmm, "waveOutGetNumDevs")));
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count(), 0u) << "Wine still finds an audio device";
  }

  startConnected();
  setCheck(L"BipBox", true);
  const std::uint64_t before = harness::captureEnd(capture);
  for (int i = 1; i <= 5; ++i) {
    ASSERT_EQ(sim(L"call " + std::to_wstring(i % 4 + 1) + L" 0312" + std::to_wstring(i)), 0u);
    EXPECT_TRUE(counterReaches(std::to_wstring(i), 5s)) << "call " << i;
    EXPECT_TRUE(harness::answers(program_->mainWindow()));
  }
  harness::waitFor([] { return false; }, 1s);
  EXPECT_TRUE(harness::tonesIn(harness::capturedSamples(capture, before)).empty()) << "a tone was played without an audio device";
  closeCleanly();
}

}  // namespace
