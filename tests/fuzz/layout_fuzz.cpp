// The layout reader and everything a stored layout sets: any text is either a form with its
// components or a LayoutError, never a crash, a hang or a read outside a list.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "cell_grid.h"
#include "fw/component.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/layout.h"
#include "tray_icon.h"

namespace {

// The headless backend reads layouts from files: each run writes its text to one of its own.
const std::string& layoutDir() {
  static const std::string dir = [] {
    std::string d = "/tmp/zelvora-layout-fuzz-" + std::to_string(getpid());
    ::mkdir(d.c_str(), 0700);
    fw::headless::setResourceDir(d);
    fw::registerStandardClasses();
    grid::registerClasses();
    tray::registerTrayClasses();
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(layoutDir() + "/fuzz.layout", std::ios::binary | std::ios::trunc);
    out << text;
  }
  try {
    fw::parseLayout(text, "fuzz.layout");
  } catch (const fw::LayoutError&) {
    return 0;
  }
  try {
    fw::Form form(nullptr);
    form.loadLayout("fuzz.layout");
  } catch (const fw::LayoutError&) {
  }
  return 0;
}
