// Input in real windows: keys through the program's own message loop and the dialog manager in
// it, characters across the code page, the mouse, the wheel, scroll bars with ranges beyond 16
// bits, focus, capture, and the edit control's notifications, colours and re-creation.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fw/application.h"
#include "fw/controls.h"
#include "fw/custom_control.h"
#include "fw/form.h"
#include "fw/text.h"
#include "fw/win32/native.h"

namespace {

using namespace std::chrono_literals;
using fw::win32::nativeWindow;

std::string describe(fw::ShiftState s) {
  std::string r;
  if (s.shift) r += " shift";
  if (s.ctrl) r += " ctrl";
  if (s.alt) r += " alt";
  if (s.left) r += " L";
  if (s.right) r += " R";
  if (s.middle) r += " M";
  return r;
}

const char* buttonName(fw::MouseButton b) {
  return b == fw::MouseButton::Left ? "left" : b == fw::MouseButton::Right ? "right" : "middle";
}

std::string at(fw::Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

// Writes down every input it gets; keeps the keys and characters it is told to keep.
class Probe : public fw::CustomControl {
 public:
  Probe(fw::Component* owner, fw::Control* parent)
      : fw::CustomControl(owner, parent, fw::WidgetStyle{.border = false, .scrollBars = true}) {}

  std::vector<std::string> events;
  std::set<int> claimed;
  bool characters = true;
  bool takeWheel = true;

  bool handleKeyDown(int& key, fw::ShiftState shift) override {
    events.push_back("key " + std::to_string(key) + describe(shift));
    return true;
  }
  bool handleKeyPress(char& key) override {
    events.push_back(std::string("char ") + key);
    return true;
  }
  void handleMouseDown(fw::MouseButton b, fw::ShiftState shift, fw::Point p) override {
    events.push_back(std::string("down ") + buttonName(b) + " " + at(p) + describe(shift));
  }
  void handleMouseMove(fw::ShiftState shift, fw::Point p) override { events.push_back("move " + at(p) + describe(shift)); }
  void handleMouseUp(fw::MouseButton b, fw::Point p) override { events.push_back(std::string("up ") + buttonName(b) + " " + at(p)); }
  bool handleMouseWheel(int delta, fw::ShiftState shift, fw::Point p) override {
    events.push_back("wheel " + std::to_string(delta) + " " + at(p) + describe(shift));
    return takeWheel;
  }
  void handleScroll(fw::ScrollBar bar, int code, int position) override {
    // As a scrolling control does: the thumb stays where it is dragged.
    if (code == fw::scroll::ThumbTrack) peer().setScrollPosition(bar, position);
    events.push_back(std::string("scroll ") + (bar == fw::ScrollBar::Vertical ? "v " : "h ") + std::to_string(code) + " " +
                     std::to_string(position));
  }
  void handleFocusGained() override { events.push_back("focus"); }
  void handleFocusLost(fw::Control* next) override { events.push_back("lost " + (next ? next->name() : "-")); }
  bool wantsNavigationKey(int key) const override { return claimed.count(key) != 0; }
  bool wantsCharacters() const override { return characters; }
};

// An edit whose key handlers a test sets; the default passes everything on.
class EditProbe : public fw::Edit {
 public:
  EditProbe(fw::Component* owner, fw::Control* parent, const fw::WidgetStyle& style = {}) : fw::Edit(owner, parent, style) {}

  std::function<bool(int&)> key = [](int&) { return false; };
  std::function<bool(char&)> character = [](char&) { return false; };
  std::set<int> claimed;
  std::vector<std::string> focusEvents;

  bool handleKeyDown(int& k, fw::ShiftState) override { return key(k); }
  bool handleKeyPress(char& ch) override { return character(ch); }
  bool wantsNavigationKey(int k) const override { return claimed.count(k) != 0; }
  void handleFocusGained() override { focusEvents.push_back("focus"); }
  void handleFocusLost(fw::Control* next) override { focusEvents.push_back("lost " + (next ? next->name() : "-")); }
};

class WheelForm : public fw::Form {
 public:
  using fw::Form::Form;
  int wheels = 0;
  bool handleMouseWheel(int, fw::ShiftState, fw::Point) override {
    ++wheels;
    return true;
  }
};

// Runs the program's own message loop, the dialog manager's step included, until every
// message posted so far has been handled: a timer's message comes only when no other waits.
void pump() {
  bool ticked = false;
  const auto timer = fw::backend::startTimer(1, [&] { ticked = true; });
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  fw::backend::runMessageLoop([&] { return !ticked && std::chrono::steady_clock::now() < deadline; });
  fw::backend::stopTimer(timer);
}

std::wstring windowText(HWND w) {
  wchar_t buffer[256];
  const int n = GetWindowTextW(w, buffer, 256);
  return {buffer, static_cast<size_t>(n)};
}

class Input : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { fw::Application::instance().initialize(); }

  void SetUp() override {
    form = std::make_unique<WheelForm>(nullptr);
    form->setName("InputForm");
    form->setBounds({100, 100, 500, 400});
    probe = &form->create<Probe>(form.get());
    probe->setName("Probe");
    probe->setBounds({10, 10, 210, 160});
    edit = &form->create<EditProbe>(form.get());
    edit->setName("Edit");
    edit->setBounds({10, 200, 210, 224});
    button = &form->create<fw::Button>(form.get());
    button->setName("Button");
    button->setCaption("&Kapat");
    button->setBounds({250, 200, 330, 225});
    button->onClick = [this](fw::Component&) { ++clicks; };
    form->show();
    SetForegroundWindow(nativeWindow(*form));
    pump();
  }

  void focus(fw::Control& c) {
    c.setFocus();
    pump();
    probe->events.clear();
  }

  void post(fw::Control& c, UINT msg, WPARAM wp, LPARAM lp) { PostMessageW(nativeWindow(c), msg, wp, lp); }

  std::unique_ptr<WheelForm> form;
  Probe* probe = nullptr;
  EditProbe* edit = nullptr;
  fw::Button* button = nullptr;
  int clicks = 0;
};

TEST_F(Input, KeysReachTheFocusedControlPastTheDialogManagerWhenItKeepsThem) {
  probe->claimed = {VK_DOWN, VK_RIGHT};
  enum Focus { Stays, Moves, Either };
  const struct {
    WORD key;
    bool reaches;
    Focus focus;
    const char* why;
  } cases[] = {
      {VK_RETURN, true, Stays, "no default button: Enter belongs to the control"},
      {VK_DOWN, true, Stays, "claimed"},
      {VK_RIGHT, true, Stays, "claimed"},
      {VK_UP, false, Either, "not claimed: the dialog manager's, for moving in the group"},
      {VK_TAB, false, Moves, "Tab stays with the dialog manager"},
      {'A', true, Stays, "an ordinary key"},
  };
  for (const auto& c : cases) {
    focus(*probe);
    post(*probe, WM_KEYDOWN, c.key, 1);
    pump();
    const std::vector<std::string> expected =
        c.reaches ? std::vector<std::string>{"key " + std::to_string(c.key)} : std::vector<std::string>{};
    std::vector<std::string> keys;
    for (const auto& e : probe->events)
      if (e.starts_with("key")) keys.push_back(e);
    EXPECT_EQ(keys, expected) << c.key << ": " << c.why;
    if (c.focus != Either) {
      EXPECT_EQ(GetFocus() == nativeWindow(*probe), c.focus == Stays) << c.key << ": " << c.why;
    }
  }
}

TEST_F(Input, CharactersGoToAControlThatWantsThemAndOtherwiseToMnemonics) {
  for (bool wants : {true, false}) {
    probe->characters = wants;
    clicks = 0;
    focus(*probe);
    post(*probe, WM_CHAR, 'k', 1);
    pump();
    EXPECT_EQ(probe->events, std::vector<std::string>{wants ? "char k" : "lost Button"}) << wants;
    EXPECT_EQ(clicks, wants ? 0 : 1) << "the button's mnemonic, when the control does not want characters";
  }
}

TEST_F(Input, AnEditsKeysPassOnUnlessEatenAndChangedKeysPassOnChanged) {
  const struct {
    const char* what;
    std::function<bool(int&)> handler;
    DWORD caret;
  } cases[] = {
      {"passed on", [](int&) { return false; }, 0},
      {"eaten", [](int&) { return true; }, 1},
      {"set to 0", [](int& k) { k = 0; return false; }, 1},
      {"changed to End", [](int& k) { k = VK_END; return false; }, 3},
  };
  for (const auto& c : cases) {
    edit->setCaption("abc");
    SendMessageW(nativeWindow(*edit), EM_SETSEL, 1, 1);
    focus(*edit);
    edit->key = c.handler;
    post(*edit, WM_KEYDOWN, VK_HOME, 1);
    pump();
    DWORD start = 99;
    SendMessageW(nativeWindow(*edit), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    EXPECT_EQ(start, c.caret) << c.what;
  }
  edit->key = [](int&) { return false; };
}

TEST_F(Input, CharactersCrossTheCodePageBothWays) {
  const struct {
    wchar_t typed;
    char seen;
    std::function<bool(char&)> handler;
    std::wstring text;
  } cases[] = {
      {L'\u011f', '\xF0', [](char&) { return false; }, L"\u011f"},                      // ğ
      {L'\u0130', '\xDD', [](char&) { return false; }, L"\u0130"},                      // İ
      {L'a', 'a', [](char& c) { c = '\xFE'; return false; }, L"\u015f"},                // changed to ş
      {L'x', 'x', [](char&) { return true; }, L""},                                     // eaten
      {L'\u4e2d', '?', [](char&) { return false; }, L"\u4e2d"},  // not in the code page: the typed one
  };
  for (const auto& c : cases) {
    edit->setCaption("");
    focus(*edit);
    std::string seen;
    edit->character = [&](char& ch) {
      seen.push_back(ch);
      return c.handler(ch);
    };
    post(*edit, WM_CHAR, c.typed, 1);
    pump();
    EXPECT_EQ(seen, std::string(1, c.seen)) << static_cast<int>(c.typed);
    EXPECT_EQ(windowText(nativeWindow(*edit)), c.text) << static_cast<int>(c.typed);
  }
  edit->character = [](char&) { return false; };
}

TEST_F(Input, TheEditorsClaimedKeysReachItInsteadOfTheDialogManager) {
  edit->claimed = {VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN};
  std::vector<int> seen;
  edit->key = [&](int& k) {
    seen.push_back(k);
    return true;
  };
  for (WORD k : {VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN}) {
    focus(*edit);
    post(*edit, WM_KEYDOWN, k, 1);
    pump();
    EXPECT_EQ(GetFocus(), nativeWindow(*edit)) << k;
  }
  EXPECT_EQ(seen, (std::vector<int>{VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN}));
  edit->key = [](int&) { return false; };
}

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
    edit->peer().setTextAlignment(s.align);
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
