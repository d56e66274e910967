// The alert tone: its samples, and the tone thread's turn-taking through the tone mutex.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <future>
#include <limits>
#include <mutex>
#include <numbers>
#include <stdexcept>
#include <thread>
#include <vector>

#include "fw/platform.h"
#include "tbip.h"
#include "tone.h"
#include "tone_threads.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// ---- samples ----

TEST(ToneSamples, SampleCountIsTheDurationTimes44Point1TiesToEven) {
  struct Row {
    int durationMs;
    std::size_t count;
  } rows[] = {
      {INT_MIN, 0}, {-1, 0}, {0, 0},
      {1, 44},       // 44.1
      {5, 220},      // 220.5: tie, to the even 220
      {15, 662},     // 661.5: tie, to the even 662
      {50, 2205},    // the call tone
      {85, 3748},    // 3748.5: in double 85 / 1000 × 44100 is 3748.5000000000005
      {175, 7718},   // 7717.5: in double 7717.4999999999991
      {1000, 44100},
      {24347887, 1073741817},  // the longest tone whose buffer length fits 32 bits
  };
  for (const Row& r : rows) EXPECT_EQ(toneSampleCount(r.durationMs), r.count) << r.durationMs << " ms";
  EXPECT_THROW(toneSampleCount(24347888), std::length_error);
  EXPECT_THROW(toneSampleCount(INT_MAX), std::length_error);
}

TEST(ToneSamples, LineTwoToneStartsAtZeroAndPeaksAtHalfScale) {
  const TWaveformSamples s = synthesizeTone(1400, 50, 0.5);
  ASSERT_EQ(s.size(), 2205u);
  EXPECT_EQ(s[0], 0);
  std::int64_t peak = 0;
  for (std::int32_t v : s) peak = std::max(peak, std::abs(std::int64_t{v}));
  EXPECT_LE(peak, 1073741824);
  EXPECT_GT(peak, 1073000000);  // 1400 Hz at 44100/s comes within a few parts in 10^4 of the crest
}

TEST(ToneSamples, NothingForNoDuration) {
  EXPECT_TRUE(synthesizeTone(1000, 0, 0.5).empty());
  EXPECT_TRUE(synthesizeTone(1000, -50, 0.5).empty());
}

// Values worked out apart from this code: sin to 200 bits of the double argument ω·t, with t
// the sum of 1/44100 repeated in double, then × A in double and to the nearest, ties to even.
// Rows chosen away from .5, so a last-bit difference between libm's sin would not matter.
TEST(ToneSamples, SamplesMatchAReferenceComputation) {
  struct Row {
    int frequency;
    double amplitude;
    std::size_t index;
    std::int32_t expected;
    const char* why;
  } rows[] = {
      {1400, 0.5, 1, 212757801, "212757801.118"},
      {1400, 0.5, 7, 1057429273, "1057429272.516"},
      {1400, 0.5, 1000, -1073408085, "-1073408085.215"},
      {1400, 0.5, 2204, -212757801, "last sample"},
      {1600, 0.5, 2, 472758852, "472758851.560"},
      {1600, 0.5, 1030, 784502107, "784502106.5012; t = 1030 × 1/44100 would give ...106.49"},
      {1600, 0.5, 1191, 1041475947, "1041475947.4996; t = 1191 × 1/44100 would give ...947.50+"},
      // 11025 Hz puts ω·t at π/2 and 3π/2 for samples 1 and 3, where sin is exactly ±1 in double,
      // so the sample is exactly ±A: the ties.
      {11025, 0.5, 1, 1073741824, "A = 1073741823.5, tie to the even 1073741824"},
      {11025, 0.5, 3, -1073741824, "-A, tie to the even -1073741824"},
      {11025, 201 / 4294967294.0, 1, 100, "A = 100.5 exactly, tie to the even 100"},
      {11025, 201 / 4294967294.0, 3, -100, "-100.5, tie to the even -100"},
      {11025, 2.0, 1, kMax, "beyond full scale: clipped"},
      {11025, 2.0, 3, kMin, "beyond full scale: clipped"},
      {11025, std::numeric_limits<double>::quiet_NaN(), 1, 0, "no amplitude: silence"},
  };
  for (const Row& r : rows) {
    const TWaveformSamples s = synthesizeTone(r.frequency, 50, r.amplitude);
    ASSERT_GT(s.size(), r.index);
    EXPECT_EQ(s[r.index], r.expected) << r.frequency << " Hz, amplitude " << r.amplitude << ", sample " << r.index
                                      << ": " << r.why;
  }
}

// Every sample of each line's tone against sin(2π·f·i/44100) worked out in long double: within
// one of it (the repeated addition of t drifts by far less than that).
TEST(ToneSamples, EveryLineToneIsASineOfItsFrequency) {
  for (int line = 0; line <= 4; ++line) {
    const int frequency = 1000 + 200 * line;
    const TWaveformSamples s = synthesizeTone(frequency, 50, 0.5);
    ASSERT_EQ(s.size(), 2205u);
    const long double a = 0.5L * 2147483647.0L;
    for (std::size_t i = 0; i < s.size(); ++i) {
      const long double expected =
          std::sin(2 * std::numbers::pi_v<long double> * frequency * static_cast<long double>(i) / 44100) * a;
      ASSERT_LE(std::fabs(s[i] - expected), 1.0L) << frequency << " Hz, sample " << i << " is " << s[i];
    }
  }
}

// ---- the tone thread ----

using testkit::Ends;
using testkit::toneMutex;

// What a thread other than the caller finds the tone mutex to be.
fw::NamedMutex::Wait probeFromAnotherThread() {
  return std::async(std::launch::async, [] {
           fw::NamedMutex m(toneMutex());
           const auto w = m.wait(0);
           if (w == fw::NamedMutex::Wait::Acquired) m.release();
           return w;
         })
      .get();
}

