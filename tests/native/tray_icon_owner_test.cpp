// The icon and the windows around it: minimising into the notification area, starting hidden,
// components and icons that go, and its own destruction.
#include "tray_icon_test.h"

namespace tray_icon_testing {

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

}  // namespace tray_icon_testing
