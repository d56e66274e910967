// What a screen reader reads and hears. From another process, as a screen reader does: the
// running program with the simulated device, read through AccessibleObjectFromWindow and
// watched through SetWinEventHook. In this process: the grid's objects themselves, where a
// client in another process cannot see the difference (made only when asked, the same object
// every time, disconnected with the window) and where Wine lacks a piece (UI Automation
// notifications).
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
#include "grid_window.h"
#include "harness.h"

namespace {

using namespace std::chrono_literals;
using fw::win32::ComPtr;

// Not oleacc's exported IID_IAccessible: MinGW's import library takes that data export for a
// function and links its thunk.
const IID kIIDAccessible = __uuidof(IAccessible);

// ---- reading objects

VARIANT self() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

VARIANT childId(long id) {
  VARIANT v = self();
  v.lVal = id;
  return v;
}

std::wstring take(BSTR b) {
  std::wstring s = b ? std::wstring(b, SysStringLen(b)) : L"";
  SysFreeString(b);
  return s;
}

struct Read {
  long role = 0;
  long state = 0;
  std::wstring name, value, description;
};

Read read(IAccessible* acc, VARIANT child = self()) {
  Read r;
  BSTR b = nullptr;
  if (acc->get_accName(child, &b) == S_OK) r.name = take(b);
  b = nullptr;
  if (acc->get_accValue(child, &b) == S_OK) r.value = take(b);
  b = nullptr;
  if (acc->get_accDescription(child, &b) == S_OK) r.description = take(b);
  VARIANT v;
  VariantInit(&v);
  if (acc->get_accRole(child, &v) == S_OK && v.vt == VT_I4) r.role = v.lVal;
  VariantClear(&v);
  if (acc->get_accState(child, &v) == S_OK && v.vt == VT_I4) r.state = v.lVal;
  VariantClear(&v);
  return r;
}

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

// ---- events

struct Event {
  DWORD event;
  HWND hwnd;
  LONG object;
  LONG child;
};
std::vector<Event>& events() {
  static std::vector<Event> list;
  return list;
}
void CALLBACK onEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  events().push_back({event, hwnd, object, child});
}

// The events about a window's client area, as "event child" pairs.
std::vector<std::pair<DWORD, LONG>> eventsOf(HWND hwnd) {
  std::vector<std::pair<DWORD, LONG>> out;
  for (const Event& e : events())
    if (e.hwnd == hwnd && e.object == OBJID_CLIENT) out.emplace_back(e.event, e.child);
  return out;
}

bool saw(HWND hwnd, DWORD event, LONG child) {
  const auto list = eventsOf(hwnd);
  return std::find(list.begin(), list.end(), std::pair(event, child)) != list.end();
}

class WinEventHook {
 public:
  explicit WinEventHook(DWORD pid)
      : hook_(SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_VALUECHANGE, nullptr, onEvent, pid, 0,
                              WINEVENT_OUTOFCONTEXT)) {}
  ~WinEventHook() {
    if (hook_) UnhookWinEvent(hook_);
  }
  explicit operator bool() const { return hook_ != nullptr; }

 private:
  HWINEVENTHOOK hook_;
};

using harness::pressKey;

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

std::wstring narrowToWide(const std::string& cp1254) {
  const std::u16string u = fw::toUtf16(cp1254);
  return {u.begin(), u.end()};
}

constexpr long kColumns = 6;
// The grid's element numbers (cell_grid_access.h) for the main window's six columns.
long rowId(int row) { return -(1 + (row + 1) * (kColumns + 1)); }
long cellId(int col, int row) { return rowId(row) - (col + 1); }