// Records what it is given to play; can fail, or hold on until the test lets it go.
class FakePlayer : public TonePlayer {
 public:
  struct Played {
    TWaveformSamples samples;
    fw::NamedMutex::Wait mutexSeenFromOutside;
    Clock::time_point start, end;
  };

  void play(const TWaveformSamples& samples) override {
    Played p{samples, probeFromAnotherThread(), Clock::now(), {}};
    {
      std::unique_lock lock(m_);
      ++started_;
      cv_.notify_all();
      cv_.wait(lock, [&] { return !holding_; });
    }
    p.end = Clock::now();
    std::lock_guard lock(m_);
    played_.push_back(std::move(p));
    if (failWith) std::rethrow_exception(failWith);
  }

  void hold() {
    std::lock_guard lock(m_);
    holding_ = true;
  }
  void letGo() {
    std::lock_guard lock(m_);
    holding_ = false;
    cv_.notify_all();
  }
  bool waitStarted(int count) {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, 5s, [&] { return started_ >= count; });
  }
  std::vector<Played> played() {
    std::lock_guard lock(m_);
    return played_;
  }
  std::exception_ptr failWith;

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool holding_ = false;
  int started_ = 0;
  std::vector<Played> played_;
};

class TbipTest : public ::testing::Test {
 protected:
  void start(int frequency, int durationMs = 50, double amplitude = 0.5) {
    testkit::startTone(player, ends, frequency, durationMs, amplitude);
  }
  std::shared_ptr<FakePlayer> player = std::make_shared<FakePlayer>();
  std::shared_ptr<Ends> ends = std::make_shared<Ends>();
};

TEST_F(TbipTest, MutexNameIsTheProcessIdAndTheSuffix) {
  EXPECT_EQ(toneMutexName(4242), "4242/.333423.");
  EXPECT_EQ(toneMutexName(0), "0/.333423.");
  EXPECT_EQ(toneMutexName(4294967295u), "4294967295/.333423.");
}

TEST_F(TbipTest, PlaysTheToneHoldingTheMutexAndReleasesIt) {
  start(1600);
  ASSERT_TRUE(ends->waitFor(1));
  const auto played = player->played();
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0].samples, synthesizeTone(1600, 50, 0.5));
  EXPECT_EQ(played[0].mutexSeenFromOutside, fw::NamedMutex::Wait::TimedOut) << "the mutex was free while playing";
  EXPECT_EQ(probeFromAnotherThread(), fw::NamedMutex::Wait::Acquired) << "the mutex was left held";
}

TEST_F(TbipTest, NoDurationPlaysNothing) {
  start(1000, 0);
  ASSERT_TRUE(ends->waitFor(1));
  EXPECT_TRUE(player->played().empty());
  EXPECT_EQ(probeFromAnotherThread(), fw::NamedMutex::Wait::Acquired);
}

TEST_F(TbipTest, ToneIsDroppedWhenTheMutexStaysHeldFor100Ms) {
  fw::NamedMutex held(toneMutex());
  ASSERT_EQ(held.wait(0), fw::NamedMutex::Wait::Acquired);
  const auto begin = Clock::now();
  start(1200);
  ASSERT_TRUE(ends->waitFor(1));
  const auto waited = Clock::now() - begin;
  EXPECT_TRUE(player->played().empty());
  EXPECT_GE(waited, 95ms) << "gave up before its 100 ms";
  held.release();
}

TEST_F(TbipTest, ErrorsAreDroppedAndTheMutexIsStillReleased) {
  struct Row {
    const char* what;
    int durationMs;
    std::exception_ptr playerError;
    std::size_t playCalls;
  } rows[] = {
      {"the device fails", 50, std::make_exception_ptr(std::runtime_error("device gone")), 1},
      {"the device throws a non-standard error", 50, std::make_exception_ptr(42), 1},
      {"the tone cannot be made", INT_MAX, nullptr, 0},
  };
  int ended = 0;
  for (const Row& r : rows) {
    player = std::make_shared<FakePlayer>();
    player->failWith = r.playerError;
    start(1000, r.durationMs);
    ASSERT_TRUE(ends->waitFor(++ended)) << r.what;
    EXPECT_EQ(player->played().size(), r.playCalls) << r.what;
    EXPECT_EQ(probeFromAnotherThread(), fw::NamedMutex::Wait::Acquired) << r.what << ": the mutex was left held";
  }
}

TEST_F(TbipTest, SecondToneWaitsForTheFirstWhenItEndsWithin100Ms) {
  player->hold();
  start(1200);
  ASSERT_TRUE(player->waitStarted(1));
  start(1400);
  std::this_thread::sleep_for(20ms);  // the second tone is now waiting for the mutex
  player->letGo();
  ASSERT_TRUE(ends->waitFor(2));
  const auto played = player->played();
  ASSERT_EQ(played.size(), 2u);
  EXPECT_EQ(played[0].samples, synthesizeTone(1200, 50, 0.5));
  EXPECT_EQ(played[1].samples, synthesizeTone(1400, 50, 0.5));
  EXPECT_GE(played[1].start, played[0].end) << "the tones overlapped";
}

TEST_F(TbipTest, SecondToneIsDroppedWhenTheFirstPlaysOnPast100Ms) {
  player->hold();
  start(1200);
  ASSERT_TRUE(player->waitStarted(1));
  start(1400);
  ASSERT_TRUE(ends->waitFor(1)) << "the second tone kept waiting";
  player->letGo();
  ASSERT_TRUE(ends->waitFor(2));
  const auto played = player->played();
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0].samples, synthesizeTone(1200, 50, 0.5));
}

}  // namespace
