// The alert tone thread: one short tone per alerted call, one tone at a time per process.
#pragma once

#include <memory>
#include <string>

#include "fw/platform.h"
#include "tone.h"

// Created suspended (constructed), given its fields, then started with
//   fw::Thread::start(std::move(bip), Tbip::StackBytes);
// it frees itself when the tone has played or been dropped. It touches no window.
class Tbip : public fw::Thread {
 public:
  explicit Tbip(std::shared_ptr<TonePlayer> player) : player_(std::move(player)) {}

  int Frequency = 0;     // Hz
  int DurationMs = 0;    // milliseconds
  double Amplitude = 0;  // peak as a fraction of full scale

  // A stack reservation of its own: calls may come in floods, and each tone thread lives
  // about 100 ms even when it is dropped. The samples are on the heap; the audio stack's
  // calls are what needs the room.
  static constexpr unsigned StackBytes = 256 * 1024;
  // How long a tone waits for the one before it to finish before it is dropped.
  static constexpr unsigned WaitMs = 100;

 protected:
  void execute() override;

 private:
  std::shared_ptr<TonePlayer> player_;
};

// The per-process tone mutex: the process id in decimal followed by "/.333423.".
std::string toneMutexName(unsigned processId);
