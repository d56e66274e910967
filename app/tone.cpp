#include "tone.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <stdexcept>

namespace {

// Ties to even without relying on the thread's rounding mode, which a loaded DLL may have
// changed. Exact: x - floor(x) loses nothing for |x| below 2^52, and anything larger is clipped.
std::int32_t toSample(double x) {
  if (std::isnan(x)) return 0;
  constexpr double top = std::numeric_limits<std::int32_t>::max();
  constexpr double bottom = std::numeric_limits<std::int32_t>::min();
  if (x >= top) return std::numeric_limits<std::int32_t>::max();
  if (x <= bottom) return std::numeric_limits<std::int32_t>::min();
  double whole = std::floor(x);
  const double fraction = x - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<std::int32_t>(whole);
}

}  // namespace

std::size_t toneSampleCount(int durationMs) {
  if (durationMs <= 0) return 0;
  // durationMs × 441 / 10 in integers: exact, so a tie is a tie.
  const std::uint64_t tenths = static_cast<std::uint64_t>(durationMs) * 441;
  std::uint64_t count = tenths / 10;
  const std::uint64_t rest = tenths % 10;
  if (rest > 5 || (rest == 5 && count % 2 == 1)) ++count;
  constexpr std::uint64_t bytesPerSample = toneformat::BlockAlign;
  if (count > std::numeric_limits<std::uint32_t>::max() / bytesPerSample ||
      count > std::numeric_limits<std::size_t>::max() / bytesPerSample)
    throw std::length_error("tone too long for one wave buffer");
  return static_cast<std::size_t>(count);
}

TWaveformSamples synthesizeTone(int frequency, int durationMs, double amplitude) {
  TWaveformSamples samples(toneSampleCount(durationMs));
  const double omega = frequency * (2 * std::numbers::pi);
  const double step = 1.0 / toneformat::SamplesPerSec;
  const double scale = amplitude * 2147483647.0;
  // t by repeated addition: that sequence of t defines the exact samples; i × step differs in
  // the last bits and, now and then, by one in a sample.
  double t = 0;
  for (std::int32_t& sample : samples) {
    sample = toSample(std::sin(omega * t) * scale);
    t += step;
  }
  return samples;
}
