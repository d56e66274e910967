// The in-memory backend: widgets are plain records, time moves only when a test says so.
#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "fw/application.h"
#include "fw/backend.h"
#include "fw/headless.h"
#include "fw/platform.h"

namespace fw {
namespace {

struct State {
  Size screen{1280, 1024};
  int dpi = 114;
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
  std::string clipboard;
  bool quit = false;
  bool broughtToFront = false;
  std::vector<std::string> errors;
};

State& state() {
  static State s;
  return s;
}

class HeadlessWidget final : public WidgetPeer {
 public:
  HeadlessWidget(WidgetKind kind, Control& control) : kind_(kind), control_(control) {}

  void setName(const std::string&) override {}
  void setText(const std::string& text) override { text_ = text; }
  std::string text() const override { return text_; }
  void setBounds(const Rect& r) override { bounds_ = r; }
  Rect bounds() const override { return bounds_; }
  Size clientSize() const override { return {bounds_.width(), bounds_.height()}; }
  void setClientSize(Size s) override { bounds_ = Rect::fromSize(bounds_.left, bounds_.top, s.width, s.height); }
  void setVisible(bool v) override {
    const bool shown = v && !visible_;
    visible_ = v;
    if (shown && kind_ == WidgetKind::Form) Application::guard([this] { static_cast<Form&>(control_).handleShown(); });
  }
  bool visible() const override { return visible_; }
  void setEnabled(bool) override {}
  void setFont(const Font& f) override { font_ = f; }
  void setColor(std::uint32_t) override {}
  void setHint(const std::string&, bool) override {}
  Size measureText(const std::string& text) const override { return headless::textExtent(text, font_.height); }
  void bringToFront() override {}
  void setFocus() override {}
  void invalidate() override {}
  void setChecked(bool c) override { checked_ = c; }
  bool checked() const override { return checked_; }
  void setRange(int min, int max) override {
    min_ = min;
    max_ = max;
  }
  // The platform's bar holds positions at the nearer end of its range; so does this one.
  void setPosition(int p) override { position_ = std::clamp(p, min_, std::max(min_, max_)); }
  int position() const override { return position_; }
  void setSmooth(bool) override {}
  void setPicture(std::shared_ptr<const Bitmap> picture) override { picture_ = std::move(picture); }
  void setMenu(const std::vector<MenuItem*>*) override {}
  void setIcon(const std::string&) override {}
  void centerOnScreen() override {
    const Size s = state().screen;
    bounds_ = Rect::fromSize((s.width - bounds_.width()) / 2, (s.height - bounds_.height()) / 2, bounds_.width(),
                             bounds_.height());
  }

 private:
  WidgetKind kind_;
  Control& control_;
  std::string text_;
  Rect bounds_;
  bool visible_ = false;
  bool checked_ = false;
  int min_ = 0, max_ = 100, position_ = 0;
  Font font_;
  std::shared_ptr<const Bitmap> picture_;
};

}  // namespace

std::unique_ptr<WidgetPeer> createWidget(WidgetKind kind, Control& control, WidgetPeer*, const WidgetStyle&) {
  return std::make_unique<HeadlessWidget>(kind, control);
}

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
Size screenSize() { return state().screen; }

std::string loadLayoutText(const std::string& name) {
  std::ifstream in(state().resourceDir + "/" + name, std::ios::binary);
  if (!in) throw std::runtime_error("no stored layout '" + name + "'");
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::shared_ptr<const Bitmap> loadPicture(const std::string&) { return std::make_shared<Bitmap>(); }

void showPopupMenu(const std::vector<MenuItem*>&, Point) {}
Point cursorPos() { return {}; }
void reportError(const std::string& message) { state().errors.push_back(message); }

std::uintptr_t startTimer(unsigned intervalMs, std::function<void()> tick) {
  auto& s = state();
  const std::uintptr_t id = s.nextTimer++;
  s.timers.push_back({id, intervalMs, s.now + intervalMs, std::move(tick)});
  return id;
}

void stopTimer(std::uintptr_t id) {
  std::erase_if(state().timers, [id](const State::TimerEntry& t) { return t.id == id; });
}

bool setClipboardText(const std::string& text) {
  state().clipboard = text;
  return true;
}
std::string clipboardText() { return state().clipboard; }

}  // namespace backend

namespace headless {

void setScreen(Size size, int dpi) {
  state().screen = size;
  state().dpi = dpi;
}

void setResourceDir(const std::string& dir) { state().resourceDir = dir; }

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

Size textExtent(const std::string& text, int fontHeight) {
  return {static_cast<int>(text.size()) * std::max(1, fontHeight / 2), fontHeight};
}

}  // namespace headless

namespace clipboard {
bool setText(const std::string& text) { return backend::setClipboardText(text); }
std::string text() { return backend::clipboardText(); }
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

// Named mutexes live for the process here; enough for one process's tests.
NamedMutex::NamedMutex(const std::string& name) {
  std::lock_guard lock(mutexTableLock());
  auto& slot = mutexTable()[name];
  if (!slot) slot = std::make_shared<std::timed_mutex>();
  handle_ = slot.get();
}

NamedMutex::~NamedMutex() = default;

NamedMutex::Wait NamedMutex::wait(unsigned timeoutMs) {
  auto* m = static_cast<std::timed_mutex*>(handle_);
  if (!m->try_lock_for(std::chrono::milliseconds(timeoutMs))) return Wait::TimedOut;
  held_ = true;
  return Wait::Acquired;
}

bool NamedMutex::release() {
  if (!held_) return false;  // as the kernel refuses a release by a thread that does not own it
  held_ = false;
  static_cast<std::timed_mutex*>(handle_)->unlock();
  return true;
}

void Thread::start(std::unique_ptr<Thread> thread, unsigned) {
  std::thread(&Thread::runFromEntry, thread.release()).detach();
}

void sleepMs(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
unsigned currentProcessId() { return 4242; }

}  // namespace fw
