// The integer and colour parsers: a signal level from the device (the main window's levels
// update) against a reference reading of a signed 32-bit decimal, and a layout integer and
// colour value against what the form ends up with.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "cell_grid.h"
#include "device_text.h"
#include "form1.h"
#include "fw/form.h"
#include "fw/layout.h"
#include "fw/text.h"
#include "tray_icon.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

// The whole text as a signed 32-bit decimal, an optional sign first.
std::optional<int> referenceInteger(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

class SilentDevice : public device::TKorvan {
 public:
  void StartMonitoring() override {}
  std::u16string ExecuteCommand(std::u16string_view) override { return {}; }
  void SetParent(fw::Control&) override {}
  void SetTop(int) override {}
  void Hide() override {}
};

struct Window {
  Window() {
    fw::registerStandardClasses();
    grid::registerClasses();
    tray::registerTrayClasses();
    form = std::make_unique<TForm1>(
        [this](fw::Control&) {
          auto d = std::make_unique<SilentDevice>();
          device = d.get();
          return d;
        },
        nullptr);
  }
  SilentDevice* device = nullptr;
  std::unique_ptr<TForm1> form;
};

void checkLevels(FuzzedDataProvider& in) {
  static Window window;
  std::array<std::u16string, 8> levels;
  for (auto& l : levels) {
    const std::string bytes = in.ConsumeRandomLengthString(14);
    l = fw::toUtf16(bytes);
  }
  std::array<std::optional<int>, 4> expected;
  bool valid = true;
  for (size_t i = 0; i < 4; ++i) {
    const std::string narrow = fw::fromUtf16(levels[i]);
    expected[i] = referenceInteger(narrow);
    valid = valid && expected[i].has_value();
  }
  TForm1& f = *window.form;
  fw::Label* labels[] = {&f.Label1, &f.Label2, &f.Label3, &f.Label4};
  std::array<std::string, 4> before;
  for (size_t i = 0; i < 4; ++i) before[i] = labels[i]->caption();
  bool threw = false;
  try {
    window.device->OnSignalA(*window.device, levels);
  } catch (const std::invalid_argument&) {
    threw = true;
  }
  if (threw == valid) fail("the level parser and the reference disagree on what is a number");
  for (size_t i = 0; i < 4; ++i) {
    const std::string shown = valid ? std::to_string(*expected[i]) : before[i];
    if (labels[i]->caption() != shown) fail("a level label shows another number");
  }
}

// A value written after "Color = " in a layout: an integer in the signed 32-bit range is that
// colour, a colour name is its colour, anything else is a LayoutError.
void checkLayoutValues(FuzzedDataProvider& in) {
  const std::string value = in.ConsumeRandomLengthString(24);
  const std::string text = "object G: TCellGrid\n  Color = " + value + "\nend\n";
  fw::LayoutNode root;
  try {
    root = fw::parseLayout(text, "values.layout");
  } catch (const fw::LayoutError&) {
    return;
  }
  if (root.properties.size() != 1) return;  // the value held a line break and more properties
  const fw::LayoutProperty& p = root.properties[0];
  const auto expected = referenceInteger(value);
  if (p.value.kind == fw::LayoutValue::Kind::Integer && expected && p.value.integer != *expected)
    fail("a layout integer reads as another number");
  static fw::Form form(nullptr);
  static grid::TCellGrid& g = form.create<grid::TCellGrid>(&form);
  fw::LoadContext ctx{"values.layout", 114, &form};
  const fw::Color before = g.Color();
  const bool integer = p.value.kind == fw::LayoutValue::Kind::Integer;
  const bool inRange = integer && p.value.integer >= INT_MIN && p.value.integer <= INT_MAX;
  try {
    g.applyProperty(p, ctx);
  } catch (const fw::LayoutError&) {
    if (inRange) fail("an integer colour was refused");
    if (g.Color() != before) fail("a refused colour changed the grid");
    return;
  }
  if (integer && !inRange) fail("an integer beyond 32 bits was taken as a colour");
  if (integer && g.Color() != static_cast<fw::Color>(static_cast<int>(p.value.integer)))
    fail("an integer colour set another colour");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    checkLevels(in);
  } else {
    checkLayoutValues(in);
  }
  return 0;
}
