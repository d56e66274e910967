// The call-list grid in a real window: the main window's configuration read from a layout,
// painted through GDI by the paint message and into memory, with its scroll bars, its cursor
// and no GDI objects left behind by painting; driven with real keyboard input and posted pointer
// messages through the program's own message loop, its clipboard and its in-place editor.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "cell_grid.h"
#include "fw/application.h"
#include "fw/form.h"
#include "fw/scale.h"
#include "fw/text.h"
#include "fw/win32/native.h"
#include "gdi_canvas.h"
#include "fw/win32/handles.h"
#include "grid_window.h"
#include "harness.h"

namespace {

using namespace std::chrono_literals;
using grid::TCellGrid;
using grid::TGridCoord;
using grid::TGridRect;

COLORREF sys(int index) { return GetSysColor(index); }

std::string hex(COLORREF c) {
  char b[16];
  std::snprintf(b, sizeof b, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return b;
}

using harness::loopUntil;
using harness::MemoryBitmap;

void settle() { loopUntil([] { return false; }, 300ms); }

std::string describe(const grid::TGridRect& r) {
  char b[64];
  std::snprintf(b, sizeof b, "(%d,%d)-(%d,%d)", r.Left, r.Top, r.Right, r.Bottom);
  return b;
}

class CellGridOnWine : public harness::GridWindowTest {
 protected:
  void addCall(int number, const char8_t* extra) {
    while (g->RowCount() > 10) g->RemoveRow(0);
    g->AppendRow();
    const int row = g->RowCount() - 1;
    g->BeginBatch();
    g->setCellText(0, row, std::to_string(number));
    g->setCellText(1, row, std::to_string(1 + number % 4));
    g->setCellText(2, row, "0532417289" + std::to_string(number % 10));
    g->setCellText(3, row, "10.12.2026 05:2" + std::to_string(number % 10) + ":37");
    g->setCellText(4, row, "A00017");
    g->setCellText(5, row, fw::ansi(extra));
    g->EndBatch();
  }

  RECT client() const {
    RECT r;
    GetClientRect(hwnd, &r);
    return r;
  }

  // The form in front with the grid focused, as a user meets it.
  void showFocused() {
    form->show();
    SetForegroundWindow(fw::win32::nativeWindow(*form));
    settle();
    g->setFocus();
    ASSERT_TRUE(loopUntil([&] { return GetFocus() == hwnd; })) << "the grid did not get the focus";
  }

  // A press, optionally dragged to another cell, and the release: the pointer messages a user's
  // hand gives the grid, through the program's own loop. They are posted, not injected with
  // SendInput: Wine hands each injected move on to the X server (the X pointer is warped there),
  // and the X server's report of the pointer comes back as a move of its own, late on a loaded
  // machine and where the pointer was before. In the middle of a drag the grid saw the pointer
  // jump back to the press, or the press land where the pointer had been before it.
  void clickOrDrag(TGridCoord from, TGridCoord to) {
    const auto post = [&](UINT message, WPARAM keys, TGridCoord cell) {
      const fw::Rect r = g->CellRectToClient(g->CellRect(cell.Col, cell.Row));
      PostMessageW(hwnd, message, keys, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    };
    post(WM_MOUSEMOVE, 0, from);  // the free move that chooses what the press does
    post(WM_LBUTTONDOWN, MK_LBUTTON, from);
    if (!(to == from)) post(WM_MOUSEMOVE, MK_LBUTTON, to);
    post(WM_LBUTTONUP, 0, to);
    settle();
  }
};

TEST_F(CellGridOnWine, TheCallListShowsAsTheMainWindowHasIt) {
  EXPECT_EQ(client().right, 549) << "553 wide inside a sunken 2-pixel edge";
  EXPECT_EQ(client().bottom, 222);
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  EXPECT_FALSE(style & (WS_HSCROLL | WS_VSCROLL)) << "no bars without rows to scroll";
  std::vector<int> widths;
  for (int c = 0; c < g->ColCount(); ++c) widths.push_back(g->Columns()[c].Width());
  EXPECT_EQ(widths, (std::vector<int>{39, 47, 122, 121, 128, 92}));

  const char8_t* extras[] = {u8"", u8"Özel hat", u8"", u8"Çağrı bekletme", u8"İş yeri"};
  for (int i = 1; i <= 5; ++i) addCall(i, extras[i - 1]);
  form->show();
  fw::Application::instance().processMessages();
  UpdateWindow(fw::win32::nativeWindow(*form));
  ASSERT_TRUE(harness::waitFor([&] { return GetUpdateRect(hwnd, nullptr, FALSE) == FALSE; }, 5s));

  // What the paint message put on the screen: the header's raised boxes and the cell lines.
  HDC dc = GetDC(hwnd);
  const struct {
    int x, y;
    COLORREF expected;
    const char* what;
  } probes[] = {
      {38, 8, RGB(0, 0, 0), "header border between columns 0 and 1"},
      {39, 8, sys(COLOR_BTNHIGHLIGHT), "light left edge of column 1's box"},
      {84, 8, sys(COLOR_BTNSHADOW), "dark right edge of column 1's box"},
      {60, 17, RGB(0, 0, 0), "header bottom border"},
      {38, 62, sys(COLOR_BTNFACE), "the line between columns 0 and 1"},
      {100, 53, sys(COLOR_BTNFACE), "the line between rows 1 and 2"},
      {100, 60, sys(COLOR_WINDOW), "inside a cell"},
      {300, 200, sys(COLOR_WINDOW), "below the rows"},
  };
  for (const auto& p : probes) EXPECT_EQ(hex(GetPixel(dc, p.x, p.y)), hex(p.expected)) << p.what;
  ReleaseDC(hwnd, dc);
  EXPECT_TRUE(harness::screenshot(fw::win32::nativeWindow(*form), L"cell_grid"));

  // The grid's own cursor is CR_PLUS, whose hot spot is (7, 7).
  SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(GetCursor(), &info));
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  EXPECT_EQ(info.xHotspot, 7u);
  EXPECT_EQ(info.yHotspot, 7u);
}

TEST_F(CellGridOnWine, PaintsOnGdiByTheSameRulesAsInMemory) {
  for (int i = 1; i <= 4; ++i) addCall(i, u8"");
  g->SetCurrentCell(1, 1);
  g->SetSelection({1, 1, 2, 2}, false);
  const RECT r = client();
  MemoryBitmap b(r.right, r.bottom);
  {
    fw::win32::GdiCanvas canvas(b.dc());
    g->paint(canvas);
  }
  // The block is s = (38, 35, 208, 72) in client coordinates: column 1 starts at x 39 and
  // column 2 ends at 208, rows 1 and 2 run from y 36 to 71.
  const COLORREF frame = sys(COLOR_BTNFACE);  // the grid does not have the focus
  const struct {
    int x, y;
    COLORREF expected;
    const char* what;
  } probes[] = {
      {37, 60, frame, "frame, outside the outline"},
      {38, 60, frame, "frame, on the outline"},
      {39, 60, frame, "frame, inside the outline"},
      {36, 60, sys(COLOR_WINDOW), "left of the frame"},
      {40, 60, RGB(255, 255, 202), "inside the frame: the selection colour"},
      {40, 40, sys(COLOR_WINDOW), "the current cell keeps its colour"},
      {100, 34, frame, "top frame"},
      {100, 36, frame, "top frame, inside"},
      {150, 37, RGB(255, 255, 202), "below the top frame"},
      // The handle: x 205..210, y 69..74; white border, inside in the frame's colour.
      {205, 69, RGB(255, 255, 255), "handle corner"},
      {210, 74, RGB(255, 255, 255), "handle, opposite corner"},
      {206, 70, frame, "handle inside"},
      {209, 73, frame, "handle inside, opposite corner"},
      {211, 70, sys(COLOR_WINDOW), "right of the handle, below the text"},
      // The raised header: black border, light top-left, dark bottom-right.
      {85, 8, RGB(0, 0, 0), "header border"},
      {86, 8, sys(COLOR_BTNHIGHLIGHT), "light left edge"},
      {100, 0, sys(COLOR_BTNHIGHLIGHT), "light top edge"},
      {206, 8, sys(COLOR_BTNSHADOW), "dark right edge"},
      {100, 16, sys(COLOR_BTNSHADOW), "dark bottom edge"},
      {100, 17, RGB(0, 0, 0), "bottom border"},
      {88, 5, sys(COLOR_BTNFACE), "face"},
  };
  for (const auto& p : probes) EXPECT_EQ(hex(b.pixel(p.x, p.y)), hex(p.expected)) << p.what << " at " << p.x << "," << p.y;

  g->setFlat(true);
  MemoryBitmap flat(r.right, r.bottom);
  {
    fw::win32::GdiCanvas canvas(flat.dc());
    g->paint(canvas);
  }
  EXPECT_EQ(hex(flat.pixel(85, 8)), hex(sys(COLOR_BTNSHADOW))) << "flat: a border in the dark colour";
  EXPECT_EQ(hex(flat.pixel(84, 8)), hex(sys(COLOR_BTNFACE))) << "flat: no dark inner edge";
}

TEST_F(CellGridOnWine, AVerticalBarTakesItsWidthFromTheFittedColumns) {
  form->show();
  g->setRowCount(30);
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_HSCROLL);
  EXPECT_EQ(client().right, 549 - bar);
  EXPECT_EQ(g->Geometry().columnsWidth, 549 - bar) << "the columns were fitted again after the bar came";
  SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd, SB_VERT, &si);
  EXPECT_EQ(si.nMax, g->Geometry().maxScrollY);
  EXPECT_EQ(si.nMax % 18, 0);
  EXPECT_EQ(g->peer().scrollInfo(fw::ScrollBar::Vertical).max, si.nMax);

