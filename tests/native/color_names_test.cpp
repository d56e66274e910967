// Colour values in stored layouts: every control reads them the same way, so a layout that
// loads with a colour on the grid loads with it on a label, and one that fails fails on both.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "cell_grid.h"
#include "fw/color.h"
#include "fw/controls.h"
#include "fw/form.h"
#include "fw/testing/headless.h"

namespace {

struct ColourCase {
  const char* value;
  std::optional<fw::Color> expected;  // none: the layout is refused
};

const ColourCase kColours[] = {
    {"clWindow", fw::clWindow},
    {"clWindowText", fw::clWindowText},
    {"clBtnFace", fw::clBtnFace},
    {"clBtnShadow", fw::clBtnShadow},
    {"clBtnHighlight", fw::clBtnHighlight},
    {"clGrayText", fw::clGrayText},
    {"clHighlight", fw::clHighlight},
    {"clHotLight", fw::clHotLight},
    {"clBlack", fw::clBlack},
    {"clWhite", fw::clWhite},
    {"clRed", fw::clRed},
    {"255", fw::rgb(255, 0, 0)},
    {"clPurple", std::nullopt},
    {"\"clRed\"", std::nullopt},
};

// A window with a label, another with a grid, each taking the colour for its background and
// its text: each control's verdict is its own.
std::string labelLayout(const std::string& value) {
  return "object Colours: TForm\n"
         "  object Label1: TLabel\n"
         "    Color = " + value + "\n"
         "    Font.Color = " + value + "\n"
         "  end\n"
         "end\n";
}

std::string gridLayout(const std::string& value) {
  return "object Colours: TForm\n"
         "  object CellGrid1: TCellGrid\n"
         "    ColCount = 1\n"
         "    Color = " + value + "\n"
         "    HeaderColor = " + value + "\n"
         "    Font.Color = " + value + "\n"
         "    HeaderFont.Color = " + value + "\n"
         "    Column0.Color = " + value + "\n"
         "  end\n"
         "end\n";
}

class ColourNames : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::registerStandardClasses();
    grid::registerClasses();
    // A folder of this process's own: tests of other builds may run at the same time.
    dir_ = std::filesystem::temp_directory_path() / ("zelvora-colours-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    fw::headless::setResourceDir(dir_.string());
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  std::filesystem::path dir_;
};

TEST_F(ColourNames, EveryColourLoadsOnTheGridAndOnALabelAlike) {
  for (const auto& c : kColours) {
    SCOPED_TRACE(c.value);
    write("label.layout", labelLayout(c.value));
    write("grid.layout", gridLayout(c.value));
    fw::Form labelForm(nullptr);
    fw::Form gridForm(nullptr);
    if (!c.expected) {
      EXPECT_THROW(labelForm.loadLayout("label.layout"), fw::LayoutError);
      EXPECT_THROW(gridForm.loadLayout("grid.layout"), fw::LayoutError);
      continue;
    }
    ASSERT_NO_THROW(labelForm.loadLayout("label.layout"));
    ASSERT_NO_THROW(gridForm.loadLayout("grid.layout"));
    const auto& label = labelForm.component<fw::Label>("Label1");
    EXPECT_EQ(fw::headless::colorOf(label), *c.expected);
    EXPECT_EQ(label.font().color, *c.expected);
    const auto& g = gridForm.component<grid::TCellGrid>("CellGrid1");
    EXPECT_EQ(g.Color(), *c.expected);
    EXPECT_EQ(g.HeaderColor(), *c.expected);
    EXPECT_EQ(g.font().color, *c.expected);
    EXPECT_EQ(g.HeaderFont().color, *c.expected);
    EXPECT_EQ(g.Columns()[0].Color(), *c.expected);
  }
}

}  // namespace
