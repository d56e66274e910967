// What a screen reader reads of the grid's objects in this process, where a client in another
// process cannot see the difference (made only when asked, the same object every time,
// disconnected with the window) and where Wine lacks a piece (UI Automation notifications).
#include <windows.h>
#include <oleacc.h>

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
#include "grid_window.h"
#include "harness.h"

namespace {

using namespace std::chrono_literals;
using namespace accessibility_client;

std::wstring narrowToWide(const std::string& cp1254) {
  const std::u16string u = fw::toUtf16(cp1254);
  return {u.begin(), u.end()};
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
