// The four windows at the densities Windows offers: every text fits its box in its font, the
// call list's rows hold their fonts, and a window that moves between screens of different
// densities is laid out as if it had been made there, and comes back exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cell_grid.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "fw/application.h"
#include "fw/layout.h"
#include "fw/testing/headless.h"
#include "fw/scale.h"
#include "fw/text.h"
#include "helpform.h"
#include "tray_icon.h"

namespace {

namespace hl = fw::headless;
using fw::backend::measureText;

std::unique_ptr<device::TKorvan> noDevice(fw::Control&) {
  throw device::DeviceError("class not registered", 0x80040154L);
}

const std::string kConnected = fw::ansi(u8"Bağlantı tamam  Hemen arayın");
// The longest texts the call list's cells are expected to hold.
const std::string kTime = "10.12.2026 11:56:05";
const std::string kNumber = "05321234567";

void forEachControl(fw::Control& root, const std::function<void(fw::Control&)>& visit) {
  for (fw::Control* c : root.children()) {
    visit(*c);
    forEachControl(*c, visit);
  }
}

int textWidth(const fw::Font& f, const std::string& text) {
  const fw::TextMetrics m = measureText(f, text);
  return m.width + m.overhang;
}

// The height of a line's letters in a font: the layouts' font heights are these.
int letters(const fw::Font& f) {
  const fw::TextMetrics m = measureText(f, "gM");
  return m.height - m.internalLeading;
}

// Everything a user sees of a window's inside, one line a control.
std::string snapshot(fw::Form& form) {
  std::ostringstream out;
  forEachControl(form, [&](fw::Control& c) {
    if (!c.visible()) return;  // a closed editor waits off its grid
    const fw::Rect b = c.bounds();
    out << c.name() << " " << b.left << "," << b.top << "," << b.right << "," << b.bottom << " " << c.font().name << " "
        << c.font().height << " '" << c.caption() << "'";
    if (auto* g = dynamic_cast<grid::TCellGrid*>(&c)) {
      out << " rows " << g->RowCount() << " h " << g->DefRowHeight() << " cur " << g->CurrentCol() << ","
          << g->CurrentRow() << " header " << g->HeaderFont().height << " widths";
      for (int i = 0; i < g->ColCount(); ++i) out << " " << g->Columns()[i].Width();
      for (int r = 0; r < g->RowCount(); ++r)
        for (int i = 0; i < g->ColCount(); ++i) out << " [" << g->RawCellText(i, r) << "]";
    }
    out << "\n";
  });
  return out.str();
}

class Density : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::registerStandardClasses();
    grid::registerClasses();
    tray::registerTrayClasses();
  }
  void TearDown() override {
    fw::Application::instance().terminate();
    hl::setScreen({1280, 1024}, 114);
  }

  // The windows as the program entry creates them, with three calls in the list.
  void open(int dpi) {
    hl::setScreen({1920, 1440}, dpi);
    auto& app = fw::Application::instance();
    form1 = &app.createForm<TForm1>(noDevice, nullptr);
    forms = {form1, &app.createForm<TForm2>(), &app.createForm<TForm3>(), &app.createForm<THelpForm>()};
    // The hidden windows make their controls when first shown; their texts are checked here.
    for (fw::Form* f : forms) f->makeComponents();
    form1->show();
    form1->component<fw::Label>("Label9").setCaption(kConnected);
    auto& g = list();
    for (int i = 1; i <= 3; ++i) {
      const int row = g.AppendRow();
      const std::string cells[] = {std::to_string(i), "4", kNumber, kTime, "KRV0012345", ""};
      for (int c = 0; c < 6; ++c) g.setCellText(c, row, cells[c]);
    }
  }
  grid::TCellGrid& list() const { return form1->component<grid::TCellGrid>("CellGrid1"); }

  // Every visible text in its box, in its font; the call list's rows and header hold their
  // fonts' letters with the painting's padding.
  void expectTextsFit() const {
    for (fw::Form* form : forms) {
      SCOPED_TRACE(form->name());
      forEachControl(*form, [&](fw::Control& c) {
        SCOPED_TRACE(c.name());
        const fw::Size area = c.parent()->clientSize();
        if (auto* label = dynamic_cast<fw::Label*>(&c); label && !label->caption().empty()) {
          EXPECT_GE(label->width(), textWidth(label->font(), label->caption()));
          EXPECT_GE(label->height(), measureText(label->font(), label->caption()).height);
          EXPECT_LE(label->bounds().right, area.width) << "inside its parent";
        } else if (auto* box = dynamic_cast<fw::CheckBox*>(&c)) {
          EXPECT_GE(box->width(), fw::CheckBox::markExtent(form->dpi()) + textWidth(box->font(), box->caption()));
          EXPECT_LE(box->bounds().right, area.width) << "inside its parent";
        } else if (auto* group = dynamic_cast<fw::GroupBox*>(&c); group && !group->caption().empty()) {
          EXPECT_GE(group->width(), textWidth(group->font(), group->caption()) + fw::mulDiv(16, form->dpi(), 96));
        } else if (auto* g = dynamic_cast<grid::TCellGrid*>(&c)) {
          EXPECT_GE(g->DefRowHeight(), letters(g->font()) + grid::TCellGrid::kCellPaddingY);
          EXPECT_GE(g->DefRowHeight(), letters(g->HeaderFont()) + grid::TCellGrid::kBoxPaddingY);
          for (int i = 0; i < g->ColCount(); ++i) {
            const grid::TCellColumn& column = g->Columns()[i];
            SCOPED_TRACE(column.Title());
            EXPECT_GE(column.Width(), textWidth(g->HeaderFont(), column.Title()) + grid::TCellGrid::kBoxPaddingX);
            for (int r = 0; r < g->RowCount(); ++r)
              EXPECT_GE(column.Width(), textWidth(column.Font(), g->RawCellText(i, r)) + grid::TCellGrid::kCellPaddingX);
          }
          EXPECT_EQ(g->TotalColumnWidth(), g->clientSize().width) << "the columns still fill the list";
        }
      });
    }
  }

  TForm1* form1 = nullptr;
  std::vector<fw::Form*> forms;
};