  g->setRowCount(3);
  EXPECT_FALSE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VSCROLL);
  std::vector<int> widths;
  for (int c = 0; c < g->ColCount(); ++c) widths.push_back(g->Columns()[c].Width());
  EXPECT_EQ(widths, (std::vector<int>{39, 47, 122, 121, 128, 92})) << "and came back to their widths";
}

TEST_F(CellGridOnWine, RepeatedPaintingLeavesNoGdiObjectsBehind) {
  for (int i = 1; i <= 11; ++i) addCall(i, u8"Özel");
  g->SetSelection({0, 2, 3, 5}, false);
  form->show();
  UpdateWindow(hwnd);
  const long before = harness::gdiObjectLevel();
  constexpr int kRounds = 1500;
  for (int i = 0; i < kRounds; ++i) {
    g->setAlternateColor(RGB(i % 256, 255, 255));
    g->FullRepaint();
    UpdateWindow(hwnd);
    g->setCellText(5, i % 11, std::to_string(i));  // drawn at once, outside the paint cycle
  }
  EXPECT_LT(harness::gdiObjectLevel() - before, 50) << "GDI objects pile up with each paint";
}

TEST_F(CellGridOnWine, RealKeysMoveAndExtendTheSelectionAndCtrlCCopiesIt) {
  const char8_t* extras[] = {u8"", u8"Özel hat", u8"Çağrı bekletme", u8"İş yeri", u8""};
  for (int i = 1; i <= 5; ++i) addCall(i, extras[i - 1]);
  g->SetCurrentCell(3, 0);
  showFocused();

  const struct {
    std::initializer_list<WORD> keys;
    bool shift;
    TGridCoord current;
    TGridRect selection;
  } steps[] = {
      {{VK_RIGHT, VK_DOWN}, false, {4, 1}, {4, 1, 4, 1}},
      {{VK_RIGHT, VK_DOWN, VK_DOWN}, true, {4, 1}, {4, 1, 5, 3}},
      {{VK_UP}, true, {4, 1}, {4, 1, 5, 2}},
  };
  for (const auto& s : steps) {
    harness::pressKeys(s.keys, s.shift);
    EXPECT_TRUE(loopUntil([&] { return g->Selection() == s.selection; })) << describe(g->Selection());
    EXPECT_EQ((TGridCoord{g->CurrentCol(), g->CurrentRow()}), s.current);
  }
  harness::pressKeys({VK_DOWN}, true);  // back to rows 1..3
  ASSERT_TRUE(loopUntil([&] { return g->Selection() == TGridRect{4, 1, 5, 3}; })) << describe(g->Selection());

  ASSERT_TRUE(harness::setClipboardText(L""));
  harness::pressKeys({'C'}, false, true);
  const std::wstring expected = L"A00017\t\u00d6zel hat\r\nA00017\t\u00c7a\u011fr\u0131 bekletme\r\nA00017\t\u0130\u015f yeri\r\n";
  EXPECT_TRUE(loopUntil([&] { return harness::clipboardText() == expected; })) << harness::utf8(harness::clipboardText());

  // The main window's grid is read-only: typing and pasting change no cell.
  ASSERT_TRUE(harness::setClipboardText(L"x\ty"));
  harness::pressKeys({'X', VK_DELETE});
  harness::pressKeys({'V'}, false, true);
  settle();
  EXPECT_EQ(g->RawCellText(4, 1), "A00017");
  EXPECT_EQ(g->RawCellText(5, 1), fw::ansi(u8"Özel hat"));
}

