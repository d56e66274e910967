#include "form1.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "cell_grid_access.h"
#include "fw/testing/headless.h"
#include "fw/testing/headless_shell.h"
#include "fw/platform.h"
#include "fw/text.h"

namespace {

// A device control that records what the program asks of it.
class FakeKorvan : public device::TKorvan {
 public:
  explicit FakeKorvan(std::vector<std::string>& log) : log_(log) {}
  void StartMonitoring() override {
    log_.push_back("StartMonitoring");
    failIf("StartMonitoring");
  }
  std::u16string ExecuteCommand(std::u16string_view command) override {
    const std::string c = fw::fromUtf16(command);
    log_.push_back(c);
    failIf(c);
    auto it = replies.find(c);
    return it == replies.end() ? std::u16string() : it->second;
  }
  void SetParent(fw::Control&) override { log_.push_back("SetParent"); }
  void SetTop(int top) override { log_.push_back("SetTop " + std::to_string(top)); }
  void Hide() override { log_.push_back("Hide"); }
  std::string failing;
  std::map<std::string, std::u16string> replies;

 private:
  void failIf(const std::string& what) {
    if (what == failing) throw device::DeviceError(what + " failed", 0x80004005L);
  }
  std::vector<std::string>& log_;
};

// Records the tones played, as their frequency worked out from the zero crossings.
class RecordingPlayer : public TonePlayer {
 public:
  void play(const TWaveformSamples& samples) override {
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i) crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    std::lock_guard lock(mutex_);
    // A 50 ms tone of f Hz starting at 0 crosses zero 2f/20 - 1 times.
    frequencies_.push_back(static_cast<int>((crossings + 1) * 1000LL / 2 / 50));
  }
  // Waits (bounded) for the n-th tone; the tone threads run on their own.
  std::vector<int> waitFor(size_t n) {
    for (int i = 0; i < 200; ++i) {
      {
        std::lock_guard lock(mutex_);
        if (frequencies_.size() >= n) return frequencies_;
      }
      fw::sleepMs(10);
    }
    std::lock_guard lock(mutex_);
    return frequencies_;
  }

 private:
  std::mutex mutex_;
  std::vector<int> frequencies_;
};

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    fw::registerStandardClasses();
    grid::registerClasses();
    tray::registerTrayClasses();
  }
  std::shared_ptr<RecordingPlayer> player = std::make_shared<RecordingPlayer>();

  std::unique_ptr<TForm1> makeForm(std::string failing = {}) {
    return std::make_unique<TForm1>(
        [this, failing](fw::Control&) {
          auto device = std::make_unique<FakeKorvan>(log);
          device->failing = failing;
          fake = device.get();
          return device;
        },
        player);
  }
  FakeKorvan* fake = nullptr;
  std::vector<std::string> log;
};

TEST_F(Form1Test, StartsTheDeviceAndShowsTheCounter) {
  auto form = makeForm();
  EXPECT_EQ(log, (std::vector<std::string>{"SetParent", "SetTop 0", "Hide", "test", "StartMonitoring"}));
  EXPECT_EQ(form->Label5.caption(), "0");
  EXPECT_EQ(form->Label22.caption(), fw::ansi(u8"Çağrı sayısı : "));
  EXPECT_EQ(form->Label9.caption(), "--");
  EXPECT_TRUE(form->PanoBox.checked());
  EXPECT_TRUE(form->BipBox.checked());
  EXPECT_TRUE(form->ProgressBar1.smooth());
  EXPECT_EQ(form->ProgressBar4.max(), 30);
  EXPECT_EQ(form->caption(), "ZELVORA- TEST");
}

