#include "msg_timer.h"

#include <utility>

namespace tray {
namespace {

std::unique_ptr<TMsgTimerHandler>& handlerSlot() {
  static std::unique_ptr<TMsgTimerHandler> slot;  // freed at program end if still there
  return slot;
}

}  // namespace

TMsgTimerHandler::TMsgTimerHandler()
    : window_(ClassName, [this](fw::shell::Message& m) { return handleMessage(m); }) {}

TMsgTimerHandler* TMsgTimerHandler::instance() { return handlerSlot().get(); }

TMsgTimerHandler& TMsgTimerHandler::acquire(TMsgTimer& timer) {
  auto& slot = handlerSlot();
  if (!slot) slot.reset(new TMsgTimerHandler);
  TMsgTimerHandler& h = *slot;
  // Identifiers are numbers of our own, not addresses: they fit any width, and a tick that
  // was already queued when its timer went finds nobody instead of freed memory.
  while (h.nextId_ == 0 || h.timers_.count(h.nextId_)) ++h.nextId_;
  timer.timerId_ = h.nextId_++;
  h.timers_[timer.timerId_] = &timer;
  ++h.users_;
  return h;
}

void TMsgTimerHandler::release(TMsgTimer& timer) {
  auto& slot = handlerSlot();
  if (!slot) return;
  slot->timers_.erase(timer.timerId_);
  if (--slot->users_ == 0) slot.reset();
}

bool TMsgTimerHandler::handleMessage(fw::shell::Message& m) {
  if (m.msg != fw::shell::msg::Timer) return false;
  auto it = timers_.find(m.wParam);
  m.result = 0;
  // The tick may free its timer and, with the last one, this handler: nothing here after it.
  if (it != timers_.end()) it->second->deliverTick();
  return true;
}

TMsgTimer::TMsgTimer() : TMsgTimer(1000, nullptr) {}

TMsgTimer::TMsgTimer(unsigned Interval, TickEvent OnTick) : interval_(Interval) {
  setOnTick(std::move(OnTick));
  TMsgTimerHandler::acquire(*this);
}

TMsgTimer::~TMsgTimer() {
  if (enabled_) Stop(true);
  TMsgTimerHandler::release(*this);
}

bool TMsgTimer::Start() {
  if (interval_ == 0) return false;
  if (enabled_) Stop(true);
  TMsgTimerHandler* h = TMsgTimerHandler::instance();
  const bool ok = h && h->window().setTimer(timerId_, interval_);
  if (ok) enabled_ = true;
  return ok;
}

void TMsgTimer::Stop(bool ClearEnabled) {
  if (ClearEnabled) enabled_ = false;
  if (TMsgTimerHandler* h = TMsgTimerHandler::instance()) h->window().killTimer(timerId_);  // not running: fine
}

void TMsgTimer::setEnabled(bool on) {
  if (on) {
    Start();
  } else {
    Stop(true);
  }
}

void TMsgTimer::setInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  if (!enabled_) return;
  if (ms != 0) {
    Start();
  } else {
    Stop(false);
  }
}

void TMsgTimer::setOnTick(TickEvent handler) {
  onTick_ = std::move(handler);
  if (!onTick_ && enabled_) Stop(false);
}

void TMsgTimer::deliverTick() {
  if (stopAfterTick_) Stop(true);
  if (!onTick_) return;
  const TickEvent tick = onTick_;  // the handler may free this timer
  tick(*this);
}

}  // namespace tray
