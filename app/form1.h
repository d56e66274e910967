// The main window: status area, option boxes, signal bars, and the device control's life.
#pragma once

#include <exception>
#include <memory>

#include "fw/application.h"
#include "fw/controls.h"
#include "fw/form.h"
#include "fw/menu.h"
#include "fw/platform.h"
#include "fw/timer.h"
#include "cell_grid.h"
#include "korvan.h"
#include "tone.h"
#include "tray_icon.h"

class TForm1 : public fw::Form {
  // Reads the layout before the component references below bind to it.
  struct Loaded {
    explicit Loaded(fw::Form& form);
  } loaded_;

 public:
  TForm1(device::KorvanFactory createDevice, std::shared_ptr<TonePlayer> tonePlayer);

  // Handlers, named after the component and the event.
  void FormCreate();
  void FormCloseQuery(fw::Component& Sender, bool& CanClose);
  void Timer1Timer(fw::Component& Sender);  // polls the device status
  void Timer2Timer(fw::Component& Sender);  // brings the program to the front once after start
  // A call came in: list it, count it, copy and sound it as the option boxes say.
  void Korvan1CallerID(device::TKorvan& ASender, std::u16string_view DeviceID, std::u16string_view Line,
                       std::u16string_view PhoneNumber, std::u16string_view DateTime, std::u16string_view OtherText);
  void Listeyisil1Click(fw::Component& Sender);  // "Listeyi sil": clears the call list
  void ki1Click(fw::Component& Sender);  // "Çıkış": closes the program
  void Korvan1SignalA(device::TKorvan& ASender, const std::array<std::u16string, 8>& Levels);  // line levels
  void ApplicationEvents1Exception(fw::Component& Sender, std::exception_ptr E);
  void BalantKlavuzu1Click(fw::Component& Sender);  // opens the connection guide (Form2)
  void Ayar1Click(fw::Component& Sender);  // opens the settings (Form3)
  void Yardm1Click(fw::Component& Sender);  // opens the help (HelpForm)

  device::TKorvan* korvan() const { return Korvan1.get(); }

  // The components keep the names the window was designed with; where a name does not say
  // what the component is for, the comment does.
  fw::Label& Label1;  // level of line 1, as a number (Label2..Label4: lines 2 to 4)
  fw::Label& Label2;
  fw::Label& Label3;
  fw::Label& Label4;
  fw::Label& Label5;   // the call counter
  fw::Label& Label9;   // the connection status
  fw::Label& Label22;  // the call counter's caption, or that the files are missing
  fw::Label& Label24;  // the device model
  fw::Label& Label25;  // the device's serial number
  fw::CheckBox& PanoBox;  // copy each number to the clipboard
  fw::CheckBox& BipBox;   // sound an alert for each call
  fw::ProgressBar& ProgressBar1;  // level of line 1 as a bar (ProgressBar2..4: lines 2 to 4)
  fw::ProgressBar& ProgressBar2;
  fw::ProgressBar& ProgressBar3;
  fw::ProgressBar& ProgressBar4;

  fw::Timer& Timer1;
  fw::Timer& Timer2;
  fw::ApplicationEvents& ApplicationEvents1;
  fw::MainMenu& MainMenu1;
  fw::MenuItem& BalantKlavuzu1;  // "Bağlantı Kılavuzu": the connection guide
  fw::MenuItem& Ayar1;           // "Ayar": the settings
  fw::MenuItem& Yardm1;          // "Yardım": the help
  grid::TCellGrid& CellGrid1;    // the call list
  tray::TTrayIcon& TrayIcon1;
  fw::PopupMenu& PopupMenu1;
  fw::MenuItem& Listeyisil1;  // "Listeyi sil": clears the call list
  fw::MenuItem& ki1;          // "Çıkış": exit

 private:
  void setUpDevice();
  void pollDeviceStatus();
  void resetCallCounter();
  void soundAlert(int lineNumber);
  void bindHandlers();

  device::KorvanFactory createDevice_;
  std::shared_ptr<TonePlayer> tonePlayer_;
  // The control's window lives inside ours; as a member it goes before the base destroys ours.
  std::unique_ptr<device::TKorvan> Korvan1;
  std::unique_ptr<fw::NamedMutex> processMutex_;
  int callCounter_ = 0;
};
