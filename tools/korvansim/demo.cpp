#include "demo.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace korvansim {
namespace {

constexpr int kRestingLevel = 1;  // a quiet line reads about 0..2
constexpr int kRingingLevel = 24;
constexpr int kMaxLevel = 30;  // the scale of the bars

constexpr const wchar_t* kMobilePrefixes[] = {L"0505", L"0532", L"0533", L"0535", L"0542",
                                               L"0544", L"0552", L"0555"};
constexpr const wchar_t* kAreaCodes[] = {L"0212", L"0216", L"0232", L"0312", L"0242", L"0224"};

}  // namespace

std::wstring formatDateTime(const SYSTEMTIME& time) {
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%02u.%02u.%04u %02u:%02u:%02u", time.wDay, time.wMonth,
                time.wYear, time.wHour, time.wMinute, time.wSecond);
  return text;
}

Demo::Demo(std::uint32_t seed) : random_(seed) {
  for (auto& level : levels_) level = kRestingLevel + uniform(-1, 1);
}

int Demo::uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

std::array<std::wstring, 8> Demo::nextLevels() {
  std::array<std::wstring, 8> texts;
  texts.fill(L"0");
  for (int line = 0; line < kDemoLines; ++line) {
    int& level = levels_[line];
    // Pulled back towards rest so that a ringing line settles and an idle one wanders but stays.
    level += (kRestingLevel - level) / 6 + uniform(-1, 1);
    level = std::clamp(level, 0, kMaxLevel);
    texts[line] = std::to_wstring(level);
  }
  return texts;
}

CallerId Demo::nextCall(const std::wstring& deviceId, const SYSTEMTIME& now) {
  const int line = uniform(1, kDemoLines);
  levels_[line - 1] = kRingingLevel;
  return {deviceId, std::to_wstring(line), randomNumber(), formatDateTime(now), L""};
}

std::wstring Demo::randomNumber() {
  wchar_t text[32];
  if (uniform(0, 2) != 0) {  // mostly mobiles, written in groups as people write them
    const wchar_t* prefix = kMobilePrefixes[uniform(0, static_cast<int>(std::size(kMobilePrefixes)) - 1)];
    std::swprintf(text, std::size(text), L"%ls %03d %02d %02d", prefix, uniform(100, 999),
                  uniform(0, 99), uniform(0, 99));
  } else {
    const wchar_t* area = kAreaCodes[uniform(0, static_cast<int>(std::size(kAreaCodes)) - 1)];
    std::swprintf(text, std::size(text), L"%ls%07d", area, uniform(2000000, 9999999));
  }
  return text;
}

// Soon after monitoring starts, so that a demonstration does not open on a quiet screen.
UINT Demo::firstCallDelayMs() { return static_cast<UINT>(uniform(1500, 2500)); }
UINT Demo::nextCallDelayMs() { return static_cast<UINT>(uniform(4000, 7000)); }

}  // namespace korvansim
