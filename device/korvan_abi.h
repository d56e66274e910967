// The binary interface of the caller-ID device control, shared by the host (device/) and the
// project's own simulated control (tools/korvansim/). Windows only.
#pragma once

#include <ole2.h>
#include <windows.h>

namespace korvan {

// {EEA18052-171F-4293-8598-AB6E1D7257B2}
inline constexpr CLSID kClassId = {0xEEA18052, 0x171F, 0x4293, {0x85, 0x98, 0xAB, 0x6E, 0x1D, 0x72, 0x57, 0xB2}};
// {0A16189E-10E9-4A76-8D2D-0A8F1AD4729A}
inline constexpr IID kInterfaceId = {0x0A16189E, 0x10E9, 0x4A76, {0x8D, 0x2D, 0x0A, 0x8F, 0x1A, 0xD4, 0x72, 0x9A}};
// {B6A36C9A-2DC9-4CEF-AF6E-D6DDD2F91CC4}
inline constexpr IID kEventsId = {0xB6A36C9A, 0x2DC9, 0x4CEF, {0xAF, 0x6E, 0xD6, 0xDD, 0xD2, 0xF9, 0x1C, 0xC4}};

// Dispatch identifiers of the event interface, in declaration order.
enum EventId : DISPID {
  kOnActivate = 201,
  kOnClick = 202,
  kOnCreate = 203,
  kOnDblClick = 204,
  kOnDestroy = 205,
  kOnDeactivate = 206,
  kOnKeyPress = 207,
  kOnPaint = 208,
  kOnCallerID = 209,  // DeviceID, Line, PhoneNumber, DateTime, OtherText
  kOnSignalA = 210,   // Level1 .. Level8
};

inline constexpr int kStartMonitoringSlot = 46;
inline constexpr int kExecuteCommandSlot = 49;

#define KORVAN_SLOT(n) virtual HRESULT STDMETHODCALLTYPE Slot##n() = 0;

// The dual interface. Slots 0-6 are IUnknown and IDispatch; the program uses only slots 46
// and 49, so the others are declared as placeholders that keep those two in place.
struct IKorvan : public IDispatch {
  KORVAN_SLOT(07) KORVAN_SLOT(08) KORVAN_SLOT(09) KORVAN_SLOT(10) KORVAN_SLOT(11) KORVAN_SLOT(12)
  KORVAN_SLOT(13) KORVAN_SLOT(14) KORVAN_SLOT(15) KORVAN_SLOT(16) KORVAN_SLOT(17) KORVAN_SLOT(18)
  KORVAN_SLOT(19) KORVAN_SLOT(20) KORVAN_SLOT(21) KORVAN_SLOT(22) KORVAN_SLOT(23) KORVAN_SLOT(24)
  KORVAN_SLOT(25) KORVAN_SLOT(26) KORVAN_SLOT(27) KORVAN_SLOT(28) KORVAN_SLOT(29) KORVAN_SLOT(30)
  KORVAN_SLOT(31) KORVAN_SLOT(32) KORVAN_SLOT(33) KORVAN_SLOT(34) KORVAN_SLOT(35) KORVAN_SLOT(36)
  KORVAN_SLOT(37) KORVAN_SLOT(38) KORVAN_SLOT(39) KORVAN_SLOT(40) KORVAN_SLOT(41) KORVAN_SLOT(42)
  KORVAN_SLOT(43) KORVAN_SLOT(44) KORVAN_SLOT(45)
  virtual HRESULT STDMETHODCALLTYPE StartMonitoring() = 0;  // slot 46
  KORVAN_SLOT(47) KORVAN_SLOT(48)
  virtual HRESULT STDMETHODCALLTYPE ExecuteCommand(BSTR command, BSTR* reply) = 0;  // slot 49
};

#undef KORVAN_SLOT

}  // namespace korvan
