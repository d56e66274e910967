// The alert tone's audio output on Windows: the wave mapper, one buffer, no callback.
#pragma once

#include "tone.h"

class WaveOutPlayer : public TonePlayer {
 public:
  // Opens the wave mapper for the tone's format, writes the buffer, waits until the device has
  // finished with it and closes the device. No device, or one that refuses the format: nothing.
  void play(const TWaveformSamples& samples) override;
};
