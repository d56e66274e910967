// The alert tone on the real audio stack: Tbip threads play through the wave mapper into the
// ALSA file device that scripts/wine-env sets up, and the samples are read back from the file.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fw/platform.h"
#include "harness.h"
#include "tbip.h"
#include "tone.h"
#include "tone_capture.h"
#include "tone_threads.h"
#include "wave_player.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// ---- the capture file ----

using harness::captureEnd;
using harness::tonesSince;

// The first index where two sample runs differ, for a message that says where.
std::string firstDifference(const std::vector<std::int32_t>& got, const std::vector<std::int32_t>& want) {
  for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i)
    if (got[i] != want[i])
      return "sample " + std::to_string(i) + ": " + std::to_string(got[i]) + " instead of " + std::to_string(want[i]);
  return got.size() == want.size() ? "none" : "lengths " + std::to_string(got.size()) + " and " + std::to_string(want.size());
}

// ---- tone threads that report their end ----

using testkit::Ends;
using testkit::startTone;
using testkit::toneMutex;

// The real player, with the times of each play noted.
class TimedPlayer : public TonePlayer {
 public:
  struct Play {
    TWaveformSamples samples;
    Clock::time_point start, end;
  };
  void play(const TWaveformSamples& samples) override {
    const auto start = Clock::now();
    real_.play(samples);
    std::lock_guard lock(m_);
    plays_.push_back({samples, start, Clock::now()});
  }
  std::vector<Play> plays() {
    std::lock_guard lock(m_);
    return plays_;
  }

 private:
  WaveOutPlayer real_;
  std::mutex m_;
  std::vector<Play> plays_;
};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

class ToneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    capture = harness::toneCapture();
    ASSERT_FALSE(capture.empty()) << "ZELVORA_TONE_CAPTURE is not set: run under scripts/wine-run";
    // Our set-up gives Wine a wave device; "no driver" is a fault of the set-up here.
    WAVEFORMATEX format{WAVE_FORMAT_PCM, toneformat::Channels, toneformat::SamplesPerSec,
                        toneformat::AvgBytesPerSec, toneformat::BlockAlign, toneformat::BitsPerSample, 0};
    HWAVEOUT device = nullptr;
    const MMRESULT opened = waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
    ASSERT_EQ(opened, MMSYSERR_NOERROR) << "the wave mapper refused the tone's format; devices: " << waveOutGetNumDevs();
    waveOutClose(device);
  }
  std::wstring capture;
  // The real device under a loaded Wine can take seconds to give a thread back.
  std::shared_ptr<Ends> ends = std::make_shared<Ends>(10s);
};

TEST_F(ToneTest, LineThreeToneReachesTheDeviceSampleForSample) {
  const std::uint64_t before = captureEnd(capture);
  auto player = std::make_shared<TimedPlayer>();
  startTone(player, ends, 1600);
  ASSERT_TRUE(ends->waitFor(1));
  const auto tones = tonesSince(capture, before, 1);
  ASSERT_EQ(tones.size(), 1u);
  const auto& got = tones[0];
  const auto want = synthesizeTone(1600, 50, 0.5);
  EXPECT_EQ(got, want) << "first difference: " << firstDifference(got, want);
  // And, apart from our own synthesis, a 1600 Hz sine: 80 cycles in 50 ms, 160 sign changes.
  int changes = 0;
  for (std::size_t i = 1; i < got.size(); ++i) changes += (got[i - 1] < 0) != (got[i] < 0);
  EXPECT_NEAR(changes, 160, 1);
  ASSERT_EQ(player->plays().size(), 1u);
  std::printf("tone of 50 ms: play() took %.1f ms; the driver's silence around it: %zu samples\n",
              ms(player->plays()[0].end - player->plays()[0].start),
              harness::capturedSamples(capture, before).size() - got.size());
}

// What another party does to the tone mutex (or its name) before a tone starts.
struct MutexState {
  const char* name;
  bool plays;
  // Sets the state up; returns what undoes it.
  std::function<std::function<void()>()> arrange;
};