TEST_F(Density, EveryTextFitsItsBoxAtEachDensity) {
  for (int dpi : {96, 114, 120, 144, 168, 192}) {
    SCOPED_TRACE("at " + std::to_string(dpi) + " dpi");
    open(dpi);
    expectTextsFit();
    EXPECT_EQ(list().DefRowHeight(), std::max(fw::scaleToDpi(18, dpi), letters(list().font()) + 3));
    fw::Application::instance().terminate();
  }
}

// A font of the default character set gets, where the system's code page is not Turkish, a
// face without "ı", "ş" or "ğ" (under Wine the bitmap MS Sans Serif): every control that shows
// a Turkish letter asks for the Turkish set. The call list's own fonts are checked with it.
TEST_F(Density, EveryTextWithTurkishLettersAsksForTheTurkishCharacterSet) {
  open(114);
  int turkish = 0;
  for (fw::Form* form : forms) {
    forEachControl(*form, [&](fw::Control& c) {
      std::string text = c.caption();
      if (auto* memo = dynamic_cast<fw::Memo*>(&c))
        for (const std::string& line : memo->lines()) text += line;
      if (std::none_of(text.begin(), text.end(), [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; }))
        return;
      ++turkish;
      EXPECT_EQ(c.font().charset, fw::kTurkishCharset) << form->name() << "." << c.name() << " '" << text << "'";
    });
  }
  EXPECT_GE(turkish, 6) << "the windows' Turkish texts were all looked at";
}