TEST_F(Form1Test, AFailedSetUpShowsTheInstallTexts) {
  const struct {
    const char* failing;
    bool deviceKept;
  } cases[] = {{"create", false}, {"test", true}, {"StartMonitoring", true}};
  for (const auto& c : cases) {
    log.clear();
    std::unique_ptr<TForm1> form;
    if (std::string(c.failing) == "create") {
      form = std::make_unique<TForm1>([](fw::Control&) -> std::unique_ptr<device::TKorvan> {
        throw device::DeviceError("class not registered", 0x80040154L);
      }, player);
    } else {
      form = makeForm(c.failing);
    }
    EXPECT_EQ(form->Label5.caption(), "") << c.failing;
    EXPECT_EQ(form->Label22.caption(), fw::ansi(u8"Dosyalar eksik.")) << c.failing;
    EXPECT_EQ(form->Label9.caption(), fw::ansi(u8"Kurulumu tamamlayınız.")) << c.failing;
    EXPECT_EQ(form->korvan() != nullptr, c.deviceKept) << c.failing;
  }
}

TEST_F(Form1Test, CloseSendsTestStopAndAlwaysEnds) {
  for (const char* failing : {"", "test_stop"}) {
    log.clear();
    auto form = makeForm(failing);
    EXPECT_TRUE(form->handleCloseRequest()) << failing;
    EXPECT_EQ(log.back(), "test_stop") << failing;
  }
}

TEST_F(Form1Test, CloseWithoutADeviceSendsNothing) {
  auto form = std::make_unique<TForm1>([](fw::Control&) -> std::unique_ptr<device::TKorvan> {
    throw device::DeviceError("class not registered", 0x80040154L);
  }, player);
  EXPECT_TRUE(form->handleCloseRequest());
}

TEST_F(Form1Test, Timer2BringsTheApplicationToTheFrontOnce) {
  auto form = makeForm();
  EXPECT_FALSE(fw::headless::applicationBroughtToFront());
  fw::headless::advanceTime(49);
  EXPECT_FALSE(fw::headless::applicationBroughtToFront());
  fw::headless::advanceTime(1);
  EXPECT_TRUE(fw::headless::applicationBroughtToFront());
  EXPECT_FALSE(form->Timer2.enabled());
}

TEST_F(Form1Test, SignalLevelsMoveTheBarsAndLabels) {
  auto form = makeForm();
  auto levels = [&](std::array<std::u16string, 8> l) { fake->OnSignalA(*fake, l); };
  levels({u"5", u"12", u"0", u"30", u"x", u"", u"y", u"z"});  // levels 5-8 are not used
  EXPECT_EQ(form->ProgressBar1.position(), 5);
  EXPECT_EQ(form->ProgressBar4.position(), 30);
  EXPECT_EQ(form->Label2.caption(), "12");
  EXPECT_EQ(form->Label3.caption(), "0");

  // A bad level drops the whole update, before any bar or label changed.
  EXPECT_THROW(levels({u"1", u"2", u"x", u"4", u"", u"", u"", u""}), std::invalid_argument);
  EXPECT_EQ(form->ProgressBar1.position(), 5);
  EXPECT_EQ(form->Label1.caption(), "5");

  // Out of range: the bar holds at its end, the label shows the number.
  levels({u"45", u"-3", u"+7", u"0", u"", u"", u"", u""});
  EXPECT_EQ(form->ProgressBar1.position(), 30);
  EXPECT_EQ(form->Label1.caption(), "45");
  EXPECT_EQ(form->ProgressBar2.position(), 0);
  EXPECT_EQ(form->Label2.caption(), "-3");
  EXPECT_EQ(form->Label3.caption(), "7");
  EXPECT_THROW(levels({u"99999999999", u"1", u"1", u"1", u"", u"", u"", u""}), std::invalid_argument);
  // Found by the fuzzer: two signs once read as a negative level.
  for (const char16_t* twoSigns : {u"+-5", u"+-0", u"++5", u"-+5", u"--5"})
    EXPECT_THROW(levels({u"1", u"1", u"1", twoSigns, u"", u"", u"", u""}), std::invalid_argument) << fw::toUtf8(fw::fromUtf16(twoSigns));
  EXPECT_EQ(form->Label4.caption(), "0");
}