const std::wstring kConnected = L"Ba\u011flant\u0131 tamam  Hemen aray\u0131n";

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
  // A click on the first cell, found where the table says it is, gives the list the focus.
  {
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(table->accLocation(&x, &y, &w, &h, childId(cellId(0, 0))), S_OK);
    harness::movePointer({x + w / 2, y + h / 2});
    harness::waitFor([] { return false; }, 200ms);
    harness::mouseButton(MOUSEEVENTF_LEFTDOWN);
    harness::mouseButton(MOUSEEVENTF_LEFTUP);
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
  RECT label;
  GetWindowRect(program->control(L"Label9"), &label);
  harness::movePointer({(label.left + label.right) / 2, (label.top + label.bottom) / 2});
  harness::waitFor([] { return false; }, 200ms);
  harness::mouseButton(MOUSEEVENTF_RIGHTDOWN);
  harness::mouseButton(MOUSEEVENTF_RIGHTUP);
  harness::waitFor([] { return false; }, 500ms);
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

// ---------------------------------------------------------------------------------------------
// In this process

using harness::loopUntil;

ComPtr<IAccessible> askWindow(HWND hwnd) {
  const LRESULT lr = SendMessageW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
  ComPtr<IAccessible> acc;
  const HRESULT hr = ObjectFromLresult(lr, kIIDAccessible, 0, acc.putVoid());
  EXPECT_EQ(hr, S_OK) << "WM_GETOBJECT answered " << lr;
  return acc;
}

// What the fake UI Automation saw.
std::vector<std::wstring>& notified() {
  static std::vector<std::wstring> list;
  return list;
}
BOOL WINAPI listening() { return TRUE; }
BOOL WINAPI notListening() { return FALSE; }
HRESULT WINAPI provider(IAccessible* acc, long, DWORD, IUnknown** out) {
  return acc->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(out));
}
HRESULT WINAPI raise(IUnknown*, int, int, BSTR text, BSTR) {
  notified().push_back(text ? std::wstring(text, SysStringLen(text)) : L"");
  return S_OK;
}

class GridObjects : public harness::GridWindowTest {
 protected:
  void SetUp() override {
    GridWindowTest::SetUp();
    events().clear();
  }
  void TearDown() override { fw::win32::setUiaNotificationsForTesting({}); }
  void addCall(int n, const char8_t* extra) {
    g->AppendRow();
    const int row = g->RowCount() - 1;
    g->BeginBatch();
    const std::string cells[] = {std::to_string(n), "1", "0312 " + std::to_string(n), "10.12.2026", "KV4", fw::ansi(extra)};
    for (int c = 0; c < 6; ++c) g->setCellText(c, row, cells[c]);
    g->EndBatch();
  }
};

