// The shell's record: construction, tooltip, adding and removing, balloons, the image and its
// cycling, the shell's restart, and loading from a layout.
#include "tray_icon_test.h"

namespace tray_icon_testing {

TEST_F(TrayIconTest, ConstructionPreparesTheRecordAndSharesOneHiddenWindow) {
  TTrayIcon& a = makeIcon();
  TTrayIcon& b = makeIcon();
  EXPECT_TRUE(hl::shellCalls().empty()) << "nothing reaches the shell before the icon is asked for";
  const auto windows = hl::messageWindows(TTrayIconHandler::ClassName);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(TTrayIconHandler::instance()->users(), 2u);
  for (const TTrayIcon* t : {&a, &b}) {
    EXPECT_EQ(t->IconData().window, windows.front());
    EXPECT_EQ(t->IconData().flags, 7u);
    EXPECT_EQ(t->IconData().callbackMessage, 0x800u);
    EXPECT_NE(t->IconData().id, 0u);
    EXPECT_FALSE(t->IconVisible());
    EXPECT_TRUE(t->Enabled());
    EXPECT_TRUE(t->ShowHint());
    EXPECT_FALSE(t->PointerLeaveTimer().Enabled());
    EXPECT_EQ(t->PointerLeaveTimer().Interval(), 20u);
    EXPECT_EQ(t->SingleClickTimer().Interval(), 1000u);
  }
  EXPECT_NE(a.IconData().id, b.IconData().id);
  form.reset();
  EXPECT_TRUE(hl::messageWindows(TTrayIconHandler::ClassName).empty());
  form = std::make_unique<fw::Form>(nullptr);
  makeIcon();
  const auto again = hl::messageWindows(TTrayIconHandler::ClassName);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_NE(again.front(), windows.front());
}

TEST_F(TrayIconTest, TooltipFollowsHintAndShowHint) {
  const std::string turkish = fw::ansi(u8"Çağrı ışık ĞÜŞİÖÇ");
  const struct {
    std::string hint;
    bool show;
    std::string tip;
  } cases[] = {
      {std::string(127, 'a'), true, std::string(127, 'a')},  // whole
      {std::string(127, 'b') + "cut", true, std::string(127, 'b')},
      {turkish, true, turkish},
      {"", true, ""},
      {"hidden", false, ""},
  };
  TTrayIcon& t = makeIcon();
  t.setIconVisible(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hint);
    t.setShowHint(c.show);
    t.setHint(c.hint);
    EXPECT_EQ(lastCall().action, shell::NotifyAction::Modify);
    EXPECT_EQ(lastCall().data.tip, c.tip);
    EXPECT_EQ(hl::trayIcons().at(0).data.tip, c.tip);
  }
}

TEST_F(TrayIconTest, IconVisibleAddsAndRemovesAndTheStoredValueFollowsTheRequest) {
  TTrayIcon& t = makeIcon();
  t.setIconVisible(true);
  EXPECT_EQ(lastCall().action, shell::NotifyAction::Add);
  EXPECT_TRUE(lastCall().succeeded);
  EXPECT_EQ(hl::trayIcons().size(), 1u);
  t.setIconVisible(true);
  EXPECT_FALSE(lastCall().succeeded) << "a second add fails quietly";
  EXPECT_TRUE(t.IconVisible());
  t.setIconVisible(false);
  EXPECT_EQ(lastCall().action, shell::NotifyAction::Delete);
  EXPECT_TRUE(hl::trayIcons().empty());
  EXPECT_FALSE(t.RefreshTrayIcon()) << "an icon that is not shown cannot be changed";

  hl::setNotificationArea(false);
  t.setIconVisible(true);
  EXPECT_FALSE(lastCall().succeeded);
  EXPECT_TRUE(t.IconVisible()) << "the stored value is the request, not the shell's answer";
  EXPECT_FALSE(t.AddToTray());
}

