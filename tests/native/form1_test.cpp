#include "form1.h"

#include <gtest/gtest.h>

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
    return {};
  }
  void SetParent(fw::Control&) override { log_.push_back("SetParent"); }
  void SetTop(int top) override { log_.push_back("SetTop " + std::to_string(top)); }
  void Hide() override { log_.push_back("Hide"); }
  std::string failing;

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
      return device;
    });
  }
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

}  // namespace
