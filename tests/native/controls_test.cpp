#include <gtest/gtest.h>

#include <stdexcept>

#include "fw/application.h"
#include "fw/controls.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/timer.h"

namespace {

TEST(ProgressBar, PositionsOutsideTheRangeAreHeldAtTheNearerEnd) {
  const struct {
    int min, max, position, shown;
  } cases[] = {
      {0, 30, 5, 5},   {0, 30, 0, 0},     {0, 30, 30, 30}, {0, 30, 45, 30},
      {0, 30, -1, 0},  {0, 30, INT32_MIN, 0}, {0, 30, INT32_MAX, 30},
      {5, 5, 7, 5},    // min equal to max
      {10, 2, 7, 10},  // an inverted range collapses to its minimum
  };
  fw::Form form(nullptr);
  for (const auto& c : cases) {
    fw::ProgressBar& bar = form.create<fw::ProgressBar>(&form);
    bar.setRange(c.min, c.max);
    bar.setPosition(c.position);
    EXPECT_EQ(bar.position(), c.shown) << c.min << ".." << c.max << " at " << c.position;
    EXPECT_EQ(bar.peer<fw::ProgressPeer>().position(), c.shown) << "the widget agrees";
  }
}

TEST(Timer, TicksEveryIntervalWhileEnabledAndStopsWhenDestroyed) {
  int ticks = 0;
  {
    fw::Form form(nullptr);
    fw::Timer& timer = form.create<fw::Timer>();
    timer.loaded();
    timer.setInterval(500);
    timer.onTimer = [&](fw::Component&) { ++ticks; };
    fw::headless::advanceTime(1499);
    EXPECT_EQ(ticks, 2);
    timer.setEnabled(false);
    fw::headless::advanceTime(5000);
    EXPECT_EQ(ticks, 2);
    timer.setEnabled(true);  // enabling starts a fresh interval
    fw::headless::advanceTime(499);
    EXPECT_EQ(ticks, 2);
    fw::headless::advanceTime(1);
    EXPECT_EQ(ticks, 3);
  }
  EXPECT_EQ(fw::headless::liveTimers(), 0);
}

TEST(Application, ErrorsFromHandlersGoToTheExceptionEventOrTheDefaultReport) {
  {
    fw::ApplicationEvents events(nullptr);
    std::string seen;
    events.onException = [&](fw::Component&, std::exception_ptr e) {
      try {
        std::rethrow_exception(e);
      } catch (const std::exception& ex) {
        seen = ex.what();
      }
    };
    fw::Application::guard([] { throw std::runtime_error("boom"); });
    EXPECT_EQ(seen, "boom");
    // An event that itself throws must not let the error escape into the message loop.
    events.onException = [](fw::Component&, std::exception_ptr) { throw 1; };
    EXPECT_NO_THROW(fw::Application::guard([] { throw std::runtime_error("again"); }));
  }
  const auto before = fw::headless::reportedErrors().size();
  fw::Application::guard([] { throw std::runtime_error("unhandled"); });
  ASSERT_EQ(fw::headless::reportedErrors().size(), before + 1);
  EXPECT_EQ(fw::headless::reportedErrors().back(), "unhandled");
}

TEST(Form, ACloseHandlerThatThrowsDoesNotKeepTheWindowOpen) {
  fw::Form form(nullptr);
  form.onCloseQuery = [](fw::Component&, bool&) { throw std::runtime_error("device gone"); };
  EXPECT_TRUE(form.handleCloseRequest());
  form.onCloseQuery = [](fw::Component&, bool& canClose) { canClose = false; };
  EXPECT_FALSE(form.handleCloseRequest());
}

}  // namespace
