// A container for one ActiveX control by class id: created, sited, initialised and activated
// in the documented order, its events handed to the GUI thread, torn down in reverse. The
// caller-ID control is hosted through it (korvan_host.cpp); so is any other control.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <memory>

#include "control_site.h"
#include "fw/win32/com_ptr.h"
#include "fw/win32/handles.h"

namespace device {

// Writes the failed step and its result code to the debugger output (a technician's only view
// of why the device did not start; the user sees the start-up texts) and throws DeviceError.
[[noreturn]] void fail(const char* step, HRESULT hr);
inline void check(HRESULT hr, const char* step) {
  if (FAILED(hr)) fail(step, hr);
}
// The same line for a failure that is survived.
void trace(const char* step, HRESULT hr);

// An event as the control raised it: arguments last first, as COM passes them. Always called on
// the thread that created the host.
using EventHandler = std::function<void(DISPID id, const DISPPARAMS& params)>;

class EventSink;

class ControlHost {
 public:
  struct Options {
    CLSID classId;
    IID events;          // the control's event interface; IID_NULL for none
    HWND owner;          // the window the control is sited in
    RECT position;       // where its window goes, in the owner's client pixels; empty: its own size
    Ambients ambients;
    EventHandler onEvent;
    // A control that refuses the event sink fails to start; else it is used without events.
    bool eventsRequired = true;
  };

  // Throws DeviceError, after undoing what was done, when a step fails.
  static std::unique_ptr<ControlHost> create(Options options);
  ~ControlHost();
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  const fw::win32::ComPtr<IUnknown>& object() const { return control_; }
  // The control's own window once it is active in place; null for a control without one.
  HWND window() const { return window_; }

 private:
  explicit ControlHost(Options options);
  void instantiate();
  void setSite();
  void initialise();
  void activate();
  RECT placement() const;
  void advise();

  Options options_;
  fw::win32::ComPtr<IUnknown> control_;
  fw::win32::ComPtr<IOleObject> ole_;
  fw::win32::ComPtr<IOleInPlaceObject> inPlace_;
  fw::win32::ComPtr<ControlSite> site_;
  fw::win32::ComPtr<IStorage> storage_;  // a storage-initialised control's own
  bool sited_ = false;
  fw::win32::ComPtr<IConnectionPoint> point_;
  fw::win32::ComPtr<EventSink> sink_;
  DWORD cookie_ = 0;
  fw::win32::UniqueWindow relay_;  // receives events raised on other threads
  HWND window_ = nullptr;
};

}  // namespace device
