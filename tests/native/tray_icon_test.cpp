#include "tray_icon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fw/application.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/testing/headless_shell.h"
#include "fw/layout.h"
#include "fw/menu.h"
#include "fw/text.h"

namespace {

using tray::BalloonIcon;
using tray::TNotifyMode;
using tray::TTrayIcon;
using tray::TTrayIconHandler;
namespace hl = fw::headless;
namespace shell = fw::shell;
namespace msg = fw::shell::msg;
using Strings = std::vector<std::string>;

std::string buttonName(fw::MouseButton b) {
  return b == fw::MouseButton::Left ? "L" : b == fw::MouseButton::Right ? "R" : "M";
}

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hl::resetShell();
    fw::registerStandardClasses();
    tray::registerTrayClasses();
    iconsBefore_ = hl::liveIcons();
    form = std::make_unique<fw::Form>(nullptr);
    form->setName("Owner");
  }
  void TearDown() override {
    form.reset();
    fw::Application::instance().terminate();
    EXPECT_EQ(TTrayIconHandler::instance(), nullptr) << "the hidden window outlived the last tray icon";
    EXPECT_EQ(tray::TMsgTimerHandler::instance(), nullptr);
    EXPECT_EQ(hl::liveIcons(), iconsBefore_) << "icon images leaked";
  }

  // A tray icon owned by the form, its events written to `events`.
  TTrayIcon& makeIcon() {
    TTrayIcon& t = form->create<TTrayIcon>();
    record(t);
    return t;
  }
  void record(TTrayIcon& t) {
    t.OnClick = [this](fw::Component&) { events.push_back("click"); };
    t.OnMouseDown = [this](fw::Component&, fw::MouseButton b, fw::ShiftState, int x, int y) {
      events.push_back("down " + buttonName(b) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    t.OnMouseUp = [this](fw::Component&, fw::MouseButton b, fw::ShiftState, int, int) {
      events.push_back("up " + buttonName(b));
    };
    t.OnMouseMove = [this](fw::Component&, fw::ShiftState, int, int) { events.push_back("move"); };
    t.OnMouseEnter = [this](fw::Component&) { events.push_back("enter"); };
    t.OnMouseExit = [this](fw::Component&) { events.push_back("exit"); };
    t.OnBalloonHintShow = [this](fw::Component&) { events.push_back("balloon show"); };
    t.OnBalloonHintHide = [this](fw::Component&) { events.push_back("balloon hide"); };
    t.OnBalloonHintTimeout = [this](fw::Component&) { events.push_back("balloon timeout"); };
    t.OnBalloonHintClick = [this](fw::Component&) { events.push_back("balloon click"); };
  }
  void recordDoubleClicks(TTrayIcon& t) {
    t.OnDblClick = [this](fw::Component&) { events.push_back("dblclick"); };
  }
  static shell::Window hiddenWindow() { return hl::messageWindows(TTrayIconHandler::ClassName).at(0); }
  static void notifyTray(const TTrayIcon& t, unsigned code) {
    hl::send(hiddenWindow(), tray::TrayCallbackMessage, t.IconData().id, code);
  }
  static const hl::ShellCall& lastCall() { return hl::shellCalls().back(); }
  fw::PopupMenu& makeMenu(const Strings& captions) {
    auto& menu = form->create<fw::PopupMenu>();
    for (const auto& c : captions) {
      auto& item = form->create<fw::MenuItem>();
      item.setCaption(c);
      item.onClick = [this, c](fw::Component&) { events.push_back("menu " + c); };
      menu.addItem(item);
    }
    return menu;
  }

  std::unique_ptr<fw::Form> form;
  Strings events;

 private:
  int iconsBefore_ = 0;
};

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

TEST_F(TrayIconTest, MinimisingHidesTheMainWindowIntoTheNotificationArea) {
  fw::Form& main = fw::Application::instance().createForm<fw::Form>(nullptr);
  main.setName("Main");
  main.show();
  TTrayIcon& t = main.create<TTrayIcon>();
  const shell::Window owner = shell::windowOf(main);
  int told = 0;
  t.setMinimizeToTray(true);

  // Without OnMinimizeToTray the owner minimises as usual.
  hl::Delivery d = hl::send(owner, msg::SysCommand, shell::ScMinimize);
  EXPECT_FALSE(d.handled);
  EXPECT_TRUE(main.visible());

  t.OnMinimizeToTray = [&](fw::Component&) { ++told; };
  hl::setApplicationWindowVisible(true);
  d = hl::send(owner, msg::SysCommand, shell::ScMinimize);
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(d.result, 1);
  EXPECT_EQ(told, 1);
  EXPECT_FALSE(main.visible());
  EXPECT_TRUE(t.IconVisible());
  EXPECT_EQ(hl::trayIcons().size(), 1u);
  EXPECT_NE(std::find(hl::windowCalls().begin(), hl::windowCalls().end(), "hide application"), hl::windowCalls().end());

  // The application window's minimise does it without the event.
  main.show();
  t.setIconVisible(false);
  hl::send(shell::applicationWindow(), msg::Size, shell::SizeMinimized);
  EXPECT_FALSE(main.visible());
  EXPECT_TRUE(t.IconVisible());
  EXPECT_EQ(told, 1);

  // A restore command brings it back, un-minimised.
  hl::setMinimized(owner, true);
  hl::clearWindowCalls();
  hl::send(shell::applicationWindow(), msg::SysCommand, shell::ScRestore);
  EXPECT_TRUE(main.visible());
  EXPECT_FALSE(shell::isMinimized(owner));

  // Showing the owner brings the application, then the owner, to the front; the message goes on.
  hl::clearWindowCalls();
  d = hl::send(owner, msg::ShowWindow, 1, 0);
  EXPECT_FALSE(d.handled);
  EXPECT_EQ(hl::windowCalls(), (Strings{"foreground application", "foreground Main"}));
}

TEST_F(TrayIconTest, AnOnStartupAnswerOfFalseStartsHidden) {
  fw::Form& main = fw::Application::instance().createForm<fw::Form>(nullptr);
  TTrayIcon& t = main.create<TTrayIcon>();
  t.OnStartup = [](fw::Component&, bool& show) { show = false; };
  main.show();
  t.loaded();
  EXPECT_FALSE(fw::Application::instance().showMainForm);
  EXPECT_FALSE(main.visible());
  fw::Application::instance().showMainForm = true;
}

TEST_F(TrayIconTest, RemovedComponentsAreForgotten) {
  TTrayIcon& t = makeIcon();
  auto list = std::make_unique<fw::ImageList>(nullptr);
  fw::Icon a, b;
  a.loadResource("A");
  b.loadResource("B");
  list->add(a);
  list->add(b);
  auto menu = std::make_unique<fw::PopupMenu>(nullptr);
  t.setIconList(list.get());
  t.setIconIndex(1);
  t.setPopupMenu(menu.get());
  t.setIconVisible(true);
  list.reset();
  EXPECT_EQ(t.IconList(), nullptr);
  EXPECT_EQ(t.IconIndex(), 0);
  EXPECT_EQ(lastCall().action, shell::NotifyAction::Modify);
  menu.reset();
  EXPECT_EQ(t.PopupMenu(), nullptr);
  hl::clearWindowCalls();
  notifyTray(t, msg::RButtonDown);
  EXPECT_TRUE(hl::windowCalls().empty());
}

TEST_F(TrayIconTest, DestructionRemovesTheIconAndEveryHook) {
  const shell::Window owner = shell::windowOf(*form);
  auto t = std::make_unique<TTrayIcon>(form.get());
  t->setIconVisible(true);
  t->setWantEnterExitEvents(true);
  t->setCycleInterval(10);
  t->setCycleIcons(true);
  EXPECT_EQ(hl::hookCount(owner), 1);
  EXPECT_EQ(hl::hookCount(shell::applicationWindow()), 1);
  t->setIconVisible(false);
  t->setIconVisible(true);
  t.reset();
  EXPECT_EQ(lastCall().action, shell::NotifyAction::Delete);
  EXPECT_TRUE(lastCall().succeeded);
  EXPECT_TRUE(hl::trayIcons().empty());
  EXPECT_EQ(hl::hookCount(owner), 0);
  EXPECT_EQ(hl::hookCount(shell::applicationWindow()), 0);
  EXPECT_EQ(fw::headless::liveTimers(), 0);

  // A tray icon owned by something that is not a window hooks only the application window.
  fw::ImageList plainOwner(nullptr);
  {
    TTrayIcon unowned(&plainOwner);
    EXPECT_EQ(hl::hookCount(shell::applicationWindow()), 1);
    unowned.setIconVisible(true);
  }
  EXPECT_TRUE(hl::trayIcons().empty());
}

// Removing the icon waits for the shell, and messages sent meanwhile are delivered: they must not
// reach the handlers of an owner that is being destroyed.
TEST_F(TrayIconTest, NothingIsToldWhileTheIconIsBeingDestroyed) {
  auto t = std::make_unique<TTrayIcon>(form.get());
  auto told = std::make_unique<Strings>();
  t->OnMouseMove = [&told](fw::Component&, fw::ShiftState, int, int) { told->push_back("move"); };
  t->OnMinimizeToTray = [&told](fw::Component&) { told->push_back("minimise"); };
  t->setMinimizeToTray(true);
  t->setIconVisible(true);
  const shell::Window owner = shell::windowOf(*form);
  int deliveries = 0;
  hl::setDuringShellCall([&](const shell::NotifyIconData& d) {
    if (deliveries++ > 0) return;  // once: the removal's call
    hl::send(d.window, tray::TrayCallbackMessage, d.id, msg::MouseMove);
    EXPECT_FALSE(hl::send(owner, msg::SysCommand, shell::ScMinimize).handled);
  });
  t.reset();
  hl::setDuringShellCall(nullptr);
  EXPECT_EQ(deliveries, 1);
  EXPECT_TRUE(told->empty());
}

// A notification already queued when its icon is freed must find nobody.
TEST_F(TrayIconTest, TheHiddenWindowIgnoresGoneIconsAndKeepsItselfAgainstClosing) {
  TTrayIcon& keeper = makeIcon();
  auto gone = std::make_unique<TTrayIcon>(form.get());
  record(*gone);
  const unsigned staleId = gone->IconData().id;
  gone.reset();
  ASSERT_NE(staleId, keeper.IconData().id);
  hl::send(hiddenWindow(), tray::TrayCallbackMessage, staleId, msg::LButtonUp);
  EXPECT_TRUE(events.empty());

  for (unsigned m : {msg::Destroy, msg::Close, msg::QueryEndSession, msg::Quit, msg::EndSession, msg::NcDestroy}) {
    const hl::Delivery d = hl::send(hiddenWindow(), m);
    EXPECT_TRUE(d.handled) << m;
    EXPECT_EQ(d.result, 1) << m;
  }
  EXPECT_FALSE(hl::send(hiddenWindow(), msg::User + 7).handled);
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

}  // namespace
