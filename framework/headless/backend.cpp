// The in-memory backend: widgets are plain records, time moves only when a test says so.
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

// Top-level windows, the front one last. Never freed: forms that the application still holds
// at exit leave it after every other static is gone.
std::vector<const Control*>& stacking() {
  static auto* windows = new std::vector<const Control*>;
  return *windows;
}

class HeadlessWidget final : public WidgetPeer {
 public:
  HeadlessWidget(WidgetKind kind, Control& control, const WidgetStyle& style)
      : kind_(kind), control_(control), edge_(kind == WidgetKind::Custom && style.border ? kClientEdge : 0) {}
  ~HeadlessWidget() override {
    std::erase(stacking(), &control_);
    if (focusedWidget() == this) focusedWidget() = nullptr;
    if (capturedWidget() == this) capturedWidget() = nullptr;
  }
  Control& control() const { return control_; }
  WidgetKind kind() const { return kind_; }

  void setName(const std::string&) override {}
  // An edit reports every change of its text, also one made by the program, as the
  // platform's edit control does.
  void setText(const std::string& text) override {
    text_ = text;
    if (kind_ == WidgetKind::Edit) Application::guard([this] { static_cast<Edit&>(control_).handleChange(); });
  }
  std::string text() const override { return text_; }
  void setBounds(const Rect& r) override {
    resizing([&] { bounds_ = r; });
  }
  Rect bounds() const override { return bounds_; }
  // Inside the client edge and beside the scroll bars that are shown.
  Size clientSize() const override {
    const int bar = kScrollBarSize;
    return {std::max(0, bounds_.width() - 2 * edge_ - (bars_[1].visible ? bar : 0)),
            std::max(0, bounds_.height() - 2 * edge_ - (bars_[0].visible ? bar : 0))};
  }
  void setClientSize(Size s) override { bounds_ = Rect::fromSize(bounds_.left, bounds_.top, s.width, s.height); }
  void setVisible(bool v) override {
    const bool shown = v && !visible_;
    const bool hidden = !v && visible_;
    visible_ = v;
    if (hidden && kind_ == WidgetKind::Form) static_cast<Form&>(control_).handleHidden();
    if (shown && kind_ == WidgetKind::Form) {
      raise();  // as a window that the system shows comes up in front
      Application::guard([this] { static_cast<Form&>(control_).handleShown(); });
    }
  }
  bool visible() const override { return visible_; }
  void setEnabled(bool) override {}
  void setFont(const Font& f) override { font_ = f; }
  void setColor(std::uint32_t color) override { color_ = color; }
  std::uint32_t color_ = clWindow;
  void setHint(const std::string&, bool) override {}
  Size measureText(const std::string& text) const override { return headless::textExtent(text, font_.height); }
  void bringToFront() override { raise(); }
  // The window that loses the focus hears of it first, then the one that gets it.
  void setFocus() override {
    HeadlessWidget* old = focusedWidget();
    if (old == this) return;
    focusedWidget() = this;
    if (old) Application::guard([&] { old->control_.handleFocusLost(&control_); });
    if (focusedWidget() == this) Application::guard([this] { control_.handleFocusGained(); });
  }
  void setCapture(bool capture) override {
    if (capture) {
      capturedWidget() = this;
    } else if (capturedWidget() == this) {
      capturedWidget() = nullptr;
    }
  }
  void setTextAlignment(TextAlign align) override { alignment_ = align; }
  TextAlign alignment_ = TextAlign::Left;
  bool focused() const override { return focusedWidget() == this; }
  void accessibleEvent(unsigned event, int element) override { accessibleEvents_.push_back({event, element}); }
  void announce(const std::string& text, int element) override { announcements_.push_back({text, element}); }
  std::vector<headless::AccessibleEvent> accessibleEvents_;
  std::vector<headless::Announcement> announcements_;
  void invalidate() override { invalidated_.push_back({0, 0, clientSize().width, clientSize().height}); }
  void invalidateRect(const Rect& r) override { invalidated_.push_back(r); }
  void update() override {}
  void setCursor(int cursor) override { cursor_ = cursor; }
  std::vector<Rect> invalidated_;
  int cursor_ = 0;

