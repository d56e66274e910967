// The mouse, the wheel, scroll bars with ranges beyond 16 bits, focus, capture and cursors in
// real windows.
#include <windows.h>

#include <gtest/gtest.h>

#include "input_fixture.h"

namespace {

using namespace input_test;
using namespace std::chrono_literals;
using fw::win32::nativeWindow;

TEST_F(Input, EachMouseMessageRaisesOneEventWithItsButtonsAndPoint) {
  const struct {
    UINT msg;
    WPARAM flags;
    int x, y;
    const char* expected;
  } cases[] = {
      {WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 5, 6, "down left 5,6 ctrl L"},
      {WM_LBUTTONDBLCLK, MK_LBUTTON, 5, 6, "down left 5,6 L"},
      {WM_LBUTTONUP, 0, 5, 6, "up left 5,6"},
      {WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, 7, 8, "down right 7,8 shift R"},
      {WM_RBUTTONUP, 0, 7, 8, "up right 7,8"},
      {WM_MBUTTONDOWN, MK_MBUTTON, 9, 1, "down middle 9,1 M"},
      {WM_MBUTTONDBLCLK, MK_MBUTTON, 9, 1, "down middle 9,1 M"},
      {WM_MBUTTONUP, 0, 9, 1, "up middle 9,1"},
      {WM_MOUSEMOVE, MK_LBUTTON, -3, -4, "move -3,-4 L"},  // a captured drag beyond the left top
  };
  for (const auto& c : cases) {
    probe->events.clear();
    post(*probe, c.msg, c.flags, MAKELPARAM(c.x, c.y));
    pump();
    EXPECT_EQ(probe->events, std::vector<std::string>{c.expected}) << c.expected;
  }
}

TEST_F(Input, TheWheelComesInClientCoordinatesAndGoesNoFurtherWhenTaken) {
  POINT screen{30, 40};
  ClientToScreen(nativeWindow(*probe), &screen);
  for (bool taken : {true, false}) {
    probe->takeWheel = taken;
    form->wheels = 0;
    probe->events.clear();
    post(*probe, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-240)), MAKELPARAM(screen.x, screen.y));
    pump();
    EXPECT_EQ(probe->events, std::vector<std::string>{"wheel -240 30,40 shift"});
    EXPECT_EQ(form->wheels, taken ? 0 : 1) << "an untaken wheel goes on to the parent";
  }
}

TEST_F(Input, ThumbMessagesCarryTheFull32BitPosition) {
  probe->peer().setScrollRange(fw::ScrollBar::Vertical, 60000, 0);
  probe->peer().showScrollBar(fw::ScrollBar::Vertical, true);
  const struct {
    int barPosition;
    int code;
    WORD carried;
    int expected;
    const char* why;
  } cases[] = {
      {0, SB_THUMBTRACK, 100, 100, "posted while not tracking: the message's value"},
      {60000, SB_THUMBTRACK, 60000, 60000, "the bar's position agrees with the 16 bits"},
      {40000, SB_THUMBPOSITION, static_cast<WORD>(40000), 40000, "end of a drag"},
      {0, SB_THUMBTRACK, 60000, -5536, "disagrees: the 16 bits as a signed number"},
      {0, SB_LINEDOWN, 0, 0, "not a thumb code"},
  };
  for (const auto& c : cases) {
    probe->peer().setScrollPosition(fw::ScrollBar::Vertical, c.barPosition);
    probe->events.clear();
    post(*probe, WM_VSCROLL, MAKEWPARAM(c.code, c.carried), 0);
    pump();
    EXPECT_EQ(probe->events, std::vector<std::string>{"scroll v " + std::to_string(c.code) + " " + std::to_string(c.expected)})
        << c.why;
  }
}

// The system's own thumb tracking, fed with posted pointer messages (it reads them from the
// queue): dragging the thumb to the end of a 60000-pixel range reaches 60000, which the
// message's 16-bit field cannot hold.
TEST_F(Input, DraggingTheThumbReachesTheEndOfALongRange) {
  probe->peer().setScrollRange(fw::ScrollBar::Vertical, 60000, 0);
  probe->peer().showScrollBar(fw::ScrollBar::Vertical, true);
  HWND hwnd = nativeWindow(*probe);
  SCROLLBARINFO sbi{};
  sbi.cbSize = sizeof(sbi);
  ASSERT_TRUE(GetScrollBarInfo(hwnd, OBJID_VSCROLL, &sbi));
  const int x = (sbi.rcScrollBar.left + sbi.rcScrollBar.right) / 2;
  const int thumbY = sbi.rcScrollBar.top + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2;
  probe->events.clear();
  PostMessageW(hwnd, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(x, thumbY));
  // Beyond the bar's end, but near enough that the system does not give up the drag.
  const int beyond = sbi.rcScrollBar.bottom + 10;
  for (int screenY : {thumbY + 20, beyond}) {
    POINT p{x, screenY};
    ScreenToClient(hwnd, &p);
    PostMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  }
  POINT end{x, beyond};
  ScreenToClient(hwnd, &end);
  PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(end.x, end.y));
  pump();
  std::vector<std::string> thumb;
  for (const auto& e : probe->events)
    if (e.starts_with("scroll v 5") || e.starts_with("scroll v 4")) thumb.push_back(e);
  ASSERT_FALSE(thumb.empty()) << "no thumb tracking";
  EXPECT_EQ(thumb.back(), "scroll v 4 60000") << "the end of the drag";
  EXPECT_NE(std::find(thumb.begin(), thumb.end(), "scroll v 5 60000"), thumb.end()) << "tracking reached the end";
}

TEST_F(Input, FocusEventsNameTheControlThatGetsTheFocus) {
  focus(*probe);
  edit->focusEvents.clear();
  edit->setFocus();
  pump();
  EXPECT_EQ(probe->events, std::vector<std::string>{"lost Edit"});
  EXPECT_EQ(edit->focusEvents, std::vector<std::string>{"focus"});
  SetFocus(nullptr);
  pump();
  EXPECT_EQ(edit->focusEvents, (std::vector<std::string>{"focus", "lost -"}));
  probe->setFocus();
  EXPECT_EQ(probe->events, (std::vector<std::string>{"lost Edit", "focus"}));
}

TEST_F(Input, CaptureIsTakenAndLetGoOnlyByItsHolder) {
  HWND hwnd = nativeWindow(*probe);
  probe->setCapture(true);
  EXPECT_EQ(GetCapture(), hwnd);
  probe->setCapture(false);
  EXPECT_EQ(GetCapture(), nullptr);
  edit->setCapture(true);
  probe->setCapture(false);
  EXPECT_EQ(GetCapture(), nativeWindow(*edit)) << "another control's capture stays";
  edit->setCapture(false);
}

TEST_F(Input, TheSplitterCursorIsTheWestEastArrows) {
  probe->setCursor(-14);
  HWND hwnd = nativeWindow(*probe);
  SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
}

}  // namespace