TEST_F(CellGridOnWine, AMouseDragSelectsTheCellsItCrosses) {
  for (int i = 1; i <= 5; ++i) addCall(i, u8"Çağrı");
  showFocused();
  clickOrDrag({2, 1}, {3, 3});
  EXPECT_TRUE(loopUntil([&] { return g->Selection() == TGridRect{2, 1, 3, 3}; })) << describe(g->Selection());
  EXPECT_EQ((TGridCoord{g->CurrentCol(), g->CurrentRow()}), (TGridCoord{2, 1})) << "the press made the cell current";
  EXPECT_EQ(GetCapture(), nullptr) << "the release let go of the mouse";

  harness::pressKeys({'C'}, false, true);
  const std::wstring expected = L"05324172892\t10.12.2026 05:22:37\r\n05324172893\t10.12.2026 05:23:37\r\n"
                                L"05324172894\t10.12.2026 05:24:37\r\n";
  EXPECT_TRUE(loopUntil([&] { return harness::clipboardText() == expected; })) << harness::utf8(harness::clipboardText());
}

TEST_F(CellGridOnWine, ASecondClickOnTheCurrentCellOpensTheEditorOverIt) {
  for (int i = 1; i <= 5; ++i) addCall(i, u8"İş yeri");
  g->setReadOnly(false);
  showFocused();
  clickOrDrag({2, 1}, {2, 1});
  ASSERT_TRUE(loopUntil([&] { return g->CurrentCol() == 2 && g->CurrentRow() == 1; }));
  EXPECT_FALSE(g->Inplace().visible()) << "the first click only makes the cell current";
  clickOrDrag({2, 1}, {2, 1});
  ASSERT_TRUE(loopUntil([&] { return g->Inplace().visible(); })) << "no editor after the second click";

  HWND editor = fw::win32::nativeWindow(g->Inplace());
  EXPECT_TRUE(IsWindowVisible(editor));
  EXPECT_EQ(GetParent(editor), hwnd);
  RECT shown;
  GetWindowRect(editor, &shown);
  MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&shown), 2);
  const fw::Rect cell = g->CellRectToClient(g->CellRect(2, 1));
  EXPECT_TRUE(shown.left >= cell.left && shown.right <= cell.right + 1 && shown.top >= cell.top && shown.bottom <= cell.bottom)
      << "editor (" << shown.left << "," << shown.top << ")-(" << shown.right << "," << shown.bottom << ") over cell ("
      << cell.left << "," << cell.top << ")-(" << cell.right << "," << cell.bottom << ")";
  wchar_t text[64] = {};
  GetWindowTextW(editor, text, 64);
  EXPECT_EQ(std::wstring(text), L"05324172892");
  EXPECT_EQ(GetWindowLongPtrW(editor, GWL_STYLE) & (ES_CENTER | ES_RIGHT), ES_RIGHT) << "the column's alignment";

  // What is typed there is written into the cell at once; Escape reaches the editor past the
  // dialog manager and closes it.
  SendMessageW(editor, EM_SETSEL, 11, 11);
  PostMessageW(editor, WM_CHAR, L'\u015f', 1);
  EXPECT_TRUE(loopUntil([&] { return g->RawCellText(2, 1) == fw::ansi(u8"05324172892ş"); })) << g->RawCellText(2, 1);
  PostMessageW(editor, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(loopUntil([&] { return !IsWindowVisible(editor); }));
  EXPECT_EQ(GetFocus(), hwnd);
}