  // What is drawn outside the paint cycle lands on a surface that tests take.
  void paintNow(const std::function<void(Canvas&)>& draw) override {
    const Size client = clientSize();
    if (!drawnNow_ || drawnNow_->width() != client.width || drawnNow_->height() != client.height)
      drawnNow_.emplace(client.width, client.height);
    draw(*drawnNow_);
  }
  std::optional<RasterCanvas> drawnNow_;

  void showScrollBar(ScrollBar bar, bool show) override {
    resizing([&] { bars_[index(bar)].visible = show; });
  }
  // As the platform does: a range change shows the bar when the range is not empty and hides
  // it when it is; the position is held inside the range.
  void setScrollRange(ScrollBar bar, int max, int position) override {
    ScrollInfo& b = bars_[index(bar)];
    const bool rangeChanged = b.min != 0 || b.max != max;
    b.min = 0;
    b.max = max;
    b.position = std::clamp(position, b.min, std::max(b.min, b.max));
    if (rangeChanged) resizing([&] { b.visible = b.max > b.min; });
  }
  void setScrollPosition(ScrollBar bar, int position) override {
    ScrollInfo& b = bars_[index(bar)];
    b.position = std::clamp(position, b.min, std::max(b.min, b.max));
  }
  ScrollInfo scrollInfo(ScrollBar bar) const override { return bars_[index(bar)]; }

  void createCaret(Size size) override { caret_ = {true, false, caret_.at, size}; }
  void destroyCaret() override { caret_ = {}; }
  void showCaret(bool show) override { caret_.shown = caret_.exists && show; }
  void setCaretPos(Point p) override { caret_.at = p; }
  headless::Caret caret_;
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
  int windowDpi() const override {
    for (const auto& screen : state().otherScreens)
      if (screen.area.contains({bounds_.left, bounds_.top})) return screen.dpi;
    return state().dpi;
  }
  void centerOnScreen() override {
    const Size s = state().screen;
    bounds_ = Rect::fromSize((s.width - bounds_.width()) / 2, (s.height - bounds_.height()) / 2, bounds_.width(),
                             bounds_.height());
  }

 private:
  static constexpr int kClientEdge = 2;
  static constexpr int kScrollBarSize = 17;
  static int index(ScrollBar bar) { return bar == ScrollBar::Horizontal ? 0 : 1; }

 public:
  static HeadlessWidget*& focusedWidget() {
    static HeadlessWidget* focused = nullptr;
    return focused;
  }
  static HeadlessWidget*& capturedWidget() {
    static HeadlessWidget* captured = nullptr;
    return captured;
  }

 private:
  // Applies a change; when it changed the client size, the control gets its resize handling
  // at once, as the platform's size message arrives.
  template <class F>
  void resizing(F change) {
    const Size before = clientSize();
    change();
    if (clientSize() != before) Application::guard([this] { control_.handleResize(); });
  }

  // Puts the top-level window this control lives in above all others.
  void raise() {
    const Control* top = &control_;
    while (top->parent()) top = top->parent();
    std::erase(stacking(), top);
    stacking().push_back(top);
  }

  WidgetKind kind_;
  Control& control_;
  std::string text_;
  Rect bounds_;
  bool visible_ = false;
  bool checked_ = false;
  int min_ = 0, max_ = 100, position_ = 0;
  Font font_;
  std::shared_ptr<const Bitmap> picture_;
  int edge_;
  ScrollInfo bars_[2];
};

}  // namespace

std::unique_ptr<WidgetPeer> createWidget(WidgetKind kind, Control& control, WidgetPeer*, const WidgetStyle& style) {
  return std::make_unique<HeadlessWidget>(kind, control, style);
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

bool setClipboardText(const std::string& text) {
  state().clipboard = text;
  return true;
}
std::string clipboardText() { return state().clipboard.value_or(std::string()); }
bool clipboardHasText() { return state().clipboard.has_value(); }

}  // namespace backend

