// The pointer on the icon: clicks and double-clicks, the popup menu, the notify modes, entering
// and leaving, the modifier keys.
#include "tray_icon_test.h"

namespace tray_icon_testing {

TEST_F(TrayIconTest, ClickAndDoubleClickAreToldApart) {
  // Steps: a notification code, or a pause in milliseconds (negative numbers).
  const struct {
    const char* what;
    bool doubleClickWanted;
    std::vector<int> steps;
    Strings expected;
  } cases[] = {
      {"without OnDblClick the click comes at the release, before the mouse-up", false,
       {msg::LButtonDown, msg::LButtonUp}, {"down L 5,6", "click", "up L"}},
      {"with OnDblClick a click comes one double-click time after the press", true,
       {msg::LButtonDown, -100, msg::LButtonUp, -399}, {"down L 5,6", "up L"}},
      {"... and not a moment before", true,
       {msg::LButtonDown, -100, msg::LButtonUp, -400}, {"down L 5,6", "up L", "click"}},
      {"a double-click raises OnDblClick and no click", true,
       {msg::LButtonDown, msg::LButtonUp, -50, msg::LButtonDblClk, msg::LButtonUp, -1000},
       {"down L 5,6", "up L", "dblclick", "up L"}},
      {"a press held past the double-click time clicks at the release", true,
       {msg::LButtonDown, -800, msg::LButtonUp, -1000}, {"down L 5,6", "click", "up L"}},
      {"a release without a press is no click", false, {msg::LButtonUp}, {"up L"}},
  };
  hl::setCursor({5, 6});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto icon = std::make_unique<TTrayIcon>(form.get());  // gone, with its timers, after the case
    TTrayIcon& t = *icon;
    record(t);
    if (c.doubleClickWanted) recordDoubleClicks(t);
    events.clear();
    for (int step : c.steps) {
      if (step < 0) {
        fw::headless::advanceTime(static_cast<unsigned>(-step));
      } else {
        notifyTray(t, static_cast<unsigned>(step));
      }
    }
    EXPECT_EQ(events, c.expected);
  }
}

TEST_F(TrayIconTest, WhileDisabledOnlyBalloonNotificationsArrive) {
  TTrayIcon& t = makeIcon();
  recordDoubleClicks(t);
  t.setWantEnterExitEvents(true);
  t.setPopupMenu(&makeMenu({"one"}));
  t.setEnabled(false);
  for (unsigned code : {msg::MouseMove, msg::LButtonDown, msg::LButtonUp, msg::LButtonDblClk, msg::RButtonDown,
                        msg::RButtonUp, msg::MButtonDown, msg::MButtonUp, msg::ContextMenu})
    notifyTray(t, code);
  fw::headless::advanceTime(1000);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(std::count_if(hl::windowCalls().begin(), hl::windowCalls().end(),
                          [](const std::string& c) { return c.starts_with("popup"); }),
            0);
  for (unsigned code : {msg::NinBalloonShow, msg::NinBalloonHide, msg::NinBalloonTimeout, msg::NinBalloonUserClick})
    notifyTray(t, code);
  EXPECT_EQ(events, (Strings{"balloon show", "balloon hide", "balloon timeout", "balloon click"}));
}

TEST_F(TrayIconTest, RightPressOpensThePopupMenuAtTheCursor) {
  TTrayIcon& t = makeIcon();
  fw::PopupMenu& menu = makeMenu({"Listeyi sil"});
  t.setPopupMenu(&menu);
  hl::setCursor({30, 40});
  hl::clearWindowCalls();
  notifyTray(t, msg::RButtonDown);
  EXPECT_EQ(events, (Strings{"down R 30,40"}));
  EXPECT_EQ(hl::windowCalls(), (Strings{"foreground TTrayIconHandler", "foreground TTrayIconHandler", "popup 30,40",
                                        "post Owner 0"}));
  EXPECT_EQ(menu.popupComponent(), &t);

  menu.setAutoPopup(false);
  events.clear();
  hl::clearWindowCalls();
  notifyTray(t, msg::RButtonDown);
  EXPECT_EQ(events, (Strings{"down R 30,40"})) << "the mouse event still fires";
  EXPECT_TRUE(hl::windowCalls().empty());

  menu.setAutoPopup(true);
  hl::setCursorReadable(false);
  hl::clearWindowCalls();
  t.ShowPopupAtCursor();
  EXPECT_TRUE(hl::windowCalls().empty()) << "no menu at an unknown place";
}

TEST_F(TrayIconTest, WhichNotificationsCountAsTheRightButtonsReleaseDependsOnTheMode) {
  const struct {
    TNotifyMode mode;
    unsigned code;
    bool released;
  } cases[] = {
      {TNotifyMode::ClassicNotify, msg::RButtonUp, true},     {TNotifyMode::ClassicNotify, msg::ContextMenu, false},
      {TNotifyMode::ClassicNotify, msg::NinSelect, false},    {TNotifyMode::Version3Notify, msg::RButtonUp, false},
      {TNotifyMode::Version3Notify, msg::ContextMenu, true},  {TNotifyMode::Version3Notify, msg::NinSelect, true},
      {TNotifyMode::Version3Notify, msg::NinKeySelect, true}, {TNotifyMode::ClassicNotify, msg::RButtonDblClk, false},
      {TNotifyMode::ClassicNotify, msg::MButtonDblClk, false},
  };
  TTrayIcon& t = makeIcon();
  t.setIconVisible(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    t.setNotifyMode(c.mode);
    EXPECT_EQ(lastCall().action, shell::NotifyAction::SetVersion);
    EXPECT_EQ(hl::trayIcons().at(0).version, c.mode == TNotifyMode::Version3Notify ? 3u : 0u);
    events.clear();
    notifyTray(t, c.code);
    EXPECT_EQ(events, c.released ? Strings{"up R"} : Strings{});
  }
  events.clear();
  notifyTray(t, msg::MButtonDown);
  notifyTray(t, msg::MButtonUp);
  EXPECT_EQ(events, (Strings{"down M 0,0", "up M"}));
}

