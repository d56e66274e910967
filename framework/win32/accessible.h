// The win32 backend's side of assistive technology: IAccessible objects for a window whose
// control has a model (fw/accessible.h), or whose platform control needs a name, value or
// description that the system cannot know; events; read-out announcements.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <string>

#include "fw/control.h"

namespace fw::win32 {

// One window's objects, made when a client first asks for them and kept while the window
// lives. Ending it disconnects them: a client that still holds one gets RPC_E_DISCONNECTED.
class AccessibleServer;
struct AccessibleServerDeleter {
  void operator()(AccessibleServer* server) const;
};
using AccessibleServerPtr = std::unique_ptr<AccessibleServer, AccessibleServerDeleter>;

// WM_GETOBJECT. True when the window answered it; false leaves it to the default handling
// (the system's own objects).
bool answerGetObject(HWND hwnd, Control& control, AccessibleServerPtr& server, WPARAM wp, LPARAM lp, LRESULT& result);

// The root object of the window's own tree, made if need be (null for a control without a
// model). For tests in the same process.
IAccessible* accessibleRoot(HWND hwnd, Control& control, AccessibleServerPtr& server);

// The root object of a control's own tree (null without a model), as WM_GETOBJECT hands it
// out; for tests in the same process.
IAccessible* accessibleObjectOf(const Control& control);

void raiseAccessibleEvent(HWND hwnd, unsigned event, int element);

// Reads a text out: a UI Automation notification where the system has them and a client
// listens, else the show and name-change events of the element.
void announce(HWND hwnd, Control& control, AccessibleServerPtr& server, const std::string& text, int element);

// How many windows have objects made for a client; for tests of "made only when asked".
int liveAccessibleServers();

// UI Automation's notification, looked up at run time (the program must start on systems
// that lack it) and only once a client or a screen reader is about. Tests put their own in
// place, which is then used whatever is about.
struct UiaNotifications {
  BOOL(WINAPI* clientsAreListening)() = nullptr;
  HRESULT(WINAPI* providerFromIAccessible)(IAccessible*, long, DWORD, IUnknown**) = nullptr;
  HRESULT(WINAPI* raiseNotification)(IUnknown*, int, int, BSTR, BSTR) = nullptr;
};
void setUiaNotificationsForTesting(const UiaNotifications& functions);

}  // namespace fw::win32
