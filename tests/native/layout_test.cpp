#include "fw/layout.h"

#include <gtest/gtest.h>

#include "fw/application.h"
#include "fw/controls.h"
#include "fw/form.h"
#include "fw/testing/headless.h"
#include "fw/menu.h"
#include "fw/scale.h"
#include "fw/text.h"
#include "fw/timer.h"

namespace {

TEST(LayoutParser, ReadsObjectsPropertiesAndValueKinds) {
  const fw::LayoutNode root = fw::parseLayout(
      "object Form9: TForm9   # the window\n"
      "  Caption = \"Ça\\\"ğ\\\\\"\n"
      "  Left = -12\n"
      "  Visible = False\n"
      "  Font.Style = [fsBold, fsItalic]\n"
      "  Lines = (\n"
      "    \"one\"  \"two \"\n"
      "    \"\")\n"
      "  object Inner: TLabel\n"
      "  end\n"
      "end\n",
      "f.layout");
  EXPECT_EQ(root.name, "Form9");
  EXPECT_EQ(root.className, "TForm9");
  ASSERT_EQ(root.properties.size(), 5u);
  EXPECT_EQ(root.properties[0].value.text, "Ça\"ğ\\");
  EXPECT_EQ(root.properties[1].value.integer, -12);
  EXPECT_EQ(root.properties[2].value.kind, fw::LayoutValue::Kind::Identifier);
  EXPECT_EQ(root.properties[3].key, "Font.Style");
  EXPECT_EQ(root.properties[3].value.items, (std::vector<std::string>{"fsBold", "fsItalic"}));
  EXPECT_EQ(root.properties[4].value.items, (std::vector<std::string>{"one", "two ", ""}));
  EXPECT_EQ(root.properties[4].line, 6);
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(root.children[0].line, 9);
}

TEST(LayoutParser, ErrorsNameTheFileLineAndProperty) {
  const struct {
    const char* text;
    int line;
    const char* property;
    const char* message;
  } cases[] = {
      {"", 1, "", "empty"},
      {"object A: TA\n  Left = 1\n", 3, "", "has no 'end'"},
      {"object A: TA\n  Left = 12px\nend\n", 2, "Left", "not an integer"},
      {"object A: TA\n  Left = 99999999999999999999\nend\n", 2, "Left", "not an integer"},
      {"object A: TA\n  Caption = \"open\nend\n", 2, "Caption", "no closing"},
      {"object A: TA\n  Caption = \"a\\q\"\nend\n", 2, "Caption", "unknown escape"},
      {"object A: TA\n  Caption \"x\"\nend\n", 2, "Caption", "expected '='"},
      {"object A: TA\n  Font.Style = [fsBold fsItalic]\nend\n", 2, "Font.Style", "expected ','"},
      {"object A: TA\n  Lines = (\"a\"\nend\n", 3, "Lines", "expected a string or ')'"},
      {"object A: TA\n  Left = 1 2\nend\n", 2, "Left", "end of the line"},
      {"object A\nend\n", 1, "", "expected ':'"},
      {"object A: TA\nend\nend\n", 3, "", "after the last 'end'"},
      {"object A: TA\n  = 3\nend\n", 2, "", "expected a property"},
  };
  for (const auto& c : cases) {
    try {
      fw::parseLayout(c.text, "bad.layout");
      ADD_FAILURE() << "no error for: " << c.text;
    } catch (const fw::LayoutError& e) {
      EXPECT_EQ(e.file(), "bad.layout") << c.text;
      EXPECT_EQ(e.line(), c.line) << c.text << " -> " << e.what();
      EXPECT_EQ(e.property(), c.property) << c.text << " -> " << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.text << " -> " << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("bad.layout:" + std::to_string(c.line) + ": ", 0), 0u) << e.what();
    }
  }
}

TEST(Scaling, DesignPixelsFollowTheScreenDensity) {
  const struct {
    int value, dpi, expected;
  } cases[] = {
      {575, 114, 575}, {575, 96, 484},   // 484.2
      {19, 96, 16},    {19, 144, 24},    // 23.99
      {57, 96, 48},    {1, 57, 1},       // exactly half rounds away from zero
      {-12, 96, -10},  {-1, 57, -1},
      {0, 192, 0},     {2040, 228, 4080},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fw::scaleToDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
}

class LayoutForm : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::registerStandardClasses();
    fw::headless::setResourceDir(ZELVORA_TEST_DATA);
  }
  void TearDown() override { fw::headless::setScreen({1280, 1024}, 114); }
};