TEST_F(Form1Test, ThePollShowsTheDeviceStatus) {
  auto form = makeForm();
  const std::string connected = fw::ansi(u8"Bağlantı tamam  Hemen arayın");
  const std::string lost = fw::ansi(u8"Cihaz bağlantısı sağlanamadı");

  fw::headless::advanceTime(500);
  EXPECT_EQ(form->Label9.caption(), lost);
  EXPECT_EQ(form->Label24.caption(), "");

  fake->replies = {{"devicemodel", u"KRV-4 ş"}, {"serial", u""}};
  fw::headless::advanceTime(500);
  EXPECT_EQ(form->Label9.caption(), connected);
  EXPECT_EQ(form->Label24.caption(), fw::ansi(u8"Cihaz modeli: KRV-4 ş"));
  EXPECT_EQ(form->Label25.caption(), "Seri no: ");

  fake->replies = {{"devicemodel", u"  "}, {"serial", u"S1"}};  // only spaces: still connected
  fw::headless::advanceTime(500);
  EXPECT_EQ(form->Label9.caption(), connected);
  EXPECT_EQ(form->Label25.caption(), "Seri no: S1");

  fake->replies.clear();  // unplugged while connected
  fw::headless::advanceTime(500);
  EXPECT_EQ(form->Label9.caption(), lost);
  EXPECT_EQ(form->Label24.caption(), "");
  EXPECT_EQ(form->Label25.caption(), "");
  EXPECT_EQ(form->Label5.caption(), "0");
}

TEST_F(Form1Test, AFailedPollDoesNotStopThePolling) {
  auto form = makeForm();
  fake->failing = "devicemodel";
  fw::headless::advanceTime(500);
  EXPECT_EQ(form->Label9.caption(), "--") << "the failed poll changed nothing";
  EXPECT_TRUE(form->Timer1.enabled());
  fake->failing.clear();
  fake->replies = {{"devicemodel", u"M"}};
  fw::headless::advanceTime(500);
  EXPECT_EQ(form->Label9.caption(), fw::ansi(u8"Bağlantı tamam  Hemen arayın"));
}

TEST_F(Form1Test, WithoutADeviceThePollLeavesTheInstallTexts) {
  auto form = std::make_unique<TForm1>([](fw::Control&) -> std::unique_ptr<device::TKorvan> {
    throw device::DeviceError("class not registered", 0x80040154L);
  }, player);
  fw::headless::advanceTime(2000);
  EXPECT_EQ(form->Label9.caption(), fw::ansi(u8"Kurulumu tamamlayınız."));
  EXPECT_TRUE(form->Timer1.enabled());
}

class CallHandling : public Form1Test {
 protected:
  void call(std::u16string_view line, std::u16string_view number) {
    fake->OnCallerID(*fake, u"SER-1", line, number, u"10.12.2026 14:03:22", u"ek");
  }
  std::vector<std::string> column(const TForm1& form, int col) {
    std::vector<std::string> texts;
    for (int row = 0; row < form.CellGrid1.RowCount(); ++row) texts.push_back(form.CellGrid1.CellText(col, row));
    return texts;
  }
};