// The system's own thumb tracking, fed with posted pointer messages, which it reads from the
// queue: a grid far taller than the 16 bits of a scroll message reaches its last row.
TEST_F(CellGridOnWine, DraggingTheThumbOfAVeryTallGridReachesTheLastRow) {
  g->setRowCount(3000);
  showFocused();
  ASSERT_GT(g->Geometry().maxScrollY, 32767);
  SCROLLBARINFO sbi{};
  sbi.cbSize = sizeof(sbi);
  ASSERT_TRUE(GetScrollBarInfo(hwnd, OBJID_VSCROLL, &sbi));
  const int x = (sbi.rcScrollBar.left + sbi.rcScrollBar.right) / 2;
  const int thumbY = sbi.rcScrollBar.top + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2;
  const int beyond = sbi.rcScrollBar.bottom + 10;  // past the end, near enough to keep the drag
  PostMessageW(hwnd, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(x, thumbY));
  for (int y : {thumbY + 30, beyond}) {
    POINT p{x, y};
    ScreenToClient(hwnd, &p);
    PostMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  }
  POINT end{x, beyond};
  ScreenToClient(hwnd, &end);
  PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(end.x, end.y));
  EXPECT_TRUE(loopUntil([&] { return g->ScrollY() == g->Geometry().maxScrollY; }))
      << g->ScrollY() << " of " << g->Geometry().maxScrollY;
  SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd, SB_VERT, &si);
  EXPECT_EQ(si.nPos, g->Geometry().maxScrollY) << "the bar shows it";
  const fw::Rect last = g->CellRectToClient(g->CellRect(0, 2999));
  EXPECT_LE(last.bottom, client().bottom) << "the last row is in view";
}

}  // namespace

