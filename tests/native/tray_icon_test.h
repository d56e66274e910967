// The tray icon's tests share one fixture: a form that owns the icons, the headless shell reset
// for each test, and the icon's events written down in order.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fw/application.h"
#include "fw/form.h"
#include "fw/layout.h"
#include "fw/menu.h"
#include "fw/testing/headless.h"
#include "fw/testing/headless_shell.h"
#include "fw/text.h"
#include "tray_icon.h"

namespace tray_icon_testing {

using tray::BalloonIcon;
using tray::TNotifyMode;
using tray::TTrayIcon;
using tray::TTrayIconHandler;
namespace hl = fw::headless;
namespace shell = fw::shell;
namespace msg = fw::shell::msg;
using Strings = std::vector<std::string>;

inline std::string buttonName(fw::MouseButton b) {
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

}  // namespace tray_icon_testing
