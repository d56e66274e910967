// The guide, settings and help windows, the main window's menu that opens them, and the
// resources they show.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <sstream>
#include <typeinfo>

#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "fw/application.h"
#include "fw/custom_control.h"
#include "fw/testing/headless.h"
#include "fw/text.h"
#include "helpform.h"
#include "read_file.h"

namespace fw {
// Readable failures.
void PrintTo(const Rect& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ") " << r.width() << " x " << r.height();
}
}  // namespace fw

namespace {

std::unique_ptr<device::TKorvan> noDevice(fw::Control&) {
  throw device::DeviceError("class not registered", 0x80040154L);
}

// The windows as the program entry creates them: the main window, then the three others.
class GuideWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::registerStandardClasses();
    grid::registerClasses();
    tray::registerTrayClasses();
    setScreenHeight(768);
    auto& app = fw::Application::instance();
    form1 = &app.createForm<TForm1>(noDevice, nullptr);
    form2 = &app.createForm<TForm2>();
    form3 = &app.createForm<TForm3>();
    help = &app.createForm<THelpForm>();
    form1->show();
  }
  void TearDown() override {
    fw::Application::instance().terminate();
    fw::headless::setScreen({1280, 1024}, 114);
  }
  static void setScreenHeight(int height) { fw::headless::setScreen({height * 4 / 3, height}, 114); }

  TForm1* form1 = nullptr;
  TForm2* form2 = nullptr;
  TForm3* form3 = nullptr;
  THelpForm* help = nullptr;
};

