// The alert tone's samples and the seam to the audio output that plays them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One signed 32-bit PCM sample per entry, mono.
using TWaveformSamples = std::vector<std::int32_t>;

// The tone's wave format: PCM, mono, 44100 samples per second, 32 bits per sample.
namespace toneformat {
inline constexpr std::uint16_t FormatTag = 1;  // PCM
inline constexpr std::uint16_t Channels = 1;
inline constexpr std::uint32_t SamplesPerSec = 44100;
inline constexpr std::uint16_t BitsPerSample = 32;
inline constexpr std::uint16_t BlockAlign = Channels * BitsPerSample / 8;
inline constexpr std::uint32_t AvgBytesPerSec = Channels * SamplesPerSec * BitsPerSample / 8;
}  // namespace toneformat

// The number of samples in a tone of durationMs milliseconds: durationMs × 44.1, to the nearest
// integer with ties to even, worked out exactly (in double a tie such as 85 ms = 3748.5 samples
// comes out an ulp off and would round the wrong way). A negative duration has no samples.
// Throws std::length_error when the buffer would not fit the 32-bit length a wave header carries.
std::size_t toneSampleCount(int durationMs);

// A sine tone: sample[i] = sin(2π·frequency·t)·amplitude·2147483647 to the nearest integer,
// ties to even, where t starts at 0 and grows by 1/44100 per sample by repeated addition in
// double. Values beyond full scale (an amplitude above 1) are clipped to it; a NaN is silence.
TWaveformSamples synthesizeTone(int frequency, int durationMs, double amplitude);

// Plays one buffer of samples in the format above and returns when the output has finished
// with it. Called from tone threads, at times from more than one at once; errors may be thrown
// and are the caller's to drop. Playing nothing (no device, format refused) is not an error.
class TonePlayer {
 public:
  virtual ~TonePlayer() = default;
  virtual void play(const TWaveformSamples& samples) = 0;
};