TEST_F(ToneTest, TheToneMutexDecidesWhetherTheTonePlays) {
  const MutexState states[] = {
      {"free", true, [] { return std::function<void()>([] {}); }},
      {"held by another thread past 100 ms", false,
       [] {
         // Signals through a mutex and a condition variable: this compiler's std::binary_semaphore
         // waits on an atomic without a futex under Windows, and a release could go unseen,
         // leaving both threads waiting (libstdc++ 12).
         auto release = std::make_shared<Ends>(60s);
         auto holding = std::make_shared<Ends>(60s);
         auto holder = std::make_shared<std::thread>([release, holding] {
           fw::NamedMutex m(toneMutex());
           m.wait(INFINITE);
           holding->add();
           release->waitFor(1);
           m.release();
         });
         holding->waitFor(1);
         return std::function<void()>([release, holder] {
           release->add();
           holder->join();
         });
       }},
      {"abandoned by a thread that ended holding it", true,
       [] {
         // Our handle keeps the mutex in being after its owner has gone.
         auto kept = std::make_shared<fw::NamedMutex>(toneMutex());
         std::thread([kept] { kept->wait(INFINITE); }).join();
         return std::function<void()>([kept] {});
       }},
      {"name taken by an event: no mutex can be opened or created", true,
       [] {
         const std::string narrow = toneMutex();
         const std::wstring name(narrow.begin(), narrow.end());
         HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
         return std::function<void()>([event] { CloseHandle(event); });
       }},
  };
  int ended = 0;
  for (const MutexState& state : states) {
    SCOPED_TRACE(state.name);
    const std::uint64_t before = captureEnd(capture);
    const auto undo = state.arrange();
    auto player = std::make_shared<TimedPlayer>();
    const auto start = Clock::now();
    startTone(player, ends, 1200);
    ASSERT_TRUE(ends->waitFor(++ended));
    const auto took = Clock::now() - start;
    undo();
    const auto tones = tonesSince(capture, before, state.plays ? 1 : 0);
    EXPECT_EQ(tones.size(), state.plays ? 1u : 0u);
    if (state.plays) {
      if (!tones.empty()) {
        EXPECT_EQ(tones[0], synthesizeTone(1200, 50, 0.5));
      }
    } else {
      EXPECT_TRUE(player->plays().empty());
      EXPECT_GE(took, 95ms) << "gave up before its 100 ms";
    }
    // Nothing left held: another thread takes the mutex at once, and not as abandoned.
    fw::NamedMutex probe(toneMutex());
    EXPECT_EQ(probe.wait(0), fw::NamedMutex::Wait::Acquired);
    probe.release();
    std::printf("%s: %s after %.1f ms\n", state.name, player->plays().empty() ? "silent" : "played", ms(took));
  }
}

// Two calls a few milliseconds apart: the later tone to reach the mutex plays after the other
// if that one has finished within its 100 ms wait; otherwise it is silent. Which thread gets
// there first is the scheduler's affair, and whether the other follows depends on the device's
// latency, so the test checks that the outcome fits the times.
TEST_F(ToneTest, SecondToneOfTwoQuickCallsFollowsTheFirstOrIsDropped) {
  const std::uint64_t before = captureEnd(capture);
  auto player = std::make_shared<TimedPlayer>();
  const auto firstCall = Clock::now();
  startTone(player, ends, 1200);
  Sleep(3);
  startTone(player, ends, 1400);
  ASSERT_TRUE(ends->waitFor(2));
  const auto plays = player->plays();
  ASSERT_GE(plays.size(), 1u);
  const auto tones = tonesSince(capture, before, plays.size());
  ASSERT_EQ(tones.size(), plays.size());
  const auto tone1200 = synthesizeTone(1200, 50, 0.5);
  const auto tone1400 = synthesizeTone(1400, 50, 0.5);
  for (std::size_t i = 0; i < plays.size(); ++i) {
    EXPECT_TRUE(plays[i].samples == tone1200 || plays[i].samples == tone1400) << "play " << i;
    EXPECT_EQ(tones[i], plays[i].samples) << "play " << i;
  }
  const double firstHeld = ms(plays[0].end - firstCall);
  if (plays.size() == 2) {
    EXPECT_NE(plays[0].samples, plays[1].samples);
    EXPECT_GE(plays[1].start, plays[0].end) << "the tones overlapped";
    std::printf("second tone followed: first ended %.1f ms after the first call, the other began %.1f ms later\n",
                firstHeld, ms(plays[1].start - plays[0].end));
  } else {
    // The dropped one waited from some time after the first call for 100 ms.
    EXPECT_GE(firstHeld, 95) << "a tone was dropped while the other was about to end";
    std::printf("second tone dropped: first ended %.1f ms after the first call\n", firstHeld);
  }
}

// A burst of calls while a tone holds the device: every thread waits its 100 ms and ends, with
// the small stack each has; none plays and none is left behind.
TEST_F(ToneTest, BurstOfCallsWhileATonePlaysEndsQuietly) {
  constexpr int kCalls = 500;
  const std::uint64_t before = captureEnd(capture);
  fw::NamedMutex held(toneMutex());
  ASSERT_EQ(held.wait(0), fw::NamedMutex::Wait::Acquired);
  auto player = std::make_shared<TimedPlayer>();
  const auto start = Clock::now();
  for (int i = 0; i < kCalls; ++i) startTone(player, ends, 1000 + 200 * (i % 5));
  const auto started = Clock::now();
  EXPECT_TRUE(ends->waitFor(kCalls, 60s));
  const auto finished = Clock::now();
  held.release();
  EXPECT_TRUE(player->plays().empty());
  EXPECT_TRUE(tonesSince(capture, before, 0).empty());
  std::printf("%d tone threads: started in %.0f ms, all ended after %.0f ms\n", kCalls, ms(started - start),
              ms(finished - start));
}

}  // namespace
