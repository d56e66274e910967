// Tone threads the tests can wait for: the same Tbip the program starts, reporting the end of
// its body, so a test knows when a thread that frees itself has finished. Platform-free: the
// native tests give it a fake player, the Windows tests the real wave-out player.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "fw/platform.h"
#include "tbip.h"
#include "tone.h"

namespace testkit {

// Counts ends of tone threads.
class Ends {
 public:
  // `limit`: how long waitFor waits unless told otherwise.
  explicit Ends(std::chrono::milliseconds limit = std::chrono::seconds(5)) : limit_(limit) {}

  void add() {
    std::lock_guard lock(m_);
    ++count_;
    cv_.notify_all();
  }
  bool waitFor(int count) { return waitFor(count, limit_); }
  bool waitFor(int count, std::chrono::milliseconds limit) {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, limit, [&] { return count_ >= count; });
  }

 private:
  std::chrono::milliseconds limit_;
  std::mutex m_;
  std::condition_variable cv_;
  int count_ = 0;
};

// A Tbip that reports the end of its body.
class ObservedTbip : public Tbip {
 public:
  ObservedTbip(std::shared_ptr<TonePlayer> player, std::shared_ptr<Ends> ends)
      : Tbip(std::move(player)), ends_(std::move(ends)) {}

 protected:
  void execute() override {
    Tbip::execute();
    ends_->add();
  }

 private:
  std::shared_ptr<Ends> ends_;
};

// Starts a tone thread as the program does, with the program's stack size.
inline void startTone(std::shared_ptr<TonePlayer> player, const std::shared_ptr<Ends>& ends, int frequency,
                      int durationMs = 50, double amplitude = 0.5) {
  auto bip = std::make_unique<ObservedTbip>(std::move(player), ends);
  bip->Frequency = frequency;
  bip->DurationMs = durationMs;
  bip->Amplitude = amplitude;
  fw::Thread::start(std::move(bip), Tbip::StackBytes);
}

// This process's tone mutex name.
inline const std::string& toneMutex() {
  static const std::string name = toneMutexName(fw::currentProcessId());
  return name;
}

}  // namespace testkit
