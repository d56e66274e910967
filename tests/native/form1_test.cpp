#include "form1.h"

#include <gtest/gtest.h>

#include <map>

#include "fw/headless.h"
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

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { fw::registerStandardClasses(); }

  std::unique_ptr<TForm1> makeForm(std::string failing = {}) {
    return std::make_unique<TForm1>([this, failing](fw::Control&) {
      auto device = std::make_unique<FakeKorvan>(log);
      device->failing = failing;
      fake = device.get();
      return device;
    });
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
      });
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
  });
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
  });
  fw::headless::advanceTime(2000);
  EXPECT_EQ(form->Label9.caption(), fw::ansi(u8"Kurulumu tamamlayınız."));
  EXPECT_TRUE(form->Timer1.enabled());
}

}  // namespace