TEST_F(LayoutForm, CreatesComponentsByClassAndScalesToTheScreen) {
  fw::headless::setScreen({1280, 1024}, 96);
  fw::Form form(nullptr);
  form.loadLayout("sample.layout");
  auto& label = form.component<fw::Label>("Label1");
  EXPECT_EQ(label.caption(), fw::ansi(u8"Çağrı sayısı : "));
  EXPECT_EQ(label.left(), fw::scaleToDpi(14, 96));
  EXPECT_EQ(label.font().height, fw::scaleToDpi(19, 96));
  EXPECT_TRUE(label.font().italic);
  EXPECT_EQ(label.font().name, "Arial Narrow");
  // Automatic sizing measured the text with the scaled font.
  EXPECT_EQ(label.width(), fw::headless::textExtent(label.caption(), label.font().height).width);

  auto& group = form.component<fw::GroupBox>("Group");
  EXPECT_EQ(group.font().charset, fw::kTurkishCharset);
  EXPECT_EQ(form.component<fw::Label>("Inherits").font().name, "Arial") << "a child takes its parent's font";
  EXPECT_TRUE(form.component<fw::CheckBox>("Box").checked());
  EXPECT_EQ(form.component<fw::Timer>("Tick").interval(), 500u);
  auto& menu = form.component<fw::PopupMenu>("Popup");
  ASSERT_EQ(menu.items().size(), 2u);
  EXPECT_EQ(menu.items()[1]->caption(), fw::ansi(u8"Çıkış"));
  EXPECT_EQ(label.popupMenu(), &menu);
  EXPECT_EQ(form.component<fw::Memo>("Text").lines(),
            (std::vector<std::string>{"a", "", fw::ansi(u8"ş  ")}));
}

TEST_F(LayoutForm, AlignedChildrenShareTheAreaInCreationOrder) {
  fw::Form form(nullptr);
  form.loadLayout("aligned.layout");
  // Client 200 x 100: the top bar takes 20, the bottom bar 10, the left panel 30 of the rest.
  EXPECT_EQ(form.component<fw::Label>("TopBar").bounds(), fw::Rect::fromSize(0, 0, 200, 20));
  EXPECT_EQ(form.component<fw::StatusBar>("Status").bounds(), fw::Rect::fromSize(0, 90, 200, 10));
  EXPECT_EQ(form.component<fw::GroupBox>("LeftPanel").bounds(), fw::Rect::fromSize(0, 20, 30, 70));
  EXPECT_EQ(form.component<fw::Image>("Picture").bounds(), fw::Rect::fromSize(30, 20, 170, 70));
  form.setClientSize({300, 100});
  form.realign();
  EXPECT_EQ(form.component<fw::Image>("Picture").bounds(), fw::Rect::fromSize(30, 20, 270, 70));
}

TEST_F(LayoutForm, BrokenLayoutsFailWithTheirPlace) {
  const struct {
    const char* file;
    int line;
    const char* property;
    const char* message;
  } cases[] = {
      {"unknown_class.layout", 2, "", "unknown class 'TNoSuch'"},
      {"unknown_property.layout", 3, "Colour", "unknown property"},
      {"wrong_kind.layout", 3, "Visible", "expected True or False"},
      {"bad_enum.layout", 3, "Align", "'alMiddle' is not one of its values"},
      {"missing_menu.layout", 3, "PopupMenu", "no popup menu 'Nowhere'"},
      {"missing_main_menu.layout", 2, "Menu", "no main menu 'Nowhere'"},
  };
  for (const auto& c : cases) {
    fw::Form form(nullptr);
    try {
      form.loadLayout(c.file);
      ADD_FAILURE() << c.file << " loaded";
    } catch (const fw::LayoutError& e) {
      EXPECT_EQ(e.file(), c.file);
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_EQ(e.property(), c.property) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
