// The in-memory backend's application services: a settable screen, a clock that moves only
// when a test says so, the clipboard, named mutexes. Its windows are in widgets.cpp.
#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "fw/application.h"
#include "fw/backend.h"
#include "fw/testing/headless.h"
#include "fw/testing/headless_shell.h"
#include "fw/controls.h"
#include "fw/custom_control.h"
#include "fw/platform.h"
#include "fw/testing/raster_canvas.h"
#include "fw/scale.h"

namespace fw {
namespace {

struct State {
  Size screen{1280, 1024};
  int dpi = 114;
  struct Screen {
    Rect area;
    int dpi;
  };
  std::vector<Screen> otherScreens;
  std::string resourceDir = ZELVORA_RESOURCE_DIR;
  unsigned long long now = 0;
  struct TimerEntry {
    std::uintptr_t id;
    unsigned interval;
    unsigned long long due;
    std::function<void()> tick;
  };
  std::vector<TimerEntry> timers;
  std::uintptr_t nextTimer = 1;
  std::optional<std::string> clipboard;
  bool quit = false;
  bool broughtToFront = false;
  std::vector<std::string> errors;
};

State& state() {
  static State s;
  return s;
}

}  // namespace

Color resolveColor(Color c) {
  if (!isSystemColor(c)) return c;
  switch (systemColorIndex(c)) {
    case 5: return clWhite;
    case 8: return clBlack;
    case 13: return rgb(0, 120, 215);
    case 14: return clWhite;
    case 15: return rgb(240, 240, 240);
    case 16: return rgb(160, 160, 160);
    case 17: return rgb(109, 109, 109);
    case 18: return clBlack;
    case 20: return clWhite;
    case 21: return rgb(105, 105, 105);
    case 26: return rgb(0, 102, 204);
    default: return clBlack;
  }
}

namespace backend {

void initialize() {}
void setApplicationTitle(const std::string&) {}

void runMessageLoop(const std::function<bool()>& mainFormAlive) {
  // Nothing arrives by itself here; time moves only through advanceTime.
  while (mainFormAlive() && !state().quit) headless::advanceTime(10);
}

void processMessages() {}
void quit() { state().quit = true; }
void bringApplicationToFront() { state().broughtToFront = true; }
int screenDpi() { return state().dpi; }

TextMetrics measureText(const Font& font, const std::string& text) {
  const Size extent = headless::textExtent(text, font.height);
  // An italic letter leans past its advance by an eighth of the font height (at least a
  // pixel); a space has no ink to lean.
  const bool leans = font.italic && !text.empty() && text.back() != ' ';
  return {extent.width, extent.height, 0, leans ? std::max(1, font.height / 8) : 0};
}
Size screenSize() { return state().screen; }

std::string loadLayoutText(const std::string& name) {
  std::ifstream in(state().resourceDir + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("no stored layout '" + name + "'");
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::shared_ptr<const Bitmap> loadPicture(const std::string&) { return std::make_shared<Bitmap>(); }

void showPopupMenu(const std::vector<MenuItem*>& items, Point at) { headless::recordPopup(items, at); }
Point cursorPos() { return {}; }
void reportError(const std::string& message) { state().errors.push_back(message); }
void registerCursor(int, const std::string&) {}

std::uintptr_t startTimer(unsigned intervalMs, std::function<void()> tick) {
  auto& s = state();
  const std::uintptr_t id = s.nextTimer++;
  s.timers.push_back({id, intervalMs, s.now + intervalMs, std::move(tick)});
  return id;
}

void stopTimer(std::uintptr_t id) {
  std::erase_if(state().timers, [id](const State::TimerEntry& t) { return t.id == id; });
}

}  // namespace backend

namespace headless {

void setScreen(Size size, int dpi) {
  state().screen = size;
  state().dpi = dpi;
  state().otherScreens.clear();
}

void addScreen(Rect area, int dpi) { state().otherScreens.push_back({area, dpi}); }

int dpiAt(Point p) {
  for (const auto& screen : state().otherScreens)
    if (screen.area.contains(p)) return screen.dpi;
  return state().dpi;
}

void setResourceDir(const std::string& dir) { state().resourceDir = dir; }

void moveToDpi(Form& form, int dpi) {
  // Headless windows have no frame: the size the window asks for is the whole rectangle.
  const Rect b = form.bounds();
  const Size wanted = form.designedFrameAt(dpi).value_or(form.clientSizeAt(dpi));
  const Rect suggested = Rect::fromSize(b.left, b.top, wanted.width, wanted.height);
  Application::guard([&] { form.handleDpiChanged(dpi, suggested); });
}

void advanceTime(unsigned ms) {
  auto& s = state();
  const unsigned long long end = s.now + ms;
  for (;;) {
    auto next = std::min_element(s.timers.begin(), s.timers.end(),
                                 [](const auto& a, const auto& b) { return a.due < b.due; });
    if (next == s.timers.end() || next->due > end) break;
    s.now = next->due;
    next->due += std::max(1u, next->interval);
    // The tick may stop or start timers: call a copy, never the entry itself.
    auto tick = next->tick;
    Application::guard(tick);
  }
  s.now = end;
}

int liveTimers() { return static_cast<int>(state().timers.size()); }
bool quitRequested() { return state().quit; }
bool applicationBroughtToFront() { return state().broughtToFront; }
std::vector<std::string> reportedErrors() { return state().errors; }

void clearClipboard() { state().clipboard.reset(); }

Size textExtent(const std::string& text, int fontHeight) {
  return {static_cast<int>(text.size()) * std::max(1, fontHeight / 2), fontHeight};
}

}  // namespace headless

namespace clipboard {
bool setText(const std::string& text) {
  state().clipboard = text;
  return true;
}
std::string text() { return state().clipboard.value_or(std::string()); }
bool hasText() { return state().clipboard.has_value(); }
}  // namespace clipboard

namespace {
std::mutex& mutexTableLock() {
  static std::mutex m;
  return m;
}
std::map<std::string, std::shared_ptr<std::timed_mutex>>& mutexTable() {
  static std::map<std::string, std::shared_ptr<std::timed_mutex>> t;
  return t;
}
}  // namespace

struct NamedMutex::Impl {
  std::shared_ptr<std::timed_mutex> mutex;
  bool held = false;  // the kernel's owner record
};

// Named mutexes live for the process here; enough for one process's tests.
NamedMutex::NamedMutex(const std::string& name) : impl_(std::make_unique<Impl>()) {
  std::lock_guard lock(mutexTableLock());
  auto& slot = mutexTable()[name];
  if (!slot) slot = std::make_shared<std::timed_mutex>();
  impl_->mutex = slot;
}

NamedMutex::~NamedMutex() = default;

bool NamedMutex::valid() const { return true; }

NamedMutex::Wait NamedMutex::wait(unsigned timeoutMs) {
  if (!impl_->mutex->try_lock_for(std::chrono::milliseconds(timeoutMs))) return Wait::TimedOut;
  impl_->held = true;
  return Wait::Acquired;
}

bool NamedMutex::release() {
  if (!impl_->held) return false;  // as the kernel refuses a release by a thread that does not own it
  impl_->held = false;
  impl_->mutex->unlock();
  return true;
}

void Thread::start(std::unique_ptr<Thread> thread, unsigned) {
  std::thread(&Thread::runFromEntry, thread.release()).detach();
}

void sleepMs(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
unsigned currentProcessId() { return 4242; }

}  // namespace fw