// A window moved to a screen of twice the density, told as Windows tells a window aware of
// each screen's density (Wine does not send the messages itself): asked first, it wants its
// layout's size there; it takes the suggested rectangle, the list's rows and columns grow with their fonts, the open editor stays over
// its cell; moved back, everything is as it was.
TEST_F(CellGridOnWine, AMoveToAScreenOfAnotherDensityLaysTheListOutThere) {
  for (int i = 1; i <= 3; ++i) addCall(i, u8"İş yeri");
  g->setReadOnly(false);
  showFocused();
  clickOrDrag({2, 1}, {2, 1});
  ASSERT_TRUE(loopUntil([&] { return g->CurrentCol() == 2 && g->CurrentRow() == 1; }));
  clickOrDrag({2, 1}, {2, 1});
  ASSERT_TRUE(loopUntil([&] { return g->Inplace().visible(); })) << "no editor after the second click";
  HWND frame = fw::win32::nativeWindow(*form);
  HWND editor = fw::win32::nativeWindow(g->Inplace());
  auto editorRect = [&] {
    RECT r;
    GetWindowRect(editor, &r);
    MapWindowPoints(HWND_DESKTOP, hwnd, reinterpret_cast<POINT*>(&r), 2);
    return fw::Rect{r.left, r.top, r.right, r.bottom};
  };
  auto widths = [&] {
    std::vector<int> w;
    for (int c = 0; c < g->ColCount(); ++c) w.push_back(g->Columns()[c].Width());
    return w;
  };
  const int dpi = form->dpi();
  const std::vector<int> before = widths();
  const int rowHeight = g->DefRowHeight();
  const fw::Rect editorBefore = editorRect();
  const RECT client = this->client();
  RECT window;
  GetWindowRect(frame, &window);

  for (const int to : {dpi * 2, dpi}) {
    SCOPED_TRACE(to);
    RECT now;
    GetWindowRect(frame, &now);
    // Windows first asks the size the window wants there. Wine's frame measure for another
    // density differs from the frame it draws, so the rectangle suggested here stays the
    // window's own in proportion, as older Windows suggests it.
    const int from = form->dpi();
    SIZE wanted{};
    ASSERT_TRUE(SendMessageW(frame, 0x02E4 /* WM_GETDPISCALEDSIZE */, to, reinterpret_cast<LPARAM>(&wanted)))
        << "the window says its size at the new density";
    EXPECT_GT(wanted.cx, fw::mulDiv(this->client().right, to, from) - 1) << "a frame around the scaled client";
    EXPECT_GT(wanted.cy, fw::mulDiv(this->client().bottom, to, from) - 1);
    RECT suggested{now.left, now.top, now.left + MulDiv(now.right - now.left, to, from),
                   now.top + MulDiv(now.bottom - now.top, to, from)};
    SendMessageW(frame, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    settle();
    EXPECT_EQ(form->dpi(), to);
    GetWindowRect(frame, &now);
    EXPECT_EQ(now.right - now.left, suggested.right - suggested.left) << "the suggested rectangle";
    EXPECT_EQ(now.bottom - now.top, suggested.bottom - suggested.top);
    EXPECT_EQ(g->font().height, fw::scaleToDpi(15, to));
    EXPECT_GE(g->DefRowHeight(), fw::scaleToDpi(18, to));
    int total = 0;
    for (int w : widths()) total += w;
    EXPECT_EQ(total, this->client().right) << "the columns fill it";
    ASSERT_TRUE(IsWindowVisible(editor)) << "the editor stays open";
    const fw::Rect cell = g->CellRectToClient(g->CellRect(2, 1));
    const fw::Rect ed = editorRect();
    EXPECT_TRUE(ed.left >= cell.left && ed.right <= cell.right + 1 && ed.top >= cell.top && ed.bottom <= cell.bottom)
        << "editor over its cell";
    EXPECT_EQ(g->CurrentCol(), 2);
    EXPECT_EQ(g->CurrentRow(), 1);
    EXPECT_EQ(g->RawCellText(2, 1), "05324172892");
  }
  EXPECT_EQ(widths(), before);
  EXPECT_EQ(g->DefRowHeight(), rowHeight);
  EXPECT_EQ(editorRect(), editorBefore);
  EXPECT_EQ(this->client().right, client.right);
  RECT back;
  GetWindowRect(frame, &back);
  EXPECT_EQ(back.right - back.left, window.right - window.left);
  EXPECT_EQ(back.bottom - back.top, window.bottom - window.top);
}

// The ink of a text: which pixels of a box differ from its background, cut to the smallest
// rectangle that holds them, so two drawings of one text compare wherever each was placed.
struct Ink {
  int width = 0, height = 0;
  std::vector<bool> set;
  friend bool operator==(const Ink&, const Ink&) = default;
};

Ink inkOf(const std::function<COLORREF(int, int)>& pixel, RECT box, COLORREF background) {
  int left = box.right, top = box.bottom, right = box.left, bottom = box.top;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x)
      if (pixel(x, y) != background) {
        left = std::min(left, x), right = std::max(right, x + 1);
        top = std::min(top, y), bottom = std::max(bottom, y + 1);
      }
  Ink ink;
  if (left >= right) return ink;
  ink.width = right - left, ink.height = bottom - top;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) ink.set.push_back(pixel(x, y) != background);
  return ink;
}

