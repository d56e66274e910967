// What the input tests share: controls that write down the input they get, a form that takes
// the wheel, the program's own message loop run until it is idle, and the fixture's window.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fw/application.h"
#include "fw/controls.h"
#include "fw/custom_control.h"
#include "fw/form.h"
#include "fw/text.h"
#include "fw/win32/native.h"

namespace input_test {

using namespace std::chrono_literals;
using fw::win32::nativeWindow;

inline std::string describe(fw::ShiftState s) {
  std::string r;
  if (s.shift) r += " shift";
  if (s.ctrl) r += " ctrl";
  if (s.alt) r += " alt";
  if (s.left) r += " L";
  if (s.right) r += " R";
  if (s.middle) r += " M";
  return r;
}

inline const char* buttonName(fw::MouseButton b) {
  return b == fw::MouseButton::Left ? "left" : b == fw::MouseButton::Right ? "right" : "middle";
}

inline std::string at(fw::Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

// Writes down every input it gets; keeps the keys and characters it is told to keep.
class Probe : public fw::CustomControl {
 public:
  Probe(fw::Component* owner, fw::Control* parent)
      : fw::CustomControl(owner, parent, fw::WidgetStyle{.border = false, .scrollBars = true}) {}

  std::vector<std::string> events;
  std::set<int> claimed;
  bool characters = true;
  bool takeWheel = true;

  bool handleKeyDown(int& key, fw::ShiftState shift) override {
    events.push_back("key " + std::to_string(key) + describe(shift));
    return true;
  }
  bool handleKeyPress(char& key) override {
    events.push_back(std::string("char ") + key);
    return true;
  }
  void handleMouseDown(fw::MouseButton b, fw::ShiftState shift, fw::Point p) override {
    events.push_back(std::string("down ") + buttonName(b) + " " + at(p) + describe(shift));
  }
  void handleMouseMove(fw::ShiftState shift, fw::Point p) override { events.push_back("move " + at(p) + describe(shift)); }
  void handleMouseUp(fw::MouseButton b, fw::Point p) override { events.push_back(std::string("up ") + buttonName(b) + " " + at(p)); }
  bool handleMouseWheel(int delta, fw::ShiftState shift, fw::Point p) override {
    events.push_back("wheel " + std::to_string(delta) + " " + at(p) + describe(shift));
    return takeWheel;
  }
  void handleScroll(fw::ScrollBar bar, int code, int position) override {
    // As a scrolling control does: the thumb stays where it is dragged.
    if (code == fw::scroll::ThumbTrack) peer().setScrollPosition(bar, position);
    events.push_back(std::string("scroll ") + (bar == fw::ScrollBar::Vertical ? "v " : "h ") + std::to_string(code) + " " +
                     std::to_string(position));
  }
  void handleFocusGained() override { events.push_back("focus"); }
  void handleFocusLost(fw::Control* next) override { events.push_back("lost " + (next ? next->name() : "-")); }
  bool wantsNavigationKey(int key) const override { return claimed.count(key) != 0; }
  bool wantsCharacters() const override { return characters; }
};

// An edit whose key handlers a test sets; the default passes everything on.
class EditProbe : public fw::Edit {
 public:
  EditProbe(fw::Component* owner, fw::Control* parent, const fw::WidgetStyle& style = {}) : fw::Edit(owner, parent, style) {}

  std::function<bool(int&)> key = [](int&) { return false; };
  std::function<bool(char&)> character = [](char&) { return false; };
  std::set<int> claimed;
  std::vector<std::string> focusEvents;

  bool handleKeyDown(int& k, fw::ShiftState) override { return key(k); }
  bool handleKeyPress(char& ch) override { return character(ch); }
  bool wantsNavigationKey(int k) const override { return claimed.count(k) != 0; }
  void handleFocusGained() override { focusEvents.push_back("focus"); }
  void handleFocusLost(fw::Control* next) override { focusEvents.push_back("lost " + (next ? next->name() : "-")); }
};

class WheelForm : public fw::Form {
 public:
  using fw::Form::Form;
  int wheels = 0;
  bool handleMouseWheel(int, fw::ShiftState, fw::Point) override {
    ++wheels;
    return true;
  }
};

// Runs the program's own message loop, the dialog manager's step included, until every
// message posted so far has been handled: a timer's message comes only when no other waits.
inline void pump() {
  bool ticked = false;
  const auto timer = fw::backend::startTimer(1, [&] { ticked = true; });
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  fw::backend::runMessageLoop([&] { return !ticked && std::chrono::steady_clock::now() < deadline; });
  fw::backend::stopTimer(timer);
}

inline std::wstring windowText(HWND w) {
  wchar_t buffer[256];
  const int n = GetWindowTextW(w, buffer, 256);
  return {buffer, static_cast<size_t>(n)};
}

class Input : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { fw::Application::instance().initialize(); }

  void SetUp() override {
    form = std::make_unique<WheelForm>(nullptr);
    form->setName("InputForm");
    form->setBounds({100, 100, 500, 400});
    probe = &form->create<Probe>(form.get());
    probe->setName("Probe");
    probe->setBounds({10, 10, 210, 160});
    edit = &form->create<EditProbe>(form.get());
    edit->setName("Edit");
    edit->setBounds({10, 200, 210, 224});
    button = &form->create<fw::Button>(form.get());
    button->setName("Button");
    button->setCaption("&Kapat");
    button->setBounds({250, 200, 330, 225});
    button->onClick = [this](fw::Component&) { ++clicks; };
    form->show();
    SetForegroundWindow(nativeWindow(*form));
    pump();
  }

  void focus(fw::Control& c) {
    c.setFocus();
    pump();
    probe->events.clear();
  }

  void post(fw::Control& c, UINT msg, WPARAM wp, LPARAM lp) { PostMessageW(nativeWindow(c), msg, wp, lp); }

  std::unique_ptr<WheelForm> form;
  Probe* probe = nullptr;
  EditProbe* edit = nullptr;
  fw::Button* button = nullptr;
  int clicks = 0;
};


}  // namespace input_test
