#include "sim_device.h"

#include <algorithm>

#include "fw/win32/handles.h"
#include "text.h"

namespace korvansim {

SimDevice::Answer SimDevice::execute(std::wstring_view command) {
  record(command);
  if (failAll_) return {E_FAIL, {}};
  if (const auto failure = takeFailure(command)) return {*failure, {}};
  if (command == L"devicemodel" && replugSteps_ > 0) plugged_ = --replugSteps_ % 2 == 0;
  return {S_OK, answerTo(command)};
}

HRESULT SimDevice::startMonitoring() {
  record(kStartMonitoringEntry);
  if (failAll_) return E_FAIL;
  if (const auto failure = takeFailure(kStartMonitoringEntry)) return *failure;
  monitoring_ = true;
  return S_OK;
}

void SimDevice::plug(std::wstring model, std::wstring serial) {
  model_ = std::move(model);
  serial_ = std::move(serial);
  plugged_ = true;
}

void SimDevice::failNext(std::wstring command, HRESULT result) {
  failures_.emplace_back(std::move(command), result);
}

void SimDevice::record(std::wstring_view entry) {
  if (log_.size() == kMaxLogEntries) log_.pop_front();
  log_.emplace_back(entry);
  appendToJournal(entry);
}

// With KORVANSIM_JOURNAL set, every entry is also appended to that file, one UTF-8 line each:
// what the program sent on its way out ("test_stop") can be read after it has gone.
void SimDevice::appendToJournal(std::wstring_view entry) {
  wchar_t path[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"KORVANSIM_JOURNAL", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  HANDLE opened = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return;
  const fw::win32::UniqueKernelHandle file(opened);
  const std::string line = toUtf8(entry) + "\n";
  DWORD written = 0;
  WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::optional<HRESULT> SimDevice::takeFailure(std::wstring_view command) {
  const auto found = std::find_if(failures_.begin(), failures_.end(),
                                  [&](const auto& failure) { return failure.first == command; });
  if (found == failures_.end()) return std::nullopt;
  const HRESULT result = found->second;
  failures_.erase(found);
  return result;
}

std::wstring SimDevice::answerTo(std::wstring_view command) const {
  // An unplugged device cannot tell what it is; "test" and "test_stop" only start and stop the
  // device's self-test, and unknown commands get the empty answer the device gives them.
  if (!plugged_) return {};
  if (command == L"devicemodel") return model_;
  if (command == L"serial") return serial_;
  return {};
}

}  // namespace korvansim