TEST_F(TrayIconTest, BalloonFillsTheRecordCutsItsTextsAndLeavesTheFlagsAsBefore) {
  TTrayIcon& t = makeIcon();
  t.setIconVisible(true);
  hl::clearShellCalls();
  const std::string title = fw::ansi(u8"Çağrı: ") + std::string(70, 'T');
  const std::string text = std::string(300, '5');
  EXPECT_TRUE(t.ShowBalloonMessage(title, text, BalloonIcon::BalloonInfo, 10));
  const auto& calls = hl::shellCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].data.flags, 0x17u) << "first the showing balloon is dismissed";
  EXPECT_EQ(calls[0].data.info, "");
  EXPECT_EQ(calls[1].data.flags, 0x17u);
  EXPECT_EQ(calls[1].data.info, std::string(255, '5'));
  EXPECT_EQ(calls[1].data.infoTitle, title.substr(0, 63));
  EXPECT_EQ(calls[1].data.timeoutOrVersion, 10000u);
  EXPECT_EQ(calls[1].data.infoFlags, 1u);
  EXPECT_EQ(hl::trayIcons().at(0).data.info, std::string(255, '5'));
  EXPECT_EQ(t.IconData().flags, 7u);
  t.setHint("later");
  EXPECT_EQ(lastCall().data.flags, 7u) << "a later refresh does not show the balloon again";

  const struct {
    BalloonIcon kind;
    unsigned flags;
  } kinds[] = {{BalloonIcon::BalloonNone, 0}, {BalloonIcon::BalloonWarning, 2}, {BalloonIcon::BalloonError, 3}};
  for (const auto& k : kinds) {
    t.ShowBalloonMessage("t", "x", k.kind, 0);
    EXPECT_EQ(lastCall().data.infoFlags, k.flags);
    EXPECT_EQ(lastCall().data.timeoutOrVersion, 0u);
  }

  t.setIconVisible(false);
  EXPECT_FALSE(t.ShowBalloonMessage("t", "x", BalloonIcon::BalloonInfo, 10));
  EXPECT_TRUE(hl::trayIcons().empty());
  EXPECT_EQ(t.IconData().flags, 7u);
}

TEST_F(TrayIconTest, IconSetterCopiesTheImageAndRefreshesOnce) {
  TTrayIcon& t = makeIcon();
  t.setIconVisible(true);
  hl::clearShellCalls();
  {
    fw::Icon given;
    given.loadResource("MAINICON");
    t.setIcon(given);
    EXPECT_NE(t.Icon().handle(), given.handle()) << "a copy of its own";
  }
  ASSERT_EQ(hl::shellCalls().size(), 1u);
  EXPECT_EQ(hl::iconName(lastCall().data.icon), "MAINICON");
  EXPECT_EQ(hl::iconName(hl::trayIcons().at(0).data.icon), "MAINICON") << "the copy outlives the given icon";
}

TEST_F(TrayIconTest, IconIndexStaysInsideTheImageList) {
  fw::ImageList& list = form->create<fw::ImageList>();
  for (const char* name : {"A", "B", "C"}) {
    fw::Icon i;
    i.loadResource(name);
    list.add(i);
  }
  fw::ImageList& empty = form->create<fw::ImageList>();
  TTrayIcon& t = makeIcon();
  t.setIconVisible(true);
  const struct {
    fw::ImageList* list;
    int request, index;
    const char* image;
  } cases[] = {
      {&list, 1, 1, "B"}, {&list, 7, 2, "C"}, {&list, 3, 2, "C"},
      {&list, -4, 0, "A"},  // below the list: its first image, never a negative index
      {nullptr, 2, 0, "A"}, {&empty, 1, 0, "A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request);
    t.setIconList(c.list);
    t.setIconIndex(c.request);
    EXPECT_EQ(t.IconIndex(), c.index);
    EXPECT_EQ(lastCall().action, shell::NotifyAction::Modify);
    if (c.list == &list) {
      EXPECT_EQ(hl::iconName(hl::trayIcons().at(0).data.icon), c.image);
    }
  }
}

TEST_F(TrayIconTest, CyclingStepsThroughTheListAndReportsTheNextIndex) {
  fw::ImageList& list = form->create<fw::ImageList>();
  for (const char* name : {"A", "B", "C"}) {
    fw::Icon i;
    i.loadResource(name);
    list.add(i);
  }
  TTrayIcon& t = makeIcon();
  std::vector<int> reported, indices;
  Strings shown;
  t.OnCycle = [&](fw::Component& s, int next) {
    EXPECT_EQ(&s, &t);
    reported.push_back(next);
  };
  t.setIconVisible(true);
  t.setIconList(&list);
  t.setCycleInterval(400);
  t.setCycleIcons(true);
  EXPECT_EQ(t.IconIndex(), 0);
  for (int tick = 0; tick < 4; ++tick) {
    fw::headless::advanceTime(400);
    indices.push_back(t.IconIndex());
    shown.push_back(hl::iconName(hl::trayIcons().at(0).data.icon));
  }
  EXPECT_EQ(indices, (std::vector<int>{1, 2, 0, 1}));
  EXPECT_EQ(reported, (std::vector<int>{1, 2, 0, 1}));
  EXPECT_EQ(shown, (Strings{"B", "C", "A", "B"}));

  t.setCycleInterval(0);  // the timer refuses to start: no cycling
  fw::headless::advanceTime(2000);
  EXPECT_EQ(reported.size(), 4u);
  t.setCycleInterval(100);
  fw::headless::advanceTime(100);
  EXPECT_EQ(reported.size(), 5u);
  t.setCycleIcons(false);
  fw::headless::advanceTime(1000);
  EXPECT_EQ(reported.size(), 5u);
}

TEST_F(TrayIconTest, TaskbarRestartPutsBackOnlyAVisibleIcon) {
  const unsigned restart = tray::TaskbarRestartMessage();
  ASSERT_NE(restart, 0u);
  TTrayIcon& shown = makeIcon();
  TTrayIcon& hidden = makeIcon();
  shown.setIconVisible(true);
  shown.setNotifyMode(TNotifyMode::Version3Notify);
  hidden.setIconVisible(false);
  hl::restartShell();
  ASSERT_TRUE(hl::trayIcons().empty());
  const hl::Delivery d = hl::send(shell::applicationWindow(), restart);
  EXPECT_FALSE(d.handled) << "the hook only watches";
  const auto icons = hl::trayIcons();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].data.id, shown.IconData().id);
  EXPECT_EQ(icons[0].version, 3u) << "the new shell is told the icon's version again";
}

