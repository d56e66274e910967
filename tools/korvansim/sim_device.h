// What the simulated device answers and what it was asked: the part of the control that knows
// nothing of COM or windows.
#pragma once

#include <windows.h>

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvansim {

inline constexpr wchar_t kDefaultModel[] = L"KRV-4 USB";
inline constexpr wchar_t kDefaultSerial[] = L"KV4-0193527";
inline constexpr wchar_t kStartMonitoringEntry[] = L"StartMonitoring";

class SimDevice {
 public:
  struct Answer {
    HRESULT result;
    std::wstring reply;
  };

  Answer execute(std::wstring_view command);
  HRESULT startMonitoring();
  void stopMonitoring() { monitoring_ = false; }
  bool monitoring() const { return monitoring_; }

  void plug(std::wstring model, std::wstring serial);
  void unplug() { plugged_ = false; }
  bool plugged() const { return plugged_; }
  // The serial of the device last plugged, also while unplugged: the tool's `call` stamps it.
  const std::wstring& serial() const { return serial_; }

  // Queued per command: two `fail serial` make the next two "serial" fail.
  void failNext(std::wstring command, HRESULT result);
  // Every command and StartMonitoring fails with E_FAIL while on.
  void failAll(bool on) { failAll_ = on; }
  // The next 2 x cycles "devicemodel" requests each first pull the device out or put it back,
  // so the host sees every cycle at the pace it polls.
  void replug(unsigned cycles) { replugSteps_ = 2ull * cycles; }
  std::vector<std::wstring> log() const { return {log_.begin(), log_.end()}; }

 private:
  // Every command is kept for `log`, but a demonstration left running for days must not eat
  // the host's memory, so the oldest go first.
  static constexpr std::size_t kMaxLogEntries = 100000;

  void record(std::wstring_view entry);
  static void appendToJournal(std::wstring_view entry);
  std::optional<HRESULT> takeFailure(std::wstring_view command);
  std::wstring answerTo(std::wstring_view command) const;

  bool plugged_ = true;
  bool failAll_ = false;
  unsigned long long replugSteps_ = 0;
  bool monitoring_ = false;
  std::wstring model_ = kDefaultModel;
  std::wstring serial_ = kDefaultSerial;
  std::deque<std::wstring> log_;
  std::vector<std::pair<std::wstring, HRESULT>> failures_;
};

}  // namespace korvansim