TEST_F(GuideWindows, StartHiddenWithTheirCaptionsAndKeyPreview) {
  const struct {
    fw::Form* form;
    const char* name;
    const char8_t* caption;
    bool keyPreview;
  } cases[] = {{form2, "Form2", u8"Cihaz Bağlantısı", true},
               {form3, "Form3", u8"Önerilen ayar", true},
               {help, "HelpForm", u8"Yardım", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(fw::Application::instance().findForm(c.name), c.form) << c.name;
    EXPECT_FALSE(c.form->visible()) << c.name;
    EXPECT_EQ(c.form->caption(), fw::ansi(c.caption)) << c.name;
    EXPECT_EQ(c.form->keyPreview(), c.keyPreview) << c.name;
  }
  EXPECT_EQ(form2->StatusBar1->caption(), fw::ansi(u8"    Caller ID Cihazı Bağlantı Şekli"));
  EXPECT_EQ(form3->StatusBar1->caption(), "");
  EXPECT_FALSE(form2->Image3->pictureDecoded()) << "pictures wait until their window is shown";
  EXPECT_FALSE(form3->w_ayar->pictureDecoded());
}

// A window whose layout names no icon would show the main window's (the window class's); the
// settings window's design gives it the application's icon. A hidden window is given its icon
// when it is first shown, before it appears.
TEST_F(GuideWindows, EachWindowShowsTheIconItsDesignGivesIt) {
  const struct {
    fw::Form* form;
    const char* icon;
  } cases[] = {{form1, "MAINICON"}, {form2, "GUIDEICON"}, {form3, "APPICON"}, {help, "APPICON"}};
  for (const auto& c : cases) {
    if (c.form != form1) {
      EXPECT_EQ(fw::headless::iconOf(*c.form), "") << c.form->name() << " before its first showing";
    }
    c.form->show();
    EXPECT_EQ(fw::headless::iconOf(*c.form), c.icon) << c.form->name();
  }
}

TEST_F(GuideWindows, TheMainMenuShowsEachWindowInFront) {
  ASSERT_EQ(form1->menu(), &form1->MainMenu1) << "the menu bar is attached though declared after the property";
  const struct {
    fw::MenuItem* item;
    const char8_t* caption;
    fw::Form* form;
  } cases[] = {{&form1->BalantKlavuzu1, u8"Bağlantı Kılavuzu", form2},
               {&form1->Ayar1, u8"Ayar", form3},
               {&form1->Yardm1, u8"Yardım", help}};
  ASSERT_EQ(form1->MainMenu1.items().size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const auto& c = cases[i];
    EXPECT_EQ(form1->MainMenu1.items()[i], c.item) << "menu order";
    EXPECT_EQ(c.item->caption(), fw::ansi(c.caption));
    c.item->click();
    EXPECT_TRUE(c.form->visible()) << c.form->name();
    EXPECT_EQ(fw::headless::frontWindow(), c.form) << c.form->name();
  }
  // Already visible but behind the others: it only comes to the front; the size the user gave
  // it stays, since the sizing rule runs when a window becomes visible.
  const fw::Rect userBounds = fw::Rect::fromSize(200, 100, 500, 400);
  form2->setBounds(userBounds);
  form1->BalantKlavuzu1.click();
  EXPECT_EQ(fw::headless::frontWindow(), form2);
  EXPECT_EQ(form2->bounds(), userBounds);
}

TEST_F(GuideWindows, PictureWindowsFollowTheScreenHeight) {
  const struct {
    int screenHeight;
    bool guide;
    fw::Rect expected;
  } cases[] = {
      {768, true, fw::Rect::fromSize(10, 10, 738, 568)},   // 568 * 130 / 100 = 738.4
      {1080, true, fw::Rect::fromSize(10, 10, 1144, 880)},
      {1024, true, fw::Rect::fromSize(10, 10, 1071, 824)},  // 1071.2: the fraction is dropped
      {768, false, fw::Rect::fromSize(10, 10, 945, 568)},
      {1080, false, fw::Rect::fromSize(10, 10, 945, 880)},
      {150, true, fw::Rect::fromSize(10, 10, 0, 0)},  // never negative on an absurd screen
  };
  for (const auto& c : cases) {
    setScreenHeight(c.screenHeight);
    fw::Form& form = c.guide ? static_cast<fw::Form&>(*form2) : *form3;
    form.show();
    EXPECT_EQ(form.bounds(), c.expected) << form.name() << " on " << c.screenHeight;
    EXPECT_EQ(form.peer().bounds(), c.expected) << form.name() << " on " << c.screenHeight;
    EXPECT_EQ(fw::headless::frontWindow(), &form);
    fw::Image& picture = c.guide ? *form2->Image3 : *form3->w_ayar;
    EXPECT_TRUE(picture.pictureDecoded());
    form.hide();
    EXPECT_FALSE(picture.pictureDecoded()) << "a hidden window gives its picture's memory back";
  }
}

TEST_F(GuideWindows, AClickOnThePictureRestoresTheRule) {
  form2->show();
  form3->show();
  // The user moves and resizes both; the screen changes meanwhile (the rule reads it each time).
  form2->setBounds(fw::Rect::fromSize(300, 200, 400, 300));
  form3->setBounds(fw::Rect::fromSize(300, 200, 600, 300));
  setScreenHeight(1080);
  form2->Image3->handleClick();
  EXPECT_EQ(form2->bounds(), fw::Rect::fromSize(10, 10, 1144, 880));
  EXPECT_EQ(fw::headless::frontWindow(), form2);
  form3->w_ayar->handleClick();
  EXPECT_EQ(form3->bounds(), fw::Rect::fromSize(10, 10, 600, 880)) << "the settings window keeps its width";
  EXPECT_EQ(fw::headless::frontWindow(), form3);
}

TEST_F(GuideWindows, EscapeHidesOnlyThePictureWindows) {
  for (fw::Form* form : {static_cast<fw::Form*>(form2), static_cast<fw::Form*>(form3)}) {
    form->show();
    for (char key : {'a', '\r', '\x1A', '\x1C'}) {
      form->handleKeyPress(key);
      EXPECT_TRUE(form->visible()) << form->name() << " key " << int(key);
    }
    char escape = 27;
    form->handleKeyPress(escape);
    EXPECT_FALSE(form->visible()) << form->name();
    EXPECT_FALSE(form1->closed()) << "only the secondary window closes";
  }
  help->show();
  char escape = 27;
  help->handleKeyPress(escape);  // it has no key preview; even so nothing happens
  EXPECT_TRUE(help->visible());
}

TEST_F(GuideWindows, AMouseReleaseSwitchesProportionalScalingOff) {
  form2->Image3->setProportional(true);
  form2->handleMouseUp(fw::MouseButton::Left, {5, 5});
  EXPECT_FALSE(form2->Image3->proportional());
  form3->w_ayar->setProportional(true);
  form3->w_ayar->handleMouseUp(fw::MouseButton::Right, {5, 5});
  EXPECT_FALSE(form3->w_ayar->proportional());
}

TEST_F(GuideWindows, HelpButtonsCloseAndLinkToTheGuide) {
  form1->Yardm1.click();
  help->Button1->handleClick();
  EXPECT_FALSE(help->visible()) << "Kapat";
  EXPECT_EQ(fw::headless::frontWindow(), form1);

  form1->Yardm1.click();
  help->Label1->handleClick();
  EXPECT_FALSE(help->visible());
  EXPECT_TRUE(form2->visible());
  EXPECT_EQ(fw::headless::frontWindow(), form2);
  EXPECT_EQ(form2->bounds(), fw::Rect::fromSize(10, 10, 738, 568)) << "shown by the link, sized by the rule";
}

// Start-up makes the three hidden windows bare: their controls and pictures are made when
// each is first shown, before it appears.
TEST_F(GuideWindows, HiddenWindowsMakeTheirControlsWhenFirstShown) {
  for (fw::Form* form : {static_cast<fw::Form*>(form2), static_cast<fw::Form*>(form3), static_cast<fw::Form*>(help)}) {
    SCOPED_TRACE(form->name());
    EXPECT_TRUE(form->components().empty());
    EXPECT_TRUE(form->children().empty());
    form->show();
    EXPECT_FALSE(form->children().empty());
    form->hide();
  }
  EXPECT_FALSE(form2->Image3->pictureDecoded()) << "hidden again";
}

// Every control of a layout, depth first.
void forEachControl(const fw::Control& root, const std::function<void(const fw::Control&)>& visit) {
  for (const fw::Control* c : root.children()) {
    visit(*c);
    forEachControl(*c, visit);
  }
}

// What a user could tell apart of a window, one line a control in creation (tab) order; the
// window's place on the screen too when `place`.
std::string describe(const fw::Form& form, bool place) {
  std::ostringstream out;
  const auto rect = [&](const fw::Rect& r) { out << r.left << "," << r.top << "," << r.right << "," << r.bottom << " "; };
  if (place) rect(form.bounds());
  out << form.width() << "x" << form.height() << " " << form.clientSize().width << "x" << form.clientSize().height << " "
      << form.caption() << "\n";
  forEachControl(form, [&](const fw::Control& c) {
    const fw::Font& f = c.font();
    out << c.name() << " " << typeid(c).name() << " ";
    rect(c.bounds());
    rect(c.peer().bounds());
    out << f.name << " " << f.height << " " << f.bold << f.italic << f.underline << " " << f.charset << " " << f.color
        << " " << fw::headless::colorOf(c) << " " << fw::headless::cursorOf(c) << " " << c.visible() << c.enabled()
        << " '" << c.peer().text() << "'\n";
  });
  return out.str();
}

// The hidden windows' controls are made on first showing; the window must then look exactly as
// if they had been made at start. Also when the screen's density changed while it was hidden:
// its inside then is as if made at the new density (a centred window made at start stays
// where the change put it, one made later is centred when it is first shown).
TEST_F(GuideWindows, AFirstShowingLooksAsIfTheControlsHadBeenMadeAtStart) {
  for (const char* layout : {"Form2.layout", "Form3.layout", "HelpForm.layout"}) {
    for (int dpi : {114, 168}) {
      SCOPED_TRACE(std::string(layout) + " at " + std::to_string(dpi) + " dpi");
      fw::Form atStart(nullptr), onShow(nullptr);
      atStart.loadLayout(layout);
      onShow.loadLayout(layout, fw::Form::Components::OnFirstShow);
      ASSERT_TRUE(onShow.children().empty());
      fw::headless::setScreen({1024, 768}, dpi);
      for (fw::Form* f : {&atStart, &onShow}) {
        if (dpi != 114) fw::headless::moveToDpi(*f, dpi);
        f->show();
      }
      EXPECT_EQ(describe(onShow, dpi == 114), describe(atStart, dpi == 114));
    }
  }
}

// Each control of a layout is placed once and given its font once while the layout loads: the
// layout sets its bounds and its font field by field, and each would be a round trip to the
// window system. The call list paints itself and lays itself out from its size while its
// properties come in, so its window follows them; the window's own frame is set by its
// properties and its fitting to its content, and the window is made with the default font
// before its layout gives one of its own (the guide windows ask for the Turkish set).
TEST(LayoutLoading, EachControlIsPlacedAndGivenItsFontOnce) {
  fw::registerStandardClasses();
  grid::registerClasses();
  tray::registerTrayClasses();
  const struct {
    const char* layout;
    int formMoves;
    int formFonts;
  } cases[] = {{"Form1.layout", 3, 1}, {"Form2.layout", 1, 2}, {"Form3.layout", 1, 2}, {"HelpForm.layout", 3, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layout);
    fw::Form form(nullptr);
    form.loadLayout(c.layout);
    EXPECT_EQ(fw::headless::windowChanges(form).moves, c.formMoves);
    EXPECT_EQ(fw::headless::windowChanges(form).fonts, c.formFonts);
    forEachControl(form, [&](const fw::Control& control) {
      if (control.name().empty() || dynamic_cast<const fw::CustomControl*>(&control)) return;
      SCOPED_TRACE(control.name());
      EXPECT_EQ(fw::headless::windowChanges(control).moves, 1);
      EXPECT_EQ(fw::headless::windowChanges(control).fonts, 1);
    });
  }
}

TEST_F(GuideWindows, HelpWindowLayout) {
  help->show();
  EXPECT_EQ(help->clientSize(), (fw::Size{617, 425})) << "sized to its content";
  EXPECT_EQ(help->bounds().left, (1024 - 617) / 2) << "centred";
  EXPECT_EQ(help->Memo1->bounds(), fw::Rect::fromSize(32, 40, 569, 313));
  EXPECT_EQ(help->Memo1->font().height, 14);
  EXPECT_EQ(help->Label1->bounds(), fw::Rect::fromSize(32, 360, 212, 20));
  EXPECT_EQ(help->Label1->caption(), fw::ansi(u8"Bağlantı kılavuzunu göster"));
  EXPECT_TRUE(help->Label1->font().bold);
  EXPECT_EQ(help->Label1->font().height, 16);
  EXPECT_EQ(help->Label1->font().color, fw::clHotLight);
  EXPECT_EQ(fw::headless::cursorOf(*help->Label1), -21) << "the hand pointer";
  EXPECT_EQ(help->Button1->bounds(), fw::Rect::fromSize(464, 352, 107, 33));
  EXPECT_EQ(help->Button1->caption(), "Kapat");
  EXPECT_EQ(help->Memo1->font().name, "MS Sans Serif");
}

// The help text, checked byte for byte in the Windows Turkish code page: each line with the
// number of blanks at its end, since those are easy to lose.
TEST_F(GuideWindows, HelpTextIsExact) {
  const struct {
    const char8_t* text;
    int trailingBlanks;
  } lines[] = {
      {u8"Cihazın çalışabilmesi için, telefon hattında \"arayan numarayı gösterme özelliği\" açık olmalıdır.", 0},
      {u8"Hat üzerine bağlanan telefon makinesi ekranında arayan numara görünüyorsa,", 0},
      {u8"\"numara gösterme özelliği\"  açıktır.   ", 3},
      {u8"Bu özellik, kapalıysa, telefon idaresinden açtırılmalıdır.", 0},
      {u8"", 0},
      {u8"Telefon kapalı ve zil çalmıyorsa, sinyal göstergeleri en fazla 0..2 civarında olmalı.  ", 2},
      {u8"Sinyal sürekli ve yüksek ise, sorun var. ", 1},
      {u8"Fakat, zil çalarken veya konuşma esnasında sinyal göstergelerinin yükselmesi normal.", 0},
      {u8"", 0},
      {u8"Sinyal sürekli ve yüksek ise, İnternet hattında, ADSL Siplitter kullanılmamış  veya ters ", 1},
      {u8"bağlanmış olabilir.", 0},
      {u8"", 0},
      {u8"Lütfen bağlantı kılavuzunu inceleyiniz.", 0},
  };
  const auto& actual = help->Memo1->lines();
  ASSERT_EQ(actual.size(), std::size(lines));
  std::string joined;
  for (std::size_t i = 0; i < actual.size(); ++i) {
    const std::string expected = fw::ansi(lines[i].text);
    EXPECT_EQ(actual[i], expected) << "line " << i + 1;
    const auto lastText = actual[i].find_last_not_of(' ');
    const std::size_t blanks = lastText == std::string::npos ? actual[i].size() : actual[i].size() - lastText - 1;
    EXPECT_EQ(blanks, static_cast<std::size_t>(lines[i].trailingBlanks)) << "line " << i + 1;
    joined += (i ? "\r\n" : "") + expected;
  }
  EXPECT_EQ(help->Memo1->caption(), joined);
  // Code page 1254, not UTF-8: "ı" is one byte 0xFD, "İ" 0xDD, "ş" 0xFE, "ğ" 0xF0.
  EXPECT_EQ(actual[0].substr(0, 7), "Cihaz\xFDn");
  EXPECT_EQ(actual[9].substr(30, 9), "\xDDnternet ");
  EXPECT_EQ(actual[2].find("  a\xE7\xFDkt\xFDr.   "), 26u);
  EXPECT_EQ(actual[9].find("kullan\xFDlmam\xFD\xFE  veya"), 64u);
}

// ---------------------------------------------------------------------------------------------
// Resources: the files that resources/zelvora.rc compiles in, read as Windows reads them.

using testkit::readFile;

// name -> (type, file) for each "NAME TYPE "file"" line of the resource script.
std::map<std::string, std::pair<std::string, std::string>> resourceScript() {
  std::map<std::string, std::pair<std::string, std::string>> entries;
  std::istringstream in(readFile(std::string(ZELVORA_RESOURCES) + "/zelvora.rc"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name, type, file;
    if (!(words >> name >> type >> file) || file.size() < 2 || file.front() != '"') continue;
    entries[name] = {type, file.substr(1, file.size() - 2)};
  }
  return entries;
}

unsigned u16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
unsigned u32(const std::string& b, std::size_t at) { return u16(b, at) | u16(b, at + 2) << 16; }
unsigned be16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) << 8 | static_cast<unsigned char>(b[at + 1]);
}