// A text drawn in a face that has every Turkish letter, through the wide call (right on every
// code page).
Ink turkishInk(const fw::Font& like, const wchar_t* text) {
  fw::Font font = like;
  font.charset = fw::kTurkishCharset;
  const COLORREF face = sys(COLOR_BTNFACE);
  MemoryBitmap b(200, 60, face);
  const auto handle = fw::win32::createFont(font);
  const HGDIOBJ old = SelectObject(b.dc(), handle.get());
  SetBkMode(b.dc(), TRANSPARENT);
  SetTextColor(b.dc(), sys(COLOR_WINDOWTEXT));
  TextOutW(b.dc(), 10, 10, text, static_cast<int>(wcslen(text)));
  SelectObject(b.dc(), old);
  return inkOf([&](int x, int y) { return b.pixel(x, y); }, {0, 0, 200, 60}, face);
}

// The header's titles are Turkish: on a system whose code page is not, the first title must
// still show its dotless i. Read from the screen, as the paint message left it.
TEST_F(CellGridOnWine, TheHeaderShowsTurkishLettersOnAnotherCodePage) {
  if (GetACP() == 1254) GTEST_SKIP() << "the system's code page is Turkish: nothing to show";
  EXPECT_EQ(g->HeaderFont().charset, fw::kTurkishCharset);
  form->show();
  fw::Application::instance().processMessages();
  UpdateWindow(fw::win32::nativeWindow(*form));
  ASSERT_TRUE(harness::waitFor([&] { return GetUpdateRect(hwnd, nullptr, FALSE) == FALSE; }, 5s));

  // Inside column 0's raised box, within its light and dark edges.
  const int dx = g->Geometry().gutterExtent - g->ScrollX();
  const RECT box{dx + g->ColumnLeft(0) + 1, 1, dx + g->ColumnLeft(1) - 2, g->DefRowHeight() - 2};
  HDC dc = GetDC(hwnd);
  const Ink header = inkOf([&](int x, int y) { return GetPixel(dc, x, y); }, box, sys(COLOR_BTNFACE));
  ReleaseDC(hwnd, dc);

  const Ink dotless = turkishInk(g->HeaderFont(), L"S\u0131ra");
  const Ink capital = turkishInk(g->HeaderFont(), L"SIra");
  ASSERT_NE(dotless, capital) << "the two spellings must look different to tell them apart";
  EXPECT_GT(header.width, 0) << "the title is painted";
  EXPECT_EQ(header, dotless) << "the first title with its dotless i (header ink " << header.width << "x" << header.height
                             << ", expected " << dotless.width << "x" << dotless.height << ")";
}
