#include "form1.h"

#include <charconv>
#include <stdexcept>
#include <string>

#include "cell_grid_access.h"
#include "device_text.h"
#include "form1_access.h"
#include "fw/startup_trace.h"
#include "fw/text.h"
#include "tbip.h"

using fw::ansi;

namespace {

// The whole text as a signed 32-bit decimal number; anything else is an error.
int parseInteger(const std::string& text) {
  int value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  // One sign at most: from_chars reads a '-' of its own, so "+-5" would pass as -5.
  const bool plus = first != last && *first == '+';
  if (plus) ++first;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || ptr != last || first == last || (plus && *first == '-'))
    throw std::invalid_argument("'" + text + "' is not a valid integer value");
  return value;
}

void showInFront(const char* formName) {
  if (fw::Form* form = fw::Application::instance().findForm(formName)) {
    form->show();
    form->bringToFront();
  }
}

const std::string& connectedText() {
  static const std::string text = ansi(u8"Bağlantı tamam  Hemen arayın");
  return text;
}

}  // namespace

TForm1::Loaded::Loaded(fw::Form& form) { form.loadLayout("Form1.layout"); }

TForm1::TForm1(device::KorvanFactory createDevice, std::shared_ptr<TonePlayer> tonePlayer)
    : fw::Form(nullptr),
      loaded_(*this),
      Label1(component<fw::Label>("Label1")),
      Label2(component<fw::Label>("Label2")),
      Label3(component<fw::Label>("Label3")),
      Label4(component<fw::Label>("Label4")),
      Label5(component<fw::Label>("Label5")),
      Label9(component<fw::Label>("Label9")),
      Label22(component<fw::Label>("Label22")),
      Label24(component<fw::Label>("Label24")),
      Label25(component<fw::Label>("Label25")),
      PanoBox(component<fw::CheckBox>("PanoBox")),
      BipBox(component<fw::CheckBox>("BipBox")),
      ProgressBar1(component<fw::ProgressBar>("ProgressBar1")),
      ProgressBar2(component<fw::ProgressBar>("ProgressBar2")),
      ProgressBar3(component<fw::ProgressBar>("ProgressBar3")),
      ProgressBar4(component<fw::ProgressBar>("ProgressBar4")),
      Timer1(component<fw::Timer>("Timer1")),
      Timer2(component<fw::Timer>("Timer2")),
      ApplicationEvents1(component<fw::ApplicationEvents>("ApplicationEvents1")),
      MainMenu1(component<fw::MainMenu>("MainMenu1")),
      BalantKlavuzu1(component<fw::MenuItem>("BalantKlavuzu1")),
      Ayar1(component<fw::MenuItem>("Ayar1")),
      Yardm1(component<fw::MenuItem>("Yardm1")),
      CellGrid1(component<grid::TCellGrid>("CellGrid1")),
      TrayIcon1(component<tray::TTrayIcon>("TrayIcon1")),
      PopupMenu1(component<fw::PopupMenu>("PopupMenu1")),
      Listeyisil1(component<fw::MenuItem>("Listeyisil1")),
      ki1(component<fw::MenuItem>("ki1")),
      createDevice_(std::move(createDevice)),
      tonePlayer_(std::move(tonePlayer)) {
  bindHandlers();
  describeForScreenReaders(*this);
  FormCreate();
}

void TForm1::bindHandlers() {
  onCloseQuery = [this](fw::Component& s, bool& canClose) { FormCloseQuery(s, canClose); };
  Timer1.onTimer = [this](fw::Component& s) { Timer1Timer(s); };
  Timer2.onTimer = [this](fw::Component& s) { Timer2Timer(s); };
  ApplicationEvents1.onException = [this](fw::Component& s, std::exception_ptr e) {
    ApplicationEvents1Exception(s, e);
  };
  BalantKlavuzu1.onClick = [this](fw::Component& s) { BalantKlavuzu1Click(s); };
  Ayar1.onClick = [this](fw::Component& s) { Ayar1Click(s); };
  Yardm1.onClick = [this](fw::Component& s) { Yardm1Click(s); };
  Listeyisil1.onClick = [this](fw::Component& s) { Listeyisil1Click(s); };
  ki1.onClick = [this](fw::Component& s) { ki1Click(s); };
}

