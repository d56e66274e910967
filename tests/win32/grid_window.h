// The call-list grid in a window of this test's own process, loaded from the layout the main
// window's grid is copied into (data/grid_window.layout), and the program's message loop to
// drive it with. Tests that need the grid on GDI derive their fixture from GridWindowTest.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "cell_grid.h"
#include "fw/application.h"
#include "fw/backend.h"
#include "fw/component.h"
#include "fw/form.h"
#include "fw/win32/native.h"

namespace harness {

// Runs the program's own message loop (the dialog manager's step included) until the
// condition holds or the time is up; a timer wakes it to look.
inline bool loopUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  const auto timer = fw::backend::startTimer(10, [] {});
  fw::backend::runMessageLoop([&] { return !done() && std::chrono::steady_clock::now() < deadline; });
  fw::backend::stopTimer(timer);
  return done();
}

class GridWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    fw::Application::instance().initialize();
    fw::registerStandardClasses();
    grid::registerClasses();
  }

  void SetUp() override {
    form = std::make_unique<fw::Form>(nullptr);
    form->loadLayout("grid_window.layout");
    g = &form->component<grid::TCellGrid>("CellGrid1");
    hwnd = fw::win32::nativeWindow(*g);
  }

  std::unique_ptr<fw::Form> form;
  grid::TCellGrid* g = nullptr;
  HWND hwnd = nullptr;
};

}  // namespace harness
