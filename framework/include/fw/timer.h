#pragma once

#include <cstdint>

#include "fw/control.h"

namespace fw {

// A window timer: ticks on the GUI thread from the message loop.
class Timer : public Component {
 public:
  explicit Timer(Component* owner) : Component(owner) {}
  ~Timer() override;
  bool enabled() const { return enabled_; }
  void setEnabled(bool on);
  unsigned interval() const { return interval_; }
  void setInterval(unsigned ms);
  NotifyEvent onTimer;
  void applyProperty(const LayoutProperty& p, LoadContext& ctx) override;
  void loaded() override;

 private:
  void restart();
  void tick();

  bool enabled_ = true;
  bool loading_ = true;
  unsigned interval_ = 1000;
  std::uintptr_t id_ = 0;
};

}  // namespace fw