void TForm1::FormCreate() {
  setAutoSize(false);
  setPosition(fw::FormPosition::ScreenCenter);
  fw::Font windowFont = font();
  windowFont.name = "Arial";
  setFont(windowFont);
  setAutoSize(true);
  fw::startup_trace::mark("  font set");
  fw::Application::instance().processMessages();

  processMutex_ = std::make_unique<fw::NamedMutex>(std::to_string(fw::currentProcessId()) + ".b..1");

  resetCallCounter();

  try {
    setUpDevice();
  } catch (...) {
    Label5.setCaption("");
    Label22.setCaption(ansi(u8"Dosyalar eksik."));
    Label9.setCaption(ansi(u8"Kurulumu tamamlayınız."));
  }
  setAutoSize(true);
}

void TForm1::setUpDevice() {
  Korvan1 = createDevice_(*this);
  fw::startup_trace::mark("  device control created");
  Korvan1->SetParent(*this);
  Korvan1->SetTop(0);
  Korvan1->Hide();
  Korvan1->OnCallerID = [this](device::TKorvan& sender, std::u16string_view deviceId, std::u16string_view line,
                               std::u16string_view number, std::u16string_view dateTime, std::u16string_view other) {
    Korvan1CallerID(sender, deviceId, line, number, dateTime, other);
  };
  Korvan1->OnSignalA = [this](device::TKorvan& sender, const std::array<std::u16string, 8>& levels) {
    Korvan1SignalA(sender, levels);
  };
  Korvan1->ExecuteCommand(u"test");
  Korvan1->StartMonitoring();
  for (fw::ProgressBar* bar : {&ProgressBar1, &ProgressBar2, &ProgressBar3, &ProgressBar4}) bar->setSmooth(true);
}

void TForm1::FormCloseQuery(fw::Component&, bool&) {
  // Closing must always end the program: a device that fails to stop is reported like any
  // other error, and the close goes on.
  if (Korvan1) {
    fw::Application::guard([this] { Korvan1->ExecuteCommand(u"test_stop"); });
  }
  if (processMutex_ && processMutex_->valid()) processMutex_->release();
}

void TForm1::resetCallCounter() {
  callCounter_ = 0;
  Label5.setCaption("0");
}

void TForm1::Korvan1SignalA(device::TKorvan&, const std::array<std::u16string, 8>& levels) {
  // Parse all four first: a bad one drops the whole update and leaves the previous levels.
  std::array<int, 4> values{};
  for (size_t i = 0; i < values.size(); ++i) values[i] = parseInteger(fw::fromUtf16(levels[i]));
  fw::ProgressBar* bars[] = {&ProgressBar1, &ProgressBar2, &ProgressBar3, &ProgressBar4};
  fw::Label* labels[] = {&Label1, &Label2, &Label3, &Label4};
  for (size_t i = 0; i < values.size(); ++i) bars[i]->setPosition(values[i]);
  for (size_t i = 0; i < values.size(); ++i) labels[i]->setCaption(std::to_string(values[i]));
  levelsShown(*this);
}

void TForm1::Timer1Timer(fw::Component&) {
  if (!Korvan1) return;
  Timer1.setEnabled(false);
  // A poll that fails is dropped like any error, but the poll goes on: the status recovers
  // when the device answers again.
  try {
    pollDeviceStatus();
  } catch (...) {
    Timer1.setEnabled(true);
    throw;
  }
  Timer1.setEnabled(true);
}

