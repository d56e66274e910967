#include "tbip.h"

std::string toneMutexName(unsigned processId) { return std::to_string(processId) + "/.333423."; }

void Tbip::execute() {
  fw::NamedMutex toneMutex(toneMutexName(fw::currentProcessId()));
  const fw::NamedMutex::Wait waited = toneMutex.wait(WaitMs);
  // Another tone still playing after 100 ms: this one is dropped. A wait that failed (no mutex
  // could be opened or created) does not hold up the tone; it plays without taking turns.
  if (waited == fw::NamedMutex::Wait::TimedOut) return;
  try {
    const TWaveformSamples samples = synthesizeTone(Frequency, DurationMs, Amplitude);
    if (player_ && !samples.empty()) player_->play(samples);
  } catch (...) {
    // A tone that cannot be made or played is not worth anyone's attention.
  }
  // Only an owner may release; the handle closes with toneMutex on every path.
  if (waited == fw::NamedMutex::Wait::Acquired || waited == fw::NamedMutex::Wait::Abandoned) toneMutex.release();
}
