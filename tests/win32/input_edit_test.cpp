// The edit control in real windows: its change notices, its colours, and its re-creation for a
// new alignment.
#include <windows.h>

#include <gtest/gtest.h>

#include "input_fixture.h"

namespace {

using namespace input_test;
using namespace std::chrono_literals;
using fw::win32::nativeWindow;

TEST_F(Input, EveryChangeOfAnEditsTextRaisesOnChangeWithTheText) {
  std::vector<std::string> changes;
  edit->onChange = [&](fw::Component& sender) { changes.push_back(static_cast<fw::Edit&>(sender).text()); };
  edit->setCaption(fw::ansi(u8"Çağrı"));
  focus(*edit);
  SendMessageW(nativeWindow(*edit), EM_SETSEL, 5, 5);
  post(*edit, WM_CHAR, L'\u015f', 1);  // ş
  pump();
  EXPECT_EQ(changes, (std::vector<std::string>{fw::ansi(u8"Çağrı"), fw::ansi(u8"Çağrış")}));
}

// The colours a parent gives its edit: its own background when it has one.
COLORREF pixelInside(HWND w) {
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT r;
  GetClientRect(w, &r);
  HDC dc = GetDC(w);
  const COLORREF c = GetPixel(dc, r.right - 3, r.bottom / 2);
  ReleaseDC(w, dc);
  return c;
}

TEST_F(Input, AnEditWithItsOwnColourPaintsItAndHasABorderOnlyWhenAsked) {
  auto& own = form->create<EditProbe>(form.get(), fw::WidgetStyle{.border = false, .parentColor = false});
  own.setBounds({10, 240, 210, 260});
  own.setColor(RGB(255, 255, 202));
  pump();
  HWND ownWindow = nativeWindow(own), plain = nativeWindow(*edit);
  EXPECT_FALSE(GetWindowLongPtrW(ownWindow, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLongPtrW(plain, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(pixelInside(ownWindow), RGB(255, 255, 202));
  edit->setColor(RGB(255, 255, 202));
  EXPECT_EQ(pixelInside(plain), GetSysColor(COLOR_WINDOW)) << "an edit on its parent's colour keeps the system's";
}

std::wstring nameOf(HWND w) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(w, L"Zelvora.Name")));
  wchar_t buffer[64];
  const UINT n = atom ? GlobalGetAtomNameW(atom, buffer, 64) : 0;
  return {buffer, n};
}

TEST_F(Input, ANewAlignmentMakesANewWindowThatKeepsEverythingElse) {
  std::vector<std::string> changes;
  edit->onChange = [&](fw::Component& sender) { changes.push_back(static_cast<fw::Edit&>(sender).text()); };
  edit->setCaption(fw::ansi(u8"İş yeri"));
  focus(*edit);
  changes.clear();
  edit->focusEvents.clear();
  HWND below = GetWindow(nativeWindow(*edit), GW_HWNDNEXT);
  const struct {
    fw::TextAlign align;
    DWORD style;
    bool visible;
    bool newWindow;
  } steps[] = {
      {fw::TextAlign::Right, ES_RIGHT, true, true},
      {fw::TextAlign::Right, ES_RIGHT, true, false},  // unchanged: the same window
      {fw::TextAlign::Center, ES_CENTER, false, true},
      {fw::TextAlign::Left, ES_LEFT, true, true},
  };
  SendMessageW(nativeWindow(*edit), EM_SETSEL, 2, 4);
  for (const auto& s : steps) {
    edit->setVisible(s.visible);
    if (s.visible) edit->setFocus();
    HWND old = nativeWindow(*edit);
    const LRESULT font = SendMessageW(old, WM_GETFONT, 0, 0);
    const size_t focusEvents = edit->focusEvents.size();
    edit->peer<fw::EditPeer>().setTextAlignment(s.align);
    HWND now = nativeWindow(*edit);
    EXPECT_EQ(edit->focusEvents.size(), focusEvents) << "the exchange is no change of focus";
    EXPECT_EQ(now != old, s.newWindow);
    EXPECT_EQ(IsWindow(old) != FALSE, !s.newWindow) << "the old window is destroyed";
    EXPECT_EQ(GetWindowLongPtrW(now, GWL_STYLE) & (ES_CENTER | ES_RIGHT), static_cast<LONG_PTR>(s.style));
    EXPECT_EQ(windowText(now), L"\u0130\u015f yeri");
    RECT r;
    GetWindowRect(now, &r);
    MapWindowPoints(HWND_DESKTOP, nativeWindow(*form), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(edit->peer().bounds(), (fw::Rect{10, 200, 210, 224}));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(IsWindowVisible(now) != FALSE, s.visible);
    EXPECT_EQ(GetWindow(now, GW_HWNDNEXT), below) << "the same place among its siblings";
    EXPECT_EQ(nameOf(now), L"Edit");
    if (s.visible) {
      EXPECT_EQ(GetFocus(), now) << "the focus moved with it";
    }
    EXPECT_EQ(SendMessageW(now, WM_GETFONT, 0, 0), font);
    DWORD start = 0, end = 0;
    SendMessageW(now, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 4u);
  }
  EXPECT_TRUE(changes.empty()) << "the text did not change";
  pump();
  edit->focusEvents.clear();

  // The new window is the control's: its messages still reach the handlers and events.
  SendMessageW(nativeWindow(*edit), EM_SETSEL, 7, 7);
  post(*edit, WM_CHAR, L'!', 1);
  pump();
  EXPECT_EQ(changes, std::vector<std::string>{fw::ansi(u8"İş yeri!")});
  probe->setFocus();
  EXPECT_EQ(edit->focusEvents, std::vector<std::string>{"lost Probe"});
}

}  // namespace
