// The real device control, hosted as a COM object in the owner's window (Windows only).
#pragma once

#include <memory>

#include "korvan.h"

namespace device {

// Creates the installed control by its class identifier and hosts it in the owner's window.
// Throws DeviceError when it is not installed or does not start.
std::unique_ptr<TKorvan> createKorvan(fw::Control& owner);

}  // namespace device
