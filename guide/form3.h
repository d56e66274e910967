// The recommended Windows power settings, as a picture.
#pragma once

#include "fw/controls.h"
#include "fw/form.h"

class TForm3 : public fw::Form {
  // Reads the layout before the component references below bind to it.
  struct Loaded {
    explicit Loaded(fw::Form& form);
  } loaded_;

 public:
  TForm3();

  // Handlers, named after the component and the event.
  void FormShow(fw::Component& Sender);
  void w_ayarClick(fw::Component& Sender);  // fits the picture to the screen again
  void FormKeyPress(fw::Component& Sender, char& Key);
  void w_ayarMouseUp(fw::Component& Sender, fw::MouseButton Button, fw::Point At);  // unlocks the proportions

  fw::StatusBar& StatusBar1;
  fw::Image& w_ayar;  // the power settings picture

 private:
  void fitToScreen();
};
