// What a screen reader reads and hears from another process, as a screen reader does: the
// running program with the simulated device, read through AccessibleObjectFromWindow and
// watched through SetWinEventHook.
#include <windows.h>
#include <oleacc.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "accessible.h"
#include "cell_grid.h"
#include "cell_grid_access.h"
#include "fw/application.h"
#include "fw/win32/com_ptr.h"
#include "fw/form.h"
#include "fw/text.h"
#include "fw/win32/native.h"
#include "accessibility_test.h"
#include "harness.h"

namespace {

using namespace std::chrono_literals;
using namespace accessibility_client;
using harness::kConnected;
using harness::pressKey;

// The children as objects (a simple child is its parent with a child number).
struct Child {
  ComPtr<IAccessible> object;
  long id = CHILDID_SELF;
};
std::vector<Child> children(IAccessible* acc) {
  long count = 0;
  acc->get_accChildCount(&count);
  std::vector<VARIANT> list(static_cast<size_t>(std::max(count, 0L)));
  long got = 0;
  std::vector<Child> out;
  if (count <= 0 || FAILED(AccessibleChildren(acc, 0, count, list.data(), &got))) return out;
  for (long i = 0; i < got; ++i) {
    Child c;
    if (list[i].vt == VT_DISPATCH && list[i].pdispVal) {
      list[i].pdispVal->QueryInterface(kIIDAccessible, c.object.putVoid());
    } else if (list[i].vt == VT_I4) {
      acc->AddRef();
      c.object = ComPtr<IAccessible>::adopt(acc);
      c.id = list[i].lVal;
    }
    VariantClear(&list[i]);
    if (c.object) out.push_back(std::move(c));
  }
  return out;
}

std::wstring roleText(long role) {
  wchar_t b[128];
  return GetRoleTextW(static_cast<DWORD>(role), b, 128) ? b : std::to_wstring(role);
}

std::wstring stateText(long state) {
  std::wstring s;
  for (int bit = 0; bit < 31; ++bit) {
    if (!(state & (1L << bit))) continue;
    wchar_t b[128];
    if (!GetStateTextW(1u << bit, b, 128)) continue;
    s += (s.empty() ? L"" : L", ") + std::wstring(b);
  }
  return s.empty() ? L"normal" : s;
}

void dump(std::wstring& out, IAccessible* acc, long id, int depth) {
  const Read r = read(acc, childId(id));
  out += std::wstring(static_cast<size_t>(depth) * 2, L' ') + roleText(r.role) + L" \"" + r.name + L"\"";
  if (!r.value.empty()) out += L" value=\"" + r.value + L"\"";
  if (!r.description.empty()) out += L" description=\"" + r.description + L"\"";
  out += L" [" + stateText(r.state) + L"]\n";
  if (id != CHILDID_SELF) return;
  for (const Child& c : children(acc)) dump(out, c.object.get(), c.id, depth + 1);
}

ComPtr<IAccessible> clientObject(HWND hwnd) {
  ComPtr<IAccessible> acc;
  AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIIDAccessible, acc.putVoid());
  return acc;
}

HWND focusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Whether a module is loaded in a process; none when the system cannot tell.
std::optional<bool> moduleLoaded(DWORD pid, const wchar_t* name) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snap == INVALID_HANDLE_VALUE) return std::nullopt;
  MODULEENTRY32W m{};
  m.dwSize = sizeof(m);
  bool any = false, found = false;
  for (BOOL ok = Module32FirstW(snap, &m); ok; ok = Module32NextW(snap, &m)) {
    any = true;
    if (_wcsicmp(m.szModule, name) == 0) found = true;
  }
  CloseHandle(snap);
  if (!any) return std::nullopt;
  return found;
}

// A plain function: 32-bit lambdas are not stdcall.
BOOL CALLBACK collectWindow(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}


// ---------------------------------------------------------------------------------------------
// From another process