TEST_F(Density, AtTheDesignDensityOnlyTheTimeColumnAndItsDonorsChange) {
  open(114);
  auto& g = list();
  EXPECT_EQ(g.DefRowHeight(), 18);
  EXPECT_EQ(g.Geometry().headerHeight, 18);
  std::vector<int> widths;
  for (int i = 0; i < g.ColCount(); ++i) widths.push_back(g.Columns()[i].Width());
  // 19 characters of 7 pixels and the cell's 7 pixels of padding; the room comes from the
  // column with the most to spare ("Cihaz Seri No", 33 pixels beyond its title's 95).
  EXPECT_EQ(widths, (std::vector<int>{39, 47, 122, 140, 109, 92}));
}

TEST_F(Density, AWindowMovedToAnotherDensityIsLaidOutAsIfMadeThereAndComesBack) {
  open(192);
  list().SetCurrentCell(3, 1);
  std::vector<std::string> made;
  for (fw::Form* f : forms) made.push_back(snapshot(*f));
  fw::Application::instance().terminate();

  open(96);
  auto& g = list();
  g.SetCurrentCell(3, 1);
  std::vector<std::string> before;
  for (fw::Form* f : forms) before.push_back(snapshot(*f));
  const fw::Rect frame = form1->bounds();

  for (fw::Form* f : forms) hl::moveToDpi(*f, 192);
  EXPECT_EQ(form1->dpi(), 192);
  EXPECT_EQ(form1->left(), frame.left) << "the suggested rectangle's corner";
  EXPECT_EQ(form1->top(), frame.top);
  expectTextsFit();
  // Each window asked for its own size there, so each is as if made there.
  for (size_t i = 0; i < forms.size(); ++i) EXPECT_EQ(snapshot(*forms[i]), made[i]) << forms[i]->name();
  EXPECT_EQ(g.CurrentCol(), 3);
  EXPECT_EQ(g.CurrentRow(), 1);

  for (fw::Form* f : forms) hl::moveToDpi(*f, 96);
  for (size_t i = 0; i < forms.size(); ++i) EXPECT_EQ(snapshot(*forms[i]), before[i]) << forms[i]->name();
  EXPECT_EQ(form1->bounds(), frame);
}

TEST_F(Density, AWindowFirstShownOnAScreenOfAnotherDensityIsLaidOutThere) {
  // The help window, centred where it is shown; the guide and settings windows place
  // themselves on the first screen each time.
  const auto help = [&] { return forms[3]; };
  open(192);
  help()->show();
  const std::string made = snapshot(*help());
  fw::Application::instance().terminate();

  // Made at the system's density, then placed on the second screen before it is shown: no
  // move tells it, so showing it must.
  open(96);
  const fw::Rect second = fw::Rect::fromSize(1920, 0, 3840, 2160);
  hl::addScreen(second, 192);
  const std::string before = snapshot(*help());
  help()->setBounds(fw::Rect::fromSize(2400, 400, help()->width(), help()->height()));
  const fw::Point centre{2400 + help()->width() / 2, 400 + help()->height() / 2};
  help()->show();
  EXPECT_EQ(help()->dpi(), 192);
  EXPECT_EQ(snapshot(*help()), made);
  EXPECT_NEAR(help()->left() + help()->width() / 2, centre.x, 1) << "still centred where it was placed";
  EXPECT_NEAR(help()->top() + help()->height() / 2, centre.y, 1);
  EXPECT_EQ(form1->dpi(), 96) << "a window on the first screen keeps its density";

  help()->hide();
  hl::moveToDpi(*help(), 96);
  EXPECT_EQ(snapshot(*help()), before) << "and it comes back as it was";
}