struct JpegFrame {
  unsigned marker = 0, width = 0, height = 0, components = 0;
};
// The frame header (SOFn) of a JPEG file, walking its segments from the start.
JpegFrame jpegFrame(const std::string& b) {
  if (b.size() < 4 || be16(b, 0) != 0xFFD8) return {};
  for (std::size_t at = 2; at + 4 <= b.size();) {
    const unsigned marker = be16(b, at);
    if ((marker & 0xFF00) != 0xFF00) return {};
    const unsigned length = be16(b, at + 2);
    if (marker >= 0xFFC0 && marker <= 0xFFCF && marker != 0xFFC4 && marker != 0xFFC8 && marker != 0xFFCC)
      return {marker, be16(b, at + 7), be16(b, at + 5), static_cast<unsigned char>(b[at + 9])};
    at += 2 + length;
  }
  return {};
}

struct IconImage {
  unsigned width, height, colours, bits;  // colours: 0 for 256 and more
  friend bool operator==(const IconImage&, const IconImage&) = default;
};
std::ostream& operator<<(std::ostream& o, const IconImage& i) {
  return o << i.width << "x" << i.height << " colours " << i.colours << " bits " << i.bits;
}

// The images of an icon file; each entry's header is checked against its image's own.
std::vector<IconImage> iconImages(const std::string& b) {
  std::vector<IconImage> images;
  if (b.size() < 6 || u16(b, 0) != 0 || u16(b, 2) != 1) return images;
  for (unsigned i = 0; i < u16(b, 4); ++i) {
    const std::size_t e = 6 + 16 * i;
    const IconImage entry{static_cast<unsigned char>(b[e]), static_cast<unsigned char>(b[e + 1]),
                          static_cast<unsigned char>(b[e + 2]), u16(b, e + 6)};
    const std::size_t image = u32(b, e + 12);
    EXPECT_EQ(u32(b, image + 4), entry.width);
    EXPECT_EQ(u32(b, image + 8), entry.height * 2) << "colour and mask halves";
    EXPECT_EQ(u16(b, image + 14), entry.bits);
    EXPECT_LE(image + u32(b, e + 8), b.size());
    images.push_back(entry);
  }
  return images;
}