class ScreenReader : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(harness::registerSimulator());
    CoInitialize(nullptr);
    events().clear();
    program.emplace();
  }
  void TearDown() override {
    program.reset();
    CoUninitialize();
  }
  DWORD sim(const std::wstring& arguments) {
    const auto run = harness::runSimulatorTool(L"--pid " + std::to_wstring(program->pid()) + L" " + arguments);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    return run.exitCode;
  }
  std::wstring text(const wchar_t* control) { return harness::windowText(program->control(control)); }

  std::optional<harness::Program> program;
};

TEST_F(ScreenReader, ReadsTheMainWindowHearsCallsAndFollowsTheCurrentCell) {
  HWND main = program->mainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(harness::waitFor([&] { return text(L"Label9") == kConnected; }));
  ASSERT_EQ(sim(L"demo off"), 0u);
  ASSERT_EQ(sim(L"levels 5 12 0 30"), 0u);
  ASSERT_TRUE(harness::waitFor([&] { return text(L"Label4") == L"30"; }));
  HWND grid = program->control(L"CellGrid1");
  ASSERT_NE(grid, nullptr);
  WinEventHook hook(program->pid());
  ASSERT_TRUE(hook);

  // Nobody has asked yet: the program has not even loaded oleacc (where the system can tell).
  const auto loadedBefore = moduleLoaded(program->pid(), L"oleacc.dll");
  std::printf("oleacc.dll in the program before the first request: %s\n",
              !loadedBefore ? "cannot tell" : *loadedBefore ? "loaded" : "not loaded");
  if (loadedBefore) {
    EXPECT_FALSE(*loadedBefore) << "oleacc.dll was loaded before any client asked";
  }

  const std::wstring calls[][5] = {
      {L"1", L"0312 111 22 33", L"10.12.2026 14:05:00", L"KV4-1", L"\u0130\u015f yeri"},
      {L"2", L"0532 000 11 22", L"10.12.2026 14:06:10", L"KV4-1", L""},
      {L"4", L"0216 987 65 43", L"10.12.2026 14:07:20", L"KV4-1", L"Ay\u015fe \u00c7a\u011fr\u0131 \u00d6\u011f\u00fc\u0131"},
  };
  // A loaded machine may let the demonstration's first call in before it was stopped: the
  // calls here are counted from wherever the list stands.
  const int base = std::stoi(text(L"Label5"));
  for (int i = 0; i < 3; ++i) {
    if (i == 2) events().clear();
    const auto& c = calls[i];
    ASSERT_EQ(sim(L"call " + c[0] + L" \"" + c[1] + L"\" \"" + c[2] + L"\" " + c[3] + L" \"" + c[4] + L"\""), 0u);
    ASSERT_TRUE(harness::waitFor([&] { return text(L"Label5") == std::to_wstring(base + i + 1); }));
  }
  const int last = base + 2;  // the third call's row

  // The third call: the rows changed, then the new row shows and reads as its cells (Wine has
  // no UI Automation notifications, so these are what a screen reader hears here).
  ASSERT_TRUE(harness::waitFor([&] { return saw(grid, EVENT_OBJECT_NAMECHANGE, rowId(last)); }, 10s))
      << "no name change of the new row";
  {
    const auto seen = eventsOf(grid);
    const auto at = [&](DWORD e, LONG child) {
      return std::find(seen.begin(), seen.end(), std::pair(e, child)) - seen.begin();
    };
    EXPECT_LT(at(EVENT_OBJECT_REORDER, CHILDID_SELF), at(EVENT_OBJECT_SHOW, rowId(last)));
    EXPECT_LT(at(EVENT_OBJECT_SHOW, rowId(last)), at(EVENT_OBJECT_NAMECHANGE, rowId(last)));
    ComPtr<IAccessible> about;
    VARIANT child;
    VariantInit(&child);
    ASSERT_EQ(AccessibleObjectFromEvent(grid, OBJID_CLIENT, rowId(last), about.put(), &child), S_OK);
    const Read row = read(about.get(), child);
    EXPECT_EQ(row.role, ROLE_SYSTEM_ROW);
    EXPECT_EQ(row.name, std::to_wstring(base + 3) + L", 4, " + calls[2][1] + L", " + calls[2][2] + L", KV4-1, " + calls[2][4]);
  }

  // The table: a header row and three rows whose cells are the listed texts.
  ComPtr<IAccessible> table = clientObject(grid);
  ASSERT_TRUE(table) << "the grid gave no object";
  if (const auto loaded = moduleLoaded(program->pid(), L"oleacc.dll")) {
    EXPECT_TRUE(*loaded);
  }
  const Read top = read(table.get());
  EXPECT_EQ(top.role, ROLE_SYSTEM_TABLE);
  EXPECT_EQ(top.name, L"Arayanlar");
  const auto rows = children(table.get());
  ASSERT_EQ(rows.size(), static_cast<size_t>(base) + 4);
  const std::wstring titles[] = {L"S\u0131ra", L"HatNo", L"Arayan numara", L"Zaman", L"Cihaz Seri No", L"Ek bilgi"};
  const auto headers = children(rows[0].object.get());
  ASSERT_EQ(headers.size(), 6u);
  for (int c = 0; c < 6; ++c) {
    const Read h = read(headers[c].object.get(), childId(headers[c].id));
    EXPECT_EQ(h.role, ROLE_SYSTEM_COLUMNHEADER) << c;
    EXPECT_EQ(h.name, titles[c]) << c;
  }
  for (int r = 0; r < 3; ++r) {
    const std::wstring expected[] = {std::to_wstring(base + r + 1), calls[r][0], calls[r][1], calls[r][2], calls[r][3],
                                     calls[r][4]};
    const Child& listed = rows[static_cast<size_t>(base + r + 1)];
    EXPECT_EQ(read(listed.object.get()).role, ROLE_SYSTEM_ROW);
    const auto cells = children(listed.object.get());
    ASSERT_EQ(cells.size(), 6u) << r;
    for (int c = 0; c < 6; ++c) {
      const Read cell = read(cells[c].object.get(), childId(cells[c].id));
      EXPECT_EQ(cell.role, ROLE_SYSTEM_CELL);
      EXPECT_EQ(cell.name, expected[c]) << r << "," << c;
      EXPECT_EQ(cell.value, expected[c]) << r << "," << c;
    }
  }

  // The rest of the window: the bars named by their labels with the numbers shown, the check
  // boxes with their hints. The tree as a client reads it goes to out/ for the note.
  const struct {
    const wchar_t* control;
    std::wstring name, value, description;
  } others[] = {
      {L"ProgressBar1", L"Telefon 1", L"5", L""},
      {L"ProgressBar2", L"Telefon 2", L"12", L""},
      {L"ProgressBar3", L"Telefon 3", L"0", L""},
      {L"ProgressBar4", L"Telefon 4", L"30", L""},
      {L"PanoBox", L"Panoya kopyala", L"", L"Son numara haf\u0131zaya al\u0131n\u0131r"},
      {L"BipBox", L"Sesli uyar\u0131", L"", L"\u00c7a\u011fr\u0131 geldi\u011finde bip sesi"},
  };
  for (const auto& o : others) {
    ComPtr<IAccessible> acc = clientObject(program->control(o.control));
    ASSERT_TRUE(acc) << harness::utf8(o.control);
    const Read r = read(acc.get());
    EXPECT_EQ(r.name, o.name) << harness::utf8(o.control);
    if (!o.value.empty()) {
      EXPECT_EQ(r.value, o.value) << harness::utf8(o.control);
    }
    if (!o.description.empty()) {
      EXPECT_EQ(r.description, o.description) << harness::utf8(o.control);
    }
  }
  std::wstring tree;
  std::vector<HWND> controls;
  EnumChildWindows(main, collectWindow, reinterpret_cast<LPARAM>(&controls));
  const auto readStart = std::chrono::steady_clock::now();
  for (HWND h : controls) {
    if (!IsWindowVisible(h)) continue;
    if (ComPtr<IAccessible> acc = clientObject(h)) dump(tree, acc.get(), CHILDID_SELF, 0);
  }
  const auto readMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - readStart).count();
  std::printf("the main window's tree, %d nodes, read from another process in %lld ms\n",
              static_cast<int>(std::count(tree.begin(), tree.end(), L'\n')), static_cast<long long>(readMs));
  const std::string utf8 = harness::utf8(tree);
  if (FILE* f = _wfopen((harness::outDir() + L"\\accessibility-tree.txt").c_str(), L"wb")) {
    fwrite(utf8.data(), 1, utf8.size(), f);
    fclose(f);
  }

  // The current cell moves with the arrow keys: the cell is selected, then focused.
  // A click on the first cell, found where the table says it is, gives the list the focus. The
  // pointer's messages are posted: injected pointer input comes back from Wine's X server late
  // on a loaded machine, at the pointer's earlier place (see cell_grid_test).
  {
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(table->accLocation(&x, &y, &w, &h, childId(cellId(0, 0))), S_OK);
    POINT at{x + w / 2, y + h / 2};
    ScreenToClient(grid, &at);
    PostMessageW(grid, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    PostMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  }
  ASSERT_TRUE(harness::waitFor([&] { return focusOf(main) == grid; }, 10s))
      << "the grid did not get the focus: " << focusOf(main);
  harness::waitFor([] { return false; }, 200ms);
  events().clear();
  pressKey(VK_DOWN);
  ASSERT_TRUE(harness::waitFor([&] { return saw(grid, EVENT_OBJECT_FOCUS, cellId(0, 1)); }, 10s));
  EXPECT_EQ(eventsOf(grid), (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_SELECTION, cellId(0, 1)},
                                                                 {EVENT_OBJECT_FOCUS, cellId(0, 1)}}));
  {
    ComPtr<IAccessible> about;
    VARIANT child;
    VariantInit(&child);
    ASSERT_EQ(AccessibleObjectFromEvent(grid, OBJID_CLIENT, cellId(0, 1), about.put(), &child), S_OK);
    const Read cell = read(about.get(), child);
    EXPECT_EQ(cell.name, std::to_wstring(2));
    EXPECT_EQ(cell.state & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED), STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED);
  }
  events().clear();
  pressKey(VK_RIGHT);
  ASSERT_TRUE(harness::waitFor([&] { return saw(grid, EVENT_OBJECT_FOCUS, cellId(1, 1)); }, 10s));
  EXPECT_EQ(eventsOf(grid), (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_SELECTION, cellId(1, 1)},
                                                                 {EVENT_OBJECT_FOCUS, cellId(1, 1)}}));

  // Tab goes through the controls in the layout's order and comes back to the list.
  const wchar_t* order[] = {L"PanoBox", L"BipBox", L"CellGrid1"};
  for (const wchar_t* name : order) {
    pressKey(VK_TAB);
    EXPECT_TRUE(harness::waitFor([&] { return focusOf(main) == program->control(name); }, 5s)) << harness::utf8(name);
  }

  // "Listeyi sil" from the status label's menu: no rows left, the header stays.
  events().clear();
  HWND label = program->control(L"Label9");
  RECT r;
  GetWindowRect(label, &r);
  PostMessageW(label, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(label), MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  ASSERT_TRUE(harness::waitFor([&] { return harness::openMenuOf(program->pid()) != nullptr; }, 10s)) << "no menu opened";
  pressKey(VK_DOWN);
  pressKey(VK_RETURN);
  ASSERT_TRUE(harness::waitFor([&] { return text(L"Label5") == L"0"; }, 10s)) << "the list was not cleared";
  long count = -1;
  EXPECT_EQ(table->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 1);
  EXPECT_TRUE(harness::waitFor([&] { return saw(grid, EVENT_OBJECT_REORDER, CHILDID_SELF); }, 5s));

  // The program ends while the client still holds its objects: calls fail, nothing crashes.
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program->waitForExit(), 0u);
  BSTR name = nullptr;
  EXPECT_TRUE(FAILED(table->get_accName(self(), &name)));
  SysFreeString(name);
}

}  // namespace