void TForm1::pollDeviceStatus() {
  const std::string model = deviceText(Korvan1->ExecuteCommand(u"devicemodel"));
  if (!model.empty()) {
    Label24.setCaption(ansi(u8"Cihaz modeli: ") + model);
    const std::u16string serial = Korvan1->ExecuteCommand(u"serial");
    Label25.setCaption(deviceText(u"Seri no: " + serial));
  } else {
    Label24.setCaption("");
    Label25.setCaption("");
  }
  if (Label9.caption() == connectedText() && model.empty()) {
    // The device was lost since the last poll: the cells go blank, the rows stay.
    CellGrid1.ClearAll();
    resetCallCounter();
  }
  if (!model.empty()) {
    Label9.setCaption(connectedText());
  } else {
    Label9.setCaption(ansi(u8"Cihaz bağlantısı sağlanamadı"));
    Label24.setCaption("");
    Label25.setCaption("");
  }
}

void TForm1::Korvan1CallerID(device::TKorvan&, std::u16string_view DeviceID, std::u16string_view Line,
                             std::u16string_view PhoneNumber, std::u16string_view DateTime,
                             std::u16string_view OtherText) {
  const std::string deviceId = deviceText(DeviceID);
  const std::string line = deviceText(Line);
  const std::string number = deviceText(PhoneNumber);
  const std::string dateTime = deviceText(DateTime);
  const std::string other = deviceText(OtherText);

  // At most eleven rows: the ten newest earlier calls and this one.
  while (CellGrid1.RowCount() > 10) CellGrid1.RemoveRow(0);
  CellGrid1.AppendRow();
  ++callCounter_;
  const std::string counter = std::to_string(callCounter_);
  Label5.setCaption(counter);
  const int row = CellGrid1.RowCount() - 1;
  {
    grid::TCellGrid::BatchScope batch(CellGrid1);
    const std::string* cells[] = {&counter, &line, &number, &dateTime, &deviceId, &other};
    for (int col = 0; col < 6; ++col) CellGrid1.setCellText(col, row, *cells[col]);
  }
  CellGrid1.announce(callAnnouncement(counter, line, number, dateTime),
                     grid::TCellGridAccessible::RowId(CellGrid1, row));

  TrayIcon1.ShowBalloonMessage(ansi(u8"Çağrı: ") + counter, number, tray::BalloonIcon::BalloonInfo, 10);

  int lineNumber = 0;
  try {
    lineNumber = parseInteger(line);
  } catch (const std::invalid_argument&) {
    lineNumber = 0;
  }
  if (lineNumber > 4 || lineNumber < 0) lineNumber = 0;

  // The whole number goes to the clipboard, however long it is.
  if (PanoBox.checked()) fw::clipboard::setText(number);
  if (BipBox.checked()) soundAlert(lineNumber);
}

void TForm1::soundAlert(int lineNumber) {
  if (!tonePlayer_) return;  // a window made without audio output (tests)
  auto bip = std::make_unique<Tbip>(tonePlayer_);
  bip->Frequency = 1000 + 200 * lineNumber;
  bip->DurationMs = 50;
  bip->Amplitude = 0.5;
  fw::Thread::start(std::move(bip), Tbip::StackBytes);
}

void TForm1::Listeyisil1Click(fw::Component&) {
  while (CellGrid1.RowCount() >= 1) CellGrid1.RemoveRow(0);
  resetCallCounter();
}

void TForm1::ki1Click(fw::Component&) { close(); }

void TForm1::Timer2Timer(fw::Component&) {
  Timer2.setEnabled(false);
  fw::Application::instance().bringToFront();
}

// The guide, settings and help windows are created after this one by the program entry and
// are found by name; each is shown without making it modal and brought to the front.
void TForm1::BalantKlavuzu1Click(fw::Component&) { showInFront("Form2"); }
void TForm1::Ayar1Click(fw::Component&) { showInFront("Form3"); }
void TForm1::Yardm1Click(fw::Component&) { showInFront("HelpForm"); }

void TForm1::ApplicationEvents1Exception(fw::Component&, std::exception_ptr) {
  // Errors that escape a handler are dropped: no message, no log.
}