TEST(GuideResources, PicturesAreBaselineJpegsOfTheirSize) {
  auto script = resourceScript();
  const struct {
    const char* name;
    unsigned width, height;
  } cases[] = {{"GUIDE_JPEG", 2040, 1564}, {"SETTINGS_JPEG", 980, 936}};
  for (const auto& c : cases) {
    ASSERT_EQ(script.count(c.name), 1u) << c.name;
    EXPECT_EQ(script[c.name].first, "RCDATA");
    const JpegFrame f = jpegFrame(readFile(std::string(ZELVORA_RESOURCES) + "/" + script[c.name].second));
    EXPECT_EQ(f.marker, 0xFFC0u) << c.name << ": baseline";
    EXPECT_EQ(f.width, c.width) << c.name;
    EXPECT_EQ(f.height, c.height) << c.name;
    EXPECT_EQ(f.components, 3u) << c.name;
  }
}

TEST(GuideResources, IconsHoldTheirImages) {
  auto script = resourceScript();
  // 16, 20, 24 and 32 are the small and large sizes at 96, 120, 144 and 192 dpi: each is drawn,
  // so no density shows an image scaled down from another.
  std::vector<IconImage> markImages;
  for (unsigned bpp : {8u, 32u})
    for (unsigned size : {48u, 32u, 24u, 20u, 16u}) markImages.push_back({size, size, 0, bpp});
  std::vector<IconImage> applicationImages{{32, 32, 16, 4}};
  applicationImages.insert(applicationImages.end(), markImages.begin(), markImages.end());
  const struct {
    const char* name;
    std::vector<IconImage> images;
  } cases[] = {{"MAINICON", markImages}, {"APPICON", applicationImages}, {"GUIDEICON", {{16, 16, 16, 4}}}};
  for (const auto& c : cases) {
    ASSERT_EQ(script.count(c.name), 1u) << c.name;
    EXPECT_EQ(script[c.name].first, "ICON");
    EXPECT_EQ(iconImages(readFile(std::string(ZELVORA_RESOURCES) + "/" + script[c.name].second)), c.images)
        << c.name;
  }
  // Windows shows the first icon group of the program as its icon: named groups are stored
  // in name order, so the application's icon must sort first.
  std::string first;
  for (const auto& [name, entry] : script)
    if (entry.first == "ICON" && first.empty()) first = name;
  EXPECT_EQ(first, "APPICON");
}