TEST_F(CallHandling, TwelveCallsKeepTheElevenNewestWithBalloonAndClipboard) {
  auto form = makeForm();
  form->BipBox.setChecked(false);
  for (int i = 1; i <= 12; ++i) {
    const std::string digits = (i < 10 ? "0" : "") + std::to_string(i);
    call(u"1", u"0532 000 00 " + fw::toUtf16(digits));
  }
  EXPECT_EQ(column(*form, 0), (std::vector<std::string>{"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
  EXPECT_EQ(form->Label5.caption(), "12");
  EXPECT_EQ(form->CellGrid1.CellText(2, 10), "0532 000 00 12");
  EXPECT_EQ(form->CellGrid1.CellText(4, 10), "SER-1");
  EXPECT_EQ(form->CellGrid1.CellText(5, 10), "ek");
  EXPECT_EQ(fw::clipboard::text(), "0532 000 00 12");
  const auto icons = fw::headless::trayIcons();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].data.infoTitle, fw::ansi(u8"Çağrı: 12"));
  EXPECT_EQ(icons[0].data.info, "0532 000 00 12");
}

TEST_F(CallHandling, TheToneTellsTheLine) {
  auto form = makeForm();
  const std::u16string lines[] = {u"3", u"7", u"-1", u"", u"abc", u"1"};
  for (const auto& line : lines) {
    call(line, u"1");
    player->waitFor(player->waitFor(0).size() + 1);  // one at a time: the tone mutex would drop overlaps
  }
  EXPECT_EQ(player->waitFor(6), (std::vector<int>{1600, 1000, 1000, 1000, 1000, 1200}));
  EXPECT_EQ(form->CellGrid1.CellText(1, 1), "7") << "the line text goes unchanged into its column";
}

TEST_F(CallHandling, ClearedOptionsLeaveClipboardAndSpeakerAlone) {
  auto form = makeForm();
  fw::clipboard::setText("before");
  form->PanoBox.setChecked(false);
  form->BipBox.setChecked(false);
  call(u"2", u"0212");
  fw::sleepMs(100);
  EXPECT_EQ(fw::clipboard::text(), "before");
  EXPECT_TRUE(player->waitFor(0).empty());
}

TEST_F(CallHandling, DeviceTextIsConvertedAndLongNumbersGoToTheClipboardWhole) {
  auto form = makeForm();
  form->BipBox.setChecked(false);
  std::u16string number(300, u'9');
  number += u"\xD800\u015F";  // a lone surrogate, then 'ş'
  number += std::u16string(1, u'\0') + u"x";  // a zero cuts nothing (it shows as '?')
  call(u"1", number);
  const std::string expected = std::string(300, '9') + "?\xFE" + "?x";
  EXPECT_EQ(fw::clipboard::text(), expected);
  EXPECT_EQ(form->CellGrid1.CellText(2, 0), expected);
}

// A device string with a zero, a tab or a line break in it once cut the copied list short or
// split its rows and columns. Control characters now show, copy and alert as '?', in every one
// of the five strings, and a copy of the whole list keeps every row.
TEST_F(CallHandling, ControlCharactersInDeviceStringsShowAndCopyAsQuestionMarks) {
  using namespace std::string_literals;
  const struct {
    std::u16string sent;
    std::string shown;
  } cases[] = {
      {u"\0zz"s, "?zz"},
      {u"a\tb", "a?b"},
      {u"c\nd", "c?d"},
      {u"\r\n", "??"},
      {u"\x01\x1F\x7F \x20~", "???  ~"},
      {u"9\0"s, "9?"},
      {u"\u015F\0\u015F"s, "\xFE?\xFE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(fw::toUtf8(c.shown));
    auto form = makeForm();
    form->BipBox.setChecked(false);
    call(u"1", u"before");
    fake->OnCallerID(*fake, c.sent, c.sent, c.sent, c.sent, c.sent);
    call(u"1", u"after");
    grid::TCellGrid& g = form->CellGrid1;
    for (int col = 1; col < 6; ++col) EXPECT_EQ(g.CellText(col, 1), c.shown) << "column " << col;
    const auto icons = fw::headless::trayIcons();
    ASSERT_EQ(icons.size(), 1u);
    fake->OnCallerID(*fake, u"S", u"1", c.sent, u"D", u"O");
    EXPECT_EQ(fw::headless::trayIcons()[0].data.info, c.shown) << "the balloon's text";
    EXPECT_EQ(fw::clipboard::text(), c.shown);

    g.SetCurrentCell(0, 0);
    g.SetSelection({0, 0, 5, 3}, false);
    form->CellGrid1.CopySelection();
    const std::string s = c.shown;
    EXPECT_EQ(fw::clipboard::text(), "1\t1\tbefore\t10.12.2026 14:03:22\tSER-1\tek\r\n"
                                     "2\t" + s + "\t" + s + "\t" + s + "\t" + s + "\t" + s + "\r\n"
                                     "3\t1\tafter\t10.12.2026 14:03:22\tSER-1\tek\r\n"
                                     "4\t1\t" + s + "\tD\tS\tO\r\n");
  }
}

TEST_F(Form1Test, ControlCharactersInTheDeviceModelAndSerialShowAsQuestionMarks) {
  using namespace std::string_literals;
  auto form = makeForm();
  fake->replies = {{"devicemodel", u"KRV\0-4\t"s}, {"serial", u"S\r\n1"}};
  fw::headless::advanceTime(500);
  EXPECT_EQ(form->Label24.caption(), "Cihaz modeli: KRV?-4?");
  EXPECT_EQ(form->Label25.caption(), "Seri no: S??1");
}

TEST_F(CallHandling, ListeyiSilRemovesRowsAndDeviceLossBlanksThem) {
  auto form = makeForm();
  form->BipBox.setChecked(false);
  call(u"1", u"111");
  call(u"2", u"222");
  form->Listeyisil1.click();
  EXPECT_EQ(form->CellGrid1.RowCount(), 0);
  EXPECT_EQ(form->Label5.caption(), "0");
  call(u"1", u"333");
  EXPECT_EQ(form->CellGrid1.CellText(0, 0), "1") << "numbered from 1 again";

  fake->replies = {{"devicemodel", u"M"}};
  fw::headless::advanceTime(500);
  fake->replies.clear();
  fw::headless::advanceTime(500);
  EXPECT_EQ(form->CellGrid1.RowCount(), 1) << "rows stay";
  EXPECT_EQ(form->CellGrid1.CellText(2, 0), "") << "cells go blank";
  call(u"1", u"444");
  EXPECT_EQ(form->CellGrid1.CellText(0, 1), "1");
}

// The call list is for reading: whatever the user does with keys and mouse, no cell, no row
// changes, while moving around, selecting and copying work.
class ReadOnlyCallList : public CallHandling {
 protected:
  std::vector<std::vector<std::string>> cells(const grid::TCellGrid& g) {
    std::vector<std::vector<std::string>> all;
    for (int col = 0; col < g.ColCount(); ++col) {
      all.emplace_back();
      for (int row = 0; row < g.RowCount(); ++row) all.back().push_back(g.CellText(col, row));
    }
    return all;
  }
  fw::Point centreOf(const grid::TCellGrid& g, int col, int row) {
    const fw::Rect r = g.CellRectToClient(g.CellRect(col, row));
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void click(grid::TCellGrid& g, fw::Point at) {
    fw::headless::mouseMove(g, at);
    fw::headless::mouseDown(g, fw::MouseButton::Left, at);
    fw::headless::mouseUp(g, fw::MouseButton::Left, at);
  }
};

TEST_F(ReadOnlyCallList, NothingTheUserDoesEditsACell) {
  auto form = makeForm();
  form->BipBox.setChecked(false);
  for (int i = 1; i <= 12; ++i) call(u"1", u"0532 " + fw::toUtf16(std::to_string(i)));
  grid::TCellGrid& g = form->CellGrid1;
  const auto before = cells(g);
  g.setFocus();
  g.SetCurrentCell(2, 4);

  using fw::ShiftState;
  const ShiftState none{}, ctrl{.ctrl = true};
  fw::clipboard::setText("X\tY\r\nZ\tW\r\n");
  const struct {
    int key;
    ShiftState shift;
  } keys[] = {{grid::vk::Insert, none}, {grid::vk::Delete, none}, {grid::vk::Delete, ctrl},
              {grid::vk::V, ctrl},      {grid::vk::X, ctrl},      {grid::vk::Return, none}};
  for (const auto& k : keys) fw::headless::keyDown(g, k.key, k.shift);
  fw::headless::typeText(g, "ab\b");
  g.SetCurrentCell(2, g.RowCount() - 1);
  fw::headless::keyDown(g, grid::vk::Down, none);  // no row is added at the bottom

  // A press on the current cell opens no editor; a fill drag only grows the selection.
  g.SetCurrentCell(2, 3);
  click(g, centreOf(g, 2, 3));
  EXPECT_FALSE(g.Inplace().visible());
  EXPECT_FALSE(g.EditorActive());
  fw::headless::paint(g);  // the handle is placed where the selection is drawn
  const fw::Rect handle = g.FillHandleRect();
  ASSERT_FALSE(handle.empty());
  const fw::Point grip{handle.left, handle.top};
  fw::headless::mouseMove(g, grip);
  fw::headless::mouseDown(g, fw::MouseButton::Left, grip);
  fw::headless::mouseMove(g, centreOf(g, 2, 6), ShiftState{.left = true});
  fw::headless::mouseUp(g, fw::MouseButton::Left, centreOf(g, 2, 6));
  EXPECT_EQ(g.Selection(), (grid::TGridRect{2, 3, 2, 6})) << "the drag itself works";

  EXPECT_EQ(g.RowCount(), 11);
  EXPECT_EQ(cells(g), before);
}

TEST_F(ReadOnlyCallList, MovingSelectingAndCopyingWork) {
  auto form = makeForm();
  form->BipBox.setChecked(false);
  for (int i = 1; i <= 3; ++i) call(u"1", u"0532 " + fw::toUtf16(std::to_string(i)));
  grid::TCellGrid& g = form->CellGrid1;
  g.setFocus();
  g.SetCurrentCell(0, 0);
  fw::headless::keyDown(g, grid::vk::Right, {});
  fw::headless::keyDown(g, grid::vk::Right, {});
  EXPECT_EQ(g.CurrentCol(), 2);
  fw::headless::keyDown(g, grid::vk::Down, fw::ShiftState{.shift = true});
  fw::headless::keyDown(g, grid::vk::Left, fw::ShiftState{.shift = true});
  EXPECT_EQ(g.Selection(), (grid::TGridRect{1, 0, 2, 1}));
  fw::headless::keyDown(g, grid::vk::C, fw::ShiftState{.ctrl = true});
  EXPECT_EQ(fw::clipboard::text(), "1\t0532 1\r\n1\t0532 2\r\n");
}

// ---- screen readers

TEST_F(CallHandling, EachCallIsReadOutWithItsLineNumberAndTime) {
  auto form = makeForm();
  form->BipBox.setChecked(false);
  call(u"3", u"0312 \u015Fube");
  call(u"1", u"0216");
  const auto said = fw::headless::takeAnnouncements(form->CellGrid1);
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0].text, fw::ansi(u8"Çağrı 1: hat 3, numara 0312 şube, zaman 10.12.2026 14:03:22"));
  EXPECT_EQ(said[1].text, fw::ansi(u8"Çağrı 2: hat 1, numara 0216, zaman 10.12.2026 14:03:22"));
  // About the row just listed, whose name is by then its cells.
  EXPECT_EQ(said[1].element, grid::TCellGridAccessible::RowId(form->CellGrid1, 1));
  EXPECT_EQ(form->CellGrid1.accessibleModel()->name(said[1].element),
            "2, 1, 0216, 10.12.2026 14:03:22, SER-1, ek");
}

TEST_F(Form1Test, TheSignalBarsReadAsTheirLabelsWithTheNumberShown) {
  auto form = makeForm();
  fake->OnSignalA(*fake, {u"5", u"45", u"0", u"30", u"", u"", u"", u""});
  const fw::ProgressBar* bars[] = {&form->ProgressBar1, &form->ProgressBar2, &form->ProgressBar3, &form->ProgressBar4};
  const char* names[] = {"Telefon 1", "Telefon 2", "Telefon 3", "Telefon 4"};
  const char* values[] = {"5", "45", "0", "30"};  // the label's number, also beyond the bar's end
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(bars[i]->accessibleLabel(), nullptr) << i;
    EXPECT_EQ(bars[i]->accessibleLabel()->caption(), names[i]);
    ASSERT_NE(bars[i]->accessibleValue(), nullptr) << i;
    EXPECT_EQ(bars[i]->accessibleValue()->caption(), values[i]);
  }
  const fw::headless::AccessibleEvent changed{fw::access::event::ValueChange, fw::access::kSelf};
  EXPECT_EQ(fw::headless::takeAccessibleEvents(form->ProgressBar3), std::vector{changed});
  // A bad update shows nothing new, and tells nothing.
  EXPECT_THROW(fake->OnSignalA(*fake, {u"x", u"", u"", u"", u"", u"", u"", u""}), std::invalid_argument);
  EXPECT_TRUE(fw::headless::takeAccessibleEvents(form->ProgressBar3).empty());
  EXPECT_EQ(form->PanoBox.hint(), fw::ansi(u8"Son numara hafızaya alınır"));
  EXPECT_EQ(form->BipBox.hint(), fw::ansi(u8"Çağrı geldiğinde bip sesi"));
}

}  // namespace