TEST_F(TrayIconTest, DoubleClickChoosesTheFirstDefaultItemUnlessTheLeftButtonPopsUp) {
  TTrayIcon& t = makeIcon();
  fw::PopupMenu& menu = makeMenu({"A", "B", "C"});
  menu.items()[1]->setDefault(true);
  menu.items()[2]->setDefault(true);
  t.setPopupMenu(&menu);
  notifyTray(t, msg::LButtonDblClk);
  EXPECT_EQ(events, (Strings{"menu B"}));

  menu.setAutoPopup(false);
  events.clear();
  notifyTray(t, msg::LButtonDblClk);
  EXPECT_TRUE(events.empty());

  menu.setAutoPopup(true);
  t.setLeftPopup(true);
  hl::setCursor({1, 2});
  hl::clearWindowCalls();
  notifyTray(t, msg::LButtonDblClk);
  EXPECT_TRUE(events.empty()) << "with the left button opening the menu, nothing is chosen for it";
  notifyTray(t, msg::LButtonDown);
  EXPECT_EQ(events, (Strings{"down L 1,2"}));
  EXPECT_NE(std::find(hl::windowCalls().begin(), hl::windowCalls().end(), "popup 1,2"), hl::windowCalls().end())
      << "the left press opens the menu";
}

TEST_F(TrayIconTest, EnterAndExitFollowThePointer) {
  TTrayIcon& t = makeIcon();
  t.setWantEnterExitEvents(true);
  EXPECT_FALSE(t.PointerLeaveTimer().Enabled()) << "nothing to check while the pointer is elsewhere";
  hl::setCursor({10, 10});
  notifyTray(t, msg::MouseMove);
  EXPECT_TRUE(t.PointerLeaveTimer().Enabled());
  notifyTray(t, msg::MouseMove);
  EXPECT_EQ(events, (Strings{"enter", "move", "move"}));
  fw::headless::advanceTime(200);
  EXPECT_EQ(events.size(), 3u) << "a still pointer stays on the icon";
  hl::setCursor({10, 11});
  fw::headless::advanceTime(19);
  EXPECT_EQ(events.size(), 3u);
  fw::headless::advanceTime(1);
  EXPECT_EQ(events.back(), "exit") << "within one 20 ms check";
  EXPECT_FALSE(t.PointerLeaveTimer().Enabled());
  fw::headless::advanceTime(200);
  EXPECT_EQ(events.size(), 4u) << "one exit";
  notifyTray(t, msg::MouseMove);
  EXPECT_EQ(events, (Strings{"enter", "move", "move", "exit", "enter", "move"}));

  // Switched off while on the icon: no exit; switched on again: the check resumes.
  t.setWantEnterExitEvents(false);
  EXPECT_FALSE(t.PointerLeaveTimer().Enabled());
  hl::setCursor({99, 99});
  fw::headless::advanceTime(100);
  EXPECT_EQ(events.back(), "move");
  t.setWantEnterExitEvents(true);
  fw::headless::advanceTime(20);
  EXPECT_EQ(events.back(), "exit");

  t.setWantEnterExitEvents(false);
  events.clear();
  notifyTray(t, msg::MouseMove);
  EXPECT_EQ(events, (Strings{"move"}));
  EXPECT_FALSE(t.PointerLeaveTimer().Enabled());
}

TEST_F(TrayIconTest, ShiftStateIsReadFromTheKeysWhenTheNotificationIsHandled) {
  TTrayIcon& t = makeIcon();
  std::vector<fw::ShiftState> seen;
  t.OnMouseDown = [&](fw::Component&, fw::MouseButton, fw::ShiftState s, int, int) { seen.push_back(s); };
  t.OnMouseMove = [&](fw::Component&, fw::ShiftState s, int, int) { seen.push_back(s); };
  hl::setKeyDown(shell::VkShift, true);
  hl::setKeyDown(shell::VkControl, true);
  notifyTray(t, msg::LButtonDown);
  hl::setKeyDown(shell::VkShift, false);
  hl::setKeyDown(shell::VkMenu, true);
  notifyTray(t, msg::MouseMove);
  notifyTray(t, msg::MButtonDown);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], (fw::ShiftState{.shift = true, .ctrl = true, .left = true}));
  EXPECT_EQ(seen[1], (fw::ShiftState{.alt = true, .ctrl = true})) << "a move adds no button";
  EXPECT_EQ(seen[2], (fw::ShiftState{.alt = true, .ctrl = true, .middle = true}));
}

}  // namespace tray_icon_testing