TEST_F(GridObjects, MadeOnlyWhenAskedTheSameAfterwardsAndCutOffWithTheWindow) {
  form->show();
  addCall(1, u8"Çağrı");
  addCall(2, u8"");
  g->setFocus();
  loopUntil([] { return false; }, 200ms);
  EXPECT_EQ(fw::win32::liveAccessibleServers(), 0) << "objects made while nobody asked";

  ComPtr<IAccessible> first = askWindow(hwnd);
  ASSERT_TRUE(first);
  EXPECT_EQ(fw::win32::liveAccessibleServers(), 1);
  ComPtr<IAccessible> second = askWindow(hwnd);
  EXPECT_EQ(first.get(), second.get()) << "a second request made another object";
  EXPECT_EQ(fw::win32::liveAccessibleServers(), 1);
  EXPECT_EQ(first.get(), fw::win32::accessibleObjectOf(*g));

  // Read-only where it matters: no selecting or acting through the objects.
  EXPECT_EQ(first->accSelect(SELFLAG_TAKESELECTION, childId(rowId(0) - 1)), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(first->accDoDefaultAction(self()), DISP_E_MEMBERNOTFOUND);

  // Cells are where they are painted: a hit test on the screen finds the row, then the cell.
  const fw::Rect box = g->CellRectToClient(g->CellRect(5, 0));
  POINT at{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  ClientToScreen(hwnd, &at);
  VARIANT hit;
  ASSERT_EQ(first->accHitTest(at.x, at.y, &hit), S_OK);
  ASSERT_EQ(hit.vt, VT_DISPATCH);
  ComPtr<IAccessible> row;
  hit.pdispVal->QueryInterface(kIIDAccessible, row.putVoid());
  VariantClear(&hit);
  ASSERT_EQ(row->accHitTest(at.x, at.y, &hit), S_OK);
  ASSERT_EQ(hit.vt, VT_DISPATCH);
  ComPtr<IAccessible> cell;
  hit.pdispVal->QueryInterface(kIIDAccessible, cell.putVoid());
  VariantClear(&hit);
  EXPECT_EQ(read(cell.get()).name, L"\u00c7a\u011fr\u0131");
  long x = 0, y = 0, w = 0, h = 0;
  ASSERT_EQ(cell->accLocation(&x, &y, &w, &h, self()), S_OK);
  EXPECT_TRUE(x <= at.x && at.x < x + w && y <= at.y && at.y < y + h) << x << "," << y << " " << w << "x" << h;
  VARIANT next;
  ASSERT_EQ(cell->accNavigate(NAVDIR_DOWN, self(), &next), S_OK);
  ASSERT_EQ(next.vt, VT_DISPATCH);
  ComPtr<IAccessible> below;
  next.pdispVal->QueryInterface(kIIDAccessible, below.putVoid());
  VariantClear(&next);
  EXPECT_EQ(read(below.get()).name, L"");
  EXPECT_EQ(cell->accNavigate(NAVDIR_RIGHT, self(), &next), S_FALSE);
  VARIANT focus;
  ASSERT_EQ(first->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.vt, VT_DISPATCH);
  VariantClear(&focus);

  // The window goes: whoever still holds an object gets a failure, not a crash.
  form.reset();
  EXPECT_EQ(fw::win32::liveAccessibleServers(), 0);
  BSTR name = nullptr;
  EXPECT_EQ(first->get_accName(self(), &name), RPC_E_DISCONNECTED);
  EXPECT_EQ(cell->get_accName(self(), &name), RPC_E_DISCONNECTED);
  long count = 0;
  EXPECT_EQ(row->get_accChildCount(&count), RPC_E_DISCONNECTED);
  EXPECT_EQ(name, nullptr);
}

// Wine has no UI Automation notifications: the program's own lookup finds none there and
// falls back to the row's events; with a notification in place (the one a test supplies)
// the call is read out through it instead, in the words given.
TEST_F(GridObjects, ACallIsReadOutThroughUiAutomationWhereAClientListensElseByTheRowsEvents) {
  form->show();
  WinEventHook hook(GetCurrentProcessId());
  addCall(1, u8"");
  const std::string words = fw::ansi(u8"Çağrı 1: hat 1, numara 0312 1, zaman 10.12.2026");
  const std::wstring wideWords = narrowToWide(words);

  fw::win32::setUiaNotificationsForTesting({listening, provider, raise});
  events().clear();
  g->announce(words, rowId(0));
  EXPECT_EQ(notified(), std::vector<std::wstring>{wideWords});
  EXPECT_EQ(fw::win32::liveAccessibleServers(), 1) << "a listening client gets the grid's objects";
  loopUntil([] { return false; }, 300ms);
  EXPECT_FALSE(saw(hwnd, EVENT_OBJECT_SHOW, rowId(0))) << "read out twice";

  notified().clear();
  fw::win32::setUiaNotificationsForTesting({notListening, provider, raise});
  events().clear();
  g->announce(words, rowId(0));
  EXPECT_TRUE(notified().empty());
  EXPECT_TRUE(loopUntil([&] { return saw(hwnd, EVENT_OBJECT_NAMECHANGE, rowId(0)); }));
  EXPECT_EQ(eventsOf(hwnd), (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_SHOW, rowId(0)},
                                                                 {EVENT_OBJECT_NAMECHANGE, rowId(0)}}));
}

}  // namespace
