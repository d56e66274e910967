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
  void Timer1Timer(fw::Component& Sender);
  void Timer2Timer(fw::Component& Sender);
  void Korvan1CallerID(device::TKorvan& ASender, std::u16string_view DeviceID, std::u16string_view Line,
                       std::u16string_view PhoneNumber, std::u16string_view DateTime, std::u16string_view OtherText);
  void Listeyisil1Click(fw::Component& Sender);
  void ki1Click(fw::Component& Sender);
  void Korvan1SignalA(device::TKorvan& ASender, const std::array<std::u16string, 8>& Levels);
  void ApplicationEvents1Exception(fw::Component& Sender, std::exception_ptr E);
  void BalantKlavuzu1Click(fw::Component& Sender);
  void Ayar1Click(fw::Component& Sender);
  void Yardm1Click(fw::Component& Sender);

  device::TKorvan* korvan() const { return Korvan1.get(); }

  fw::Label& Label1;
  fw::Label& Label2;
  fw::Label& Label3;
  fw::Label& Label4;
  fw::Label& Label5;
  fw::Label& Label9;
  fw::Label& Label22;
  fw::Label& Label24;
  fw::Label& Label25;
  fw::CheckBox& PanoBox;
  fw::CheckBox& BipBox;
  fw::ProgressBar& ProgressBar1;
  fw::ProgressBar& ProgressBar2;
  fw::ProgressBar& ProgressBar3;
  fw::ProgressBar& ProgressBar4;

  fw::Timer& Timer1;
  fw::Timer& Timer2;
  fw::ApplicationEvents& ApplicationEvents1;
  fw::MainMenu& MainMenu1;
  fw::MenuItem& BalantKlavuzu1;
  fw::MenuItem& Ayar1;
  fw::MenuItem& Yardm1;
  grid::TCellGrid& CellGrid1;
  tray::TTrayIcon& TrayIcon1;
  fw::PopupMenu& PopupMenu1;
  fw::MenuItem& Listeyisil1;
  fw::MenuItem& ki1;

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
