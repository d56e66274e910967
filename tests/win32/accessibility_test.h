// A client of the accessible objects as a screen reader is one: reading an object and its
// children's names, roles and states, and hearing the events about a window. Shared by the
// tests that read the program from another process and those that read the grid in this one.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "fw/win32/com_ptr.h"

namespace accessibility_client {

using fw::win32::ComPtr;

// Not oleacc's exported IID_IAccessible: MinGW's import library takes that data export for a
// function and links its thunk.
inline const IID kIIDAccessible = __uuidof(IAccessible);

// ---- reading objects

inline VARIANT self() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

inline VARIANT childId(long id) {
  VARIANT v = self();
  v.lVal = id;
  return v;
}

inline std::wstring take(BSTR b) {
  std::wstring s = b ? std::wstring(b, SysStringLen(b)) : L"";
  SysFreeString(b);
  return s;
}

struct Read {
  long role = 0;
  long state = 0;
  std::wstring name, value, description;
};

inline Read read(IAccessible* acc, VARIANT child = self()) {
  Read r;
  BSTR b = nullptr;
  if (acc->get_accName(child, &b) == S_OK) r.name = take(b);
  b = nullptr;
  if (acc->get_accValue(child, &b) == S_OK) r.value = take(b);
  b = nullptr;
  if (acc->get_accDescription(child, &b) == S_OK) r.description = take(b);
  VARIANT v;
  VariantInit(&v);
  if (acc->get_accRole(child, &v) == S_OK && v.vt == VT_I4) r.role = v.lVal;
  VariantClear(&v);
  if (acc->get_accState(child, &v) == S_OK && v.vt == VT_I4) r.state = v.lVal;
  VariantClear(&v);
  return r;
}

// ---- events

struct Event {
  DWORD event;
  HWND hwnd;
  LONG object;
  LONG child;
};
inline std::vector<Event>& events() {
  static std::vector<Event> list;
  return list;
}
inline void CALLBACK onEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  events().push_back({event, hwnd, object, child});
}

// The events about a window's client area, as "event child" pairs.
inline std::vector<std::pair<DWORD, LONG>> eventsOf(HWND hwnd) {
  std::vector<std::pair<DWORD, LONG>> out;
  for (const Event& e : events())
    if (e.hwnd == hwnd && e.object == OBJID_CLIENT) out.emplace_back(e.event, e.child);
  return out;
}

inline bool saw(HWND hwnd, DWORD event, LONG child) {
  const auto list = eventsOf(hwnd);
  return std::find(list.begin(), list.end(), std::pair(event, child)) != list.end();
}

class WinEventHook {
 public:
  explicit WinEventHook(DWORD pid)
      : hook_(SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_VALUECHANGE, nullptr, onEvent, pid, 0,
                              WINEVENT_OUTOFCONTEXT)) {}
  ~WinEventHook() {
    if (hook_) UnhookWinEvent(hook_);
  }
  explicit operator bool() const { return hook_ != nullptr; }

 private:
  HWINEVENTHOOK hook_;
};

inline constexpr long kColumns = 6;
// The grid's element numbers (cell_grid_access.h) for the main window's six columns.
inline long rowId(int row) { return -(1 + (row + 1) * (kColumns + 1)); }
inline long cellId(int col, int row) { return rowId(row) - (col + 1); }

}  // namespace accessibility_client
