// The alert tones as the sound output received them: scripts/wine-env points the prefix's
// default sound device at a file (harness::toneCapture()), 32-bit samples at 44.1 kHz, one
// channel, appended as they are played.
//
// Wine's audio driver keeps its device fed: whenever its buffer holds less than one period
// (10 ms), a tick of the driver writes silence to fill it. A tick that comes between the end of a
// tone and the player closing the device writes a period of zeros after the tone; under load,
// when the player's thread wakes late, one often does, and a tick before the first samples
// arrive writes them before it. That silence is the driver's; every sample of a tone is ours.
// So the capture is read as tones separated by silence, never by byte counts.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace harness {

using Samples = std::vector<std::int32_t>;
// The program's tone: 50 ms.
constexpr std::size_t kToneSamples = 2205;

// The samples written from byte `offset` of the capture on.
Samples capturedSamples(const std::wstring& capture, std::uint64_t offset);
// The tones in captured samples, in order, without the silence around them. Each starts with
// sin(0) = 0, one sample before its first non-zero one, and is kToneSamples long; one cut short
// by the end of the capture is returned as it is.
std::vector<Samples> tonesIn(const Samples& samples);
// Where the next tone will be written: the capture's end, once what an earlier one left on its
// way has arrived.
std::uint64_t captureEnd(const std::wstring& capture);
// The tones written from `offset` on, once there are `count` whole ones (or the time is up),
// with anything that was still on its way.
std::vector<Samples> tonesSince(const std::wstring& capture, std::uint64_t offset, std::size_t count,
                                std::chrono::milliseconds limit = std::chrono::seconds(3));
// A tone's pitch from its zero crossings: a sine of f Hz crosses f / 10 times in 50 ms.
int toneFrequency(const Samples& tone);

}  // namespace harness
