// The built-in demonstration: drifting line levels and a call now and then, so that the
// program shows life without hardware and without anyone driving the simulator.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>

namespace korvansim {

inline constexpr int kDemoLines = 4;
inline constexpr UINT kLevelsIntervalMs = 200;

// In the order of the OnCallerID arguments.
struct CallerId {
  std::wstring deviceId;
  std::wstring line;
  std::wstring phoneNumber;
  std::wstring dateTime;
  std::wstring otherText;
};

// "10.12.2026 14:03:22": day first, as the device sends it.
std::wstring formatDateTime(const SYSTEMTIME& time);

class Demo {
 public:
  explicit Demo(std::uint32_t seed);

  // Levels 1..4 as decimal 0..100, levels 5..8 "0" (the device has four lines).
  std::array<std::wstring, 8> nextLevels();
  // A call on a random line; that line's level jumps as if it were ringing.
  CallerId nextCall(const std::wstring& deviceId, const SYSTEMTIME& now);
  UINT firstCallDelayMs();
  UINT nextCallDelayMs();

 private:
  std::wstring randomNumber();
  int uniform(int low, int high);

  std::mt19937 random_;
  std::array<int, kDemoLines> levels_{};
};

}  // namespace korvansim
