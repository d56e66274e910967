#include "msg_timer.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fw/application.h"
#include "fw/testing/headless.h"
#include "fw/testing/headless_shell.h"

namespace {

using tray::TMsgTimer;
using tray::TMsgTimerHandler;
namespace hl = fw::headless;

class MsgTimerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(TMsgTimerHandler::instance(), nullptr) << "the hidden window outlived the last timer";
    EXPECT_TRUE(hl::messageWindows(TMsgTimerHandler::ClassName).empty());
  }
};

TEST_F(MsgTimerTest, DoesNotRunUntilStartedAndRefusesAZeroInterval) {
  int ticks = 0;
  TMsgTimer idle(100, [&](TMsgTimer&) { ++ticks; });
  TMsgTimer zero(0, [&](TMsgTimer&) { ++ticks; });
  hl::advanceTime(1000);
  EXPECT_EQ(ticks, 0);
  EXPECT_FALSE(idle.Enabled());
  EXPECT_FALSE(zero.Start());
  EXPECT_FALSE(zero.Enabled()) << "a refused start changes nothing";
  zero.setEnabled(true);
  EXPECT_FALSE(zero.Enabled());
  hl::advanceTime(1000);
  EXPECT_EQ(ticks, 0);
  TMsgTimer plain;
  EXPECT_EQ(plain.Interval(), 1000u);
  EXPECT_FALSE(plain.OnTick());
}

TEST_F(MsgTimerTest, TicksOncePerPeriodAndEnablingAgainRestartsThePeriod) {
  std::vector<TMsgTimer*> senders;
  TMsgTimer timer(100, [&](TMsgTimer& s) { senders.push_back(&s); });
  timer.setEnabled(true);
  hl::advanceTime(250);
  EXPECT_EQ(senders.size(), 2u);
  EXPECT_EQ(senders.front(), &timer);
  timer.setEnabled(true);  // at 250: the next tick is due at 350, not 300
  timer.setEnabled(true);
  hl::advanceTime(99);
  EXPECT_EQ(senders.size(), 2u) << "restarting twice must not tick twice in one period";
  hl::advanceTime(1);
  EXPECT_EQ(senders.size(), 3u);
  timer.setEnabled(false);
  hl::advanceTime(1000);
  EXPECT_EQ(senders.size(), 3u);
}

// A zero interval or a removed handler stops the system timer but keeps Enabled, so that a
// later interval brings the ticks back.
TEST_F(MsgTimerTest, ZeroIntervalOrNoHandlerPausesWithoutClearingEnabled) {
  const struct {
    const char* what;
    bool clearHandler;
  } cases[] = {{"interval 0", false}, {"handler removed", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    int ticks = 0;
    auto count = [&](TMsgTimer&) { ++ticks; };
    TMsgTimer timer(100, count);
    ASSERT_TRUE(timer.Start());
    hl::advanceTime(100);
    ASSERT_EQ(ticks, 1);
    if (c.clearHandler) {
      timer.setOnTick(nullptr);
    } else {
      timer.setInterval(0);
    }
    hl::advanceTime(1000);
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(timer.Enabled());
    if (c.clearHandler) timer.setOnTick(count);
    timer.setInterval(500);
    hl::advanceTime(499);
    EXPECT_EQ(ticks, 1);
    hl::advanceTime(1);
    EXPECT_EQ(ticks, 2) << "resumes at the new period";
    timer.setInterval(500);  // unchanged: no restart
    hl::advanceTime(500);
    EXPECT_EQ(ticks, 3);
  }
}

TEST_F(MsgTimerTest, StopAfterTickGivesOneTickAndClearsEnabled) {
  int ticks = 0;
  bool enabledInTick = true;
  TMsgTimer timer(50, [&](TMsgTimer& s) {
    ++ticks;
    enabledInTick = s.Enabled();
  });
  timer.setStopAfterTick(true);
  timer.setEnabled(true);
  hl::advanceTime(500);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(enabledInTick) << "stopped before the tick is delivered";
  EXPECT_FALSE(timer.Enabled());
}

TEST_F(MsgTimerTest, OneHiddenWindowLivesFromTheFirstTimerToTheLast) {
  EXPECT_EQ(TMsgTimerHandler::instance(), nullptr);
  auto first = std::make_unique<TMsgTimer>();
  auto second = std::make_unique<TMsgTimer>();
  const auto windows = hl::messageWindows(TMsgTimerHandler::ClassName);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(TMsgTimerHandler::instance()->users(), 2u);
  EXPECT_NE(first->TimerId(), second->TimerId());
  EXPECT_NE(first->TimerId(), 0u);
  first.reset();
  EXPECT_EQ(TMsgTimerHandler::instance()->users(), 1u);
  second.reset();
  EXPECT_TRUE(hl::messageWindows(TMsgTimerHandler::ClassName).empty());
  TMsgTimer third;
  const auto again = hl::messageWindows(TMsgTimerHandler::ClassName);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_NE(again.front(), windows.front()) << "a new window, not the freed one";
}

// A tick already queued when its timer is freed must find nobody (and not the freed memory).
TEST_F(MsgTimerTest, ATickForAFreedTimerIsIgnored) {
  int ticks = 0;
  TMsgTimer keeper(100, [&](TMsgTimer&) { ++ticks; });
  auto gone = std::make_unique<TMsgTimer>(100, [&](TMsgTimer&) { ++ticks; });
  const std::uintptr_t staleId = gone->TimerId();
  gone.reset();
  const auto window = hl::messageWindows(TMsgTimerHandler::ClassName).at(0);
  const hl::Delivery d = hl::send(window, fw::shell::msg::Timer, staleId);
  EXPECT_TRUE(d.handled);
  EXPECT_EQ(ticks, 0);
  EXPECT_FALSE(hl::send(window, fw::shell::msg::User + 1).handled) << "other messages get the default handling";
}

TEST_F(MsgTimerTest, ATickMayFreeItsOwnTimerAndErrorsGoToTheApplication) {
  auto timer = std::make_unique<TMsgTimer>();
  timer->setInterval(10);
  timer->setOnTick([&](TMsgTimer&) { timer.reset(); });
  timer->Start();
  hl::advanceTime(50);
  EXPECT_EQ(timer, nullptr);
  EXPECT_EQ(TMsgTimerHandler::instance(), nullptr) << "the last timer took the hidden window with it";

  std::string seen;
  fw::Application::instance().onException = [&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& x) {
      seen = x.what();
    }
  };
  {
    TMsgTimer failing(10, [](TMsgTimer&) { throw std::runtime_error("tick failed"); });
    failing.Start();
    hl::advanceTime(10);
  }
  fw::Application::instance().onException = nullptr;
  EXPECT_EQ(seen, "tick failed");
}

}  // namespace