namespace headless {

void setScreen(Size size, int dpi) {
  state().screen = size;
  state().dpi = dpi;
  state().otherScreens.clear();
}

void addScreen(Rect area, int dpi) { state().otherScreens.push_back({area, dpi}); }

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

std::vector<AccessibleEvent> takeAccessibleEvents(const Control& control) {
  return std::exchange(static_cast<HeadlessWidget&>(control.peer()).accessibleEvents_, {});
}

std::vector<Announcement> takeAnnouncements(const Control& control) {
  return std::exchange(static_cast<HeadlessWidget&>(control.peer()).announcements_, {});
}

std::vector<Rect> takeInvalidations(const Control& control) {
  auto& w = static_cast<HeadlessWidget&>(control.peer());
  return std::exchange(w.invalidated_, {});
}

RasterCanvas paint(CustomControl& control, const Rect* box) {
  const Size client = control.clientSize();
  RasterCanvas canvas(client.width, client.height, clWhite, box ? *box : Rect{0, 0, client.width, client.height});
  control.paint(canvas);
  return canvas;
}

const Control* frontWindow() {
  const auto& windows = stacking();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it)
    if ((*it)->peer().visible()) return *it;
  return nullptr;
}

int cursorOf(const Control& control) { return static_cast<HeadlessWidget&>(control.peer()).cursor_; }
std::uint32_t colorOf(const Control& control) { return static_cast<HeadlessWidget&>(control.peer()).color_; }
TextAlign textAlignmentOf(const Control& control) {
  return static_cast<HeadlessWidget&>(control.peer()).alignment_;
}

std::optional<RasterCanvas> takeDrawnNow(const Control& control) {
  return std::exchange(static_cast<HeadlessWidget&>(control.peer()).drawnNow_, std::nullopt);
}

Caret caretOf(const Control& control) { return static_cast<HeadlessWidget&>(control.peer()).caret_; }

namespace {
HeadlessWidget& widget(Control& control) { return static_cast<HeadlessWidget&>(control.peer()); }
}  // namespace

void keyDown(Control& control, int key, ShiftState shift) {
  Application::guard([&] { control.handleKeyDown(key, shift); });
}

void character(Control& control, char ch) {
  bool eaten = false;
  Application::guard([&] { eaten = control.handleKeyPress(ch); });
  if (eaten || widget(control).kind() != WidgetKind::Edit) return;
  std::string text = control.peer().text();
  if (ch == '\b') {
    if (text.empty()) return;
    text.pop_back();
  } else if (static_cast<unsigned char>(ch) >= 32) {
    text.push_back(ch);
  } else {
    return;
  }
  control.peer().setText(text);
}

void typeText(Control& control, const std::string& text) {
  for (char ch : text) character(control, ch);
}

void mouseDown(Control& control, MouseButton button, Point at, ShiftState shift) {
  (button == MouseButton::Left ? shift.left : button == MouseButton::Right ? shift.right : shift.middle) = true;
  Application::guard([&] { control.handleMouseDown(button, shift, at); });
}

void mouseMove(Control& control, Point at, ShiftState shift) {
  Application::guard([&] { control.handleMouseMove(shift, at); });
}

void mouseUp(Control& control, MouseButton button, Point at) {
  Application::guard([&] { control.handleMouseUp(button, at); });
}

bool mouseWheel(Control& control, int delta, Point at) {
  bool taken = false;
  Application::guard([&] { taken = control.handleMouseWheel(delta, {}, at); });
  return taken;
}

void scrollBar(Control& control, ScrollBar bar, int code, int position) {
  Application::guard([&] { control.handleScroll(bar, code, position); });
}

void clearClipboard() { state().clipboard.reset(); }

const Control* captured() {
  HeadlessWidget* w = HeadlessWidget::capturedWidget();
  return w ? &w->control() : nullptr;
}

const Control* focused() {
  HeadlessWidget* w = HeadlessWidget::focusedWidget();
  return w ? &w->control() : nullptr;
}

Size textExtent(const std::string& text, int fontHeight) {
  return {static_cast<int>(text.size()) * std::max(1, fontHeight / 2), fontHeight};
}

}  // namespace headless

namespace clipboard {
bool setText(const std::string& text) { return backend::setClipboardText(text); }
std::string text() { return backend::clipboardText(); }
bool hasText() { return backend::clipboardHasText(); }
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