// The grid's cursors: 32 x 32, two colours, and the hot spot where the picture points.
TEST(GuideResources, CursorsAreMonochromeWithTheirHotSpots) {
  auto script = resourceScript();
  const struct {
    const char* name;
    unsigned x, y;
  } cases[] = {{"CR_PLUS", 7, 7}, {"CR_CROSS", 9, 9}, {"CR_RIGHT", 7, 7}, {"CR_DOWN", 8, 10}, {"CR_LEFTTOP", 11, 10}};
  for (const auto& c : cases) {
    ASSERT_EQ(script.count(c.name), 1u) << c.name;
    EXPECT_EQ(script[c.name].first, "CURSOR");
    const std::string b = readFile(std::string(ZELVORA_RESOURCES) + "/" + script[c.name].second);
    ASSERT_GE(b.size(), 22u + 40u) << c.name;
    EXPECT_EQ(u16(b, 2), 2u) << c.name << ": a cursor file";
    EXPECT_EQ(u16(b, 4), 1u) << c.name;
    EXPECT_EQ(static_cast<unsigned char>(b[6]), 32u) << c.name;
    EXPECT_EQ(static_cast<unsigned char>(b[7]), 32u) << c.name;
    EXPECT_EQ(u16(b, 10), c.x) << c.name << ": hot spot";
    EXPECT_EQ(u16(b, 12), c.y) << c.name << ": hot spot";
    const std::size_t image = u32(b, 18);
    EXPECT_EQ(u16(b, image + 14), 1u) << c.name << ": one bit per pixel";
    EXPECT_EQ(u32(b, image + 8), 64u) << c.name;
  }
}

}  // namespace
