#include "tone_capture.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "read_file.h"

namespace harness {

Samples capturedSamples(const std::wstring& capture, std::uint64_t offset) {
  const std::string raw = testkit::readFile(capture, offset);
  Samples samples(raw.size() / 4);
  std::memcpy(samples.data(), raw.data(), samples.size() * 4);
  return samples;
}

std::vector<Samples> tonesIn(const Samples& samples) {
  std::vector<Samples> tones;
  std::size_t i = 0;
  for (;;) {
    while (i < samples.size() && samples[i] == 0) ++i;
    if (i == samples.size()) return tones;
    const std::size_t start = i == 0 ? 0 : i - 1;
    const std::size_t end = std::min(samples.size(), start + kToneSamples);
    tones.emplace_back(samples.begin() + static_cast<std::ptrdiff_t>(start),
                       samples.begin() + static_cast<std::ptrdiff_t>(end));
    i = end;
  }
}

std::uint64_t captureEnd(const std::wstring& capture) {
  Sleep(50);
  return testkit::readFile(capture).size();
}

std::vector<Samples> tonesSince(const std::wstring& capture, std::uint64_t offset, std::size_t count,
                                std::chrono::milliseconds limit) {
  const auto holdsAll = [&] {
    const auto tones = tonesIn(capturedSamples(capture, offset));
    return tones.size() >= count && (tones.empty() || tones.back().size() == kToneSamples);
  };
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!holdsAll() && std::chrono::steady_clock::now() < deadline) Sleep(10);
  Sleep(50);
  return tonesIn(capturedSamples(capture, offset));
}

int toneFrequency(const Samples& tone) {
  int crossings = 0;
  for (std::size_t i = 1; i < tone.size(); ++i) crossings += (tone[i - 1] < 0) != (tone[i] < 0);
  return (crossings + 1) * 10;
}

}  // namespace harness