// A program started with Windows can come up before the taskbar does: its first add fails, and
// the icon must appear when the shell announces itself, without the program doing anything.
TEST_F(TrayIconTest, AnIconShownBeforeTheNotificationAreaExistsAppearsWithIt) {
  hl::setNotificationArea(false);
  TTrayIcon& icon = makeIcon();
  icon.setIconVisible(true);
  EXPECT_TRUE(hl::trayIcons().empty());
  ASSERT_FALSE(hl::shellCalls().empty());
  EXPECT_FALSE(hl::shellCalls().back().succeeded) << "no notification area yet";
  hl::setNotificationArea(true);
  hl::send(shell::applicationWindow(), tray::TaskbarRestartMessage());
  const auto icons = hl::trayIcons();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].data.id, icon.IconData().id);
}

TEST_F(TrayIconTest, LoadsFromALayoutAndShowsTheIconAtTheEndOfLoading) {
  hl::setResourceDir(ZELVORA_TEST_DATA);
  fw::Form loadedForm(nullptr);
  loadedForm.loadLayout("tray.layout");
  auto& t = loadedForm.component<TTrayIcon>("TrayIcon1");
  EXPECT_EQ(t.CycleInterval(), 400u);
  EXPECT_TRUE(t.IconVisible());
  EXPECT_EQ(t.IconIndex(), 0);
  EXPECT_EQ(t.PopupMenu(), &loadedForm.component<fw::PopupMenu>("PopupMenu1"));
  EXPECT_TRUE(t.WantEnterExitEvents());
  EXPECT_EQ(t.Hint(), fw::ansi(u8"Zelvora çağrı"));
  EXPECT_FALSE(t.ShowHint());
  EXPECT_FALSE(t.Enabled());
  EXPECT_TRUE(t.LeftPopup());
  EXPECT_TRUE(t.MinimizeToTray());
  const auto icons = hl::trayIcons();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(hl::iconName(icons[0].data.icon), "MAINICON");
  EXPECT_EQ(icons[0].data.tip, "") << "ShowHint is off";
  // End of loading: refresh, add again (fails: already there), set the version.
  const auto& calls = hl::shellCalls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[calls.size() - 3].action, shell::NotifyAction::Modify);
  EXPECT_EQ(calls[calls.size() - 2].action, shell::NotifyAction::Add);
  EXPECT_FALSE(calls[calls.size() - 2].succeeded);
  EXPECT_EQ(calls.back().action, shell::NotifyAction::SetVersion);

  fw::Form broken(nullptr);
  try {
    broken.loadLayout("tray_unknown_menu.layout");
    FAIL() << "a popup menu that is not declared must fail the layout";
  } catch (const fw::LayoutError& e) {
    EXPECT_EQ(e.line(), 4);
    EXPECT_EQ(e.property(), "PopupMenu");
  }
}

}  // namespace tray_icon_testing