TEST_F(Density, AWindowKeepsItsLayoutsSizeAcrossMovesThroughEveryDensity) {
  hl::setScreen({1920, 1440}, 96);
  fw::Form form(nullptr);
  fw::LoadContext ctx{"test", 96, &form};
  // An odd size, so that a frame scaled in proportion would round away from the layout's.
  const fw::LayoutNode layout = fw::parseLayout("object F: TForm\n  ClientWidth = 401\n  ClientHeight = 233\nend\n", "test");
  for (const fw::LayoutProperty& p : layout.properties) form.applyProperty(p, ctx);
  form.show();
  for (int dpi : {120, 144, 168, 192, 114, 96}) {
    SCOPED_TRACE(dpi);
    hl::moveToDpi(form, dpi);
    EXPECT_EQ(form.clientSize(), (fw::Size{fw::scaleToDpi(401, dpi), fw::scaleToDpi(233, dpi)}));
  }
  // A size the user gave keeps its proportion instead.
  form.setClientSize({500, 300});
  hl::moveToDpi(form, 192);
  EXPECT_EQ(form.clientSize(), (fw::Size{1000, 600}));
}

TEST_F(Density, AnOpenEditorStaysOverItsCellAcrossAMove) {
  hl::setScreen({1280, 1024}, 96);
  fw::Form form(nullptr);
  auto& g = form.create<grid::TCellGrid>(&form);
  form.setClientSize({400, 200});
  g.setBounds(fw::Rect::fromSize(0, 0, 400, 200));
  g.setColCount(3);
  g.setRowCount(4);
  g.setCellText(1, 2, "abc");
  form.show();
  const auto centre = [&] {
    const fw::Rect r = g.CellRectToClient(g.CellRect(1, 2));
    return fw::Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  for (int i = 0; i < 2; ++i) {
    hl::mouseDown(g, fw::MouseButton::Left, centre());
    hl::mouseUp(g, fw::MouseButton::Left, centre());
  }
  ASSERT_TRUE(g.EditorActive());
  hl::typeText(g.Inplace(), "d");
  for (int dpi : {192, 144, 96}) {
    SCOPED_TRACE(dpi);
    hl::moveToDpi(form, dpi);
    EXPECT_TRUE(g.EditorActive());
    EXPECT_TRUE(g.Inplace().visible());
    EXPECT_EQ(g.Inplace().text(), "abcd");
    EXPECT_EQ(g.Inplace().font(), g.Columns()[1].Font());
    EXPECT_EQ(g.CurrentCol(), 1);
    EXPECT_EQ(g.CurrentRow(), 2);
    const fw::Rect cell = g.CellRectToClient(g.CellRect(1, 2));
    const fw::Rect ed = g.Inplace().bounds();
    EXPECT_TRUE(cell.left < ed.left && ed.right <= cell.right && cell.top < ed.top && ed.bottom <= cell.bottom)
        << "the editor lies inside its cell";
    hl::paint(g);
    EXPECT_EQ(g.FillHandleRect().width(), 2 * fw::scaleToDpi(3, dpi)) << "the fill handle follows the density";
    EXPECT_NEAR(g.Columns()[0].Width(), fw::scaleToDpi(80, 96) * dpi / 96.0, 1.0)
        << "widths made by the program keep their proportion";
  }
  EXPECT_EQ(g.RawCellText(1, 2), "abcd");
}

TEST(DensityIcons, SmallIconsFollowTheDensity) {
  const struct {
    int dpi, size;
  } cases[] = {{96, 16}, {114, 19}, {120, 20}, {144, 24}, {168, 28}, {192, 32}};
  for (const auto& c : cases) EXPECT_EQ(fw::smallIconSize(c.dpi), c.size) << c.dpi;
}

TEST(DensityLabels, AnItalicLastLetterAddsItsOverhang) {
  fw::Font f;
  f.height = 16;
  f.italic = true;
  EXPECT_EQ(measureText(f, "ab").overhang, 2);
  EXPECT_EQ(measureText(f, "ab ").overhang, 0) << "a space has no ink";
  f.italic = false;
  EXPECT_EQ(measureText(f, "ab").overhang, 0);
}

}  // namespace
