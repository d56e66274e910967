// The hidden window all tray icons of the process share, and the shell's restart message.
#include "tray_icon.h"

namespace tray {

namespace shell = fw::shell;
namespace msg = fw::shell::msg;

namespace {

std::unique_ptr<TTrayIconHandler>& handlerSlot() {
  static std::unique_ptr<TTrayIconHandler> slot;  // freed at program end if still there
  return slot;
}

// The shell announces a re-created taskbar only from common controls 4.71 on.
constexpr unsigned kTaskbarCreatedSince = (4u << 16) | 71u;

}  // namespace

unsigned TaskbarRestartMessage() {
  static const unsigned message =
      shell::commonControlsVersion() >= kTaskbarCreatedSince ? shell::registerWindowMessage("TaskbarCreated") : 0;
  return message;
}

// ---- the shared hidden window ----

TTrayIconHandler::TTrayIconHandler()
    : window_(ClassName, [this](shell::Message& m) { return handleMessage(m); }) {}

TTrayIconHandler* TTrayIconHandler::instance() { return handlerSlot().get(); }

TTrayIconHandler& TTrayIconHandler::acquire(TTrayIcon& icon, unsigned& id) {
  auto& slot = handlerSlot();
  if (!slot) slot.reset(new TTrayIconHandler);
  TTrayIconHandler& h = *slot;
  // A number of our own rather than the instance's address: it fits the shell's 32-bit uID on
  // every build, and a notification queued for an icon that has gone finds nobody.
  while (h.nextId_ == 0 || h.icons_.count(h.nextId_)) ++h.nextId_;
  id = h.nextId_++;
  h.icons_[id] = &icon;
  ++h.users_;
  return h;
}

void TTrayIconHandler::release(unsigned id) {
  auto& slot = handlerSlot();
  if (!slot) return;
  slot->icons_.erase(id);
  if (--slot->users_ == 0) slot.reset();
}

bool TTrayIconHandler::handleMessage(shell::Message& m) {
  switch (m.msg) {
    case TrayCallbackMessage: {
      m.result = 0;
      auto it = icons_.find(static_cast<unsigned>(m.wParam));
      if (it != icons_.end()) it->second->handleNotification(m.lParam);
      return true;
    }
    // A stray close or end-of-session request must not take the window from the icons.
    case msg::Destroy:
    case msg::Close:
    case msg::QueryEndSession:
    case msg::Quit:
    case msg::EndSession:
    case msg::NcDestroy:
      m.result = 1;
      return true;
    default:
      return false;
  }
}

}  // namespace tray
