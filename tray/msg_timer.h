// A periodic timer that needs no owner window: every timer of the process ticks through one
// shared hidden window, TMsgTimerHandler, on the GUI thread's message loop.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "fw/shell.h"

namespace tray {

class TMsgTimer {
 public:
  using TickEvent = std::function<void(TMsgTimer& Sender)>;

  TMsgTimer();  // 1000 ms, no handler
  TMsgTimer(unsigned Interval, TickEvent OnTick);
  ~TMsgTimer();
  TMsgTimer(const TMsgTimer&) = delete;
  TMsgTimer& operator=(const TMsgTimer&) = delete;

  // Starts (or restarts) the period; false, changing nothing, for an interval of 0 or when the
  // system has no timer to give.
  bool Start();
  // ClearEnabled false stops the system timer but keeps Enabled, so that a later non-zero
  // interval or handler starts it again.
  void Stop(bool ClearEnabled);

  bool Enabled() const { return enabled_; }
  void setEnabled(bool on);
  unsigned Interval() const { return interval_; }
  void setInterval(unsigned ms);
  const TickEvent& OnTick() const { return onTick_; }
  void setOnTick(TickEvent handler);
  void setStopAfterTick(bool on) { stopAfterTick_ = on; }
  // The system timer's identifier: a number unique among the live timers of the process.
  std::uintptr_t TimerId() const { return timerId_; }

 private:
  friend class TMsgTimerHandler;
  void deliverTick();

  std::uintptr_t timerId_ = 0;
  bool enabled_ = false;
  unsigned interval_ = 1000;
  bool stopAfterTick_ = false;
  TickEvent onTick_;
};

// The hidden window shared by all timers: made by the first timer, freed with the last (or at
// program end).
class TMsgTimerHandler {
 public:
  static constexpr const char* ClassName = "TMsgTimerHandler";
  // Null while no timer lives.
  static TMsgTimerHandler* instance();
  unsigned users() const { return users_; }
  fw::shell::MessageWindow& window() { return window_; }

  TMsgTimerHandler(const TMsgTimerHandler&) = delete;
  TMsgTimerHandler& operator=(const TMsgTimerHandler&) = delete;

 private:
  friend class TMsgTimer;
  TMsgTimerHandler();  // made by acquire()
  static TMsgTimerHandler& acquire(TMsgTimer& timer);
  static void release(TMsgTimer& timer);
  bool handleMessage(fw::shell::Message& m);

  unsigned users_ = 0;
  std::uintptr_t nextId_ = 1;
  std::map<std::uintptr_t, TMsgTimer*> timers_;
  fw::shell::MessageWindow window_;
};

}  // namespace tray
