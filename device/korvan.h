// The host's view of the caller-ID device control: two methods, two events. The win32 build
// hosts the real ActiveX control (win32/korvan_host.h); tests supply their own.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace fw {
class Control;
}

namespace device {

// A failure result of the control, raised as an error in the caller.
class DeviceError : public std::runtime_error {
 public:
  DeviceError(const std::string& what, long result) : std::runtime_error(what), result_(result) {}
  long result() const { return result_; }

 private:
  long result_;
};

class TKorvan {
 public:
  virtual ~TKorvan() = default;

  virtual void StartMonitoring() = 0;
  virtual std::u16string ExecuteCommand(std::u16string_view command) = 0;

  // Makes the control's window (if it has one) a child of the given control, at the top edge.
  virtual void SetParent(fw::Control& parent) = 0;
  virtual void SetTop(int top) = 0;
  virtual void Hide() = 0;

  // Strings come as the control sends them (UTF-16); missing ones are empty.
  std::function<void(TKorvan& ASender, std::u16string_view DeviceID, std::u16string_view Line,
                     std::u16string_view PhoneNumber, std::u16string_view DateTime, std::u16string_view OtherText)>
      OnCallerID;
  std::function<void(TKorvan& ASender, const std::array<std::u16string, 8>& levels)> OnSignalA;
};

using KorvanFactory = std::function<std::unique_ptr<TKorvan>(fw::Control& owner)>;

}  // namespace device
