// The connection guide: a picture of how the device is wired to the telephone lines.
#pragma once

#include "fw/controls.h"
#include "fw/form.h"

class TForm2 : public fw::Form {
  // Reads the layout before the component references below bind to it.
  struct Loaded {
    explicit Loaded(fw::Form& form);
  } loaded_;

 public:
  TForm2();

  // Handlers, named after the component and the event.
  void FormShow(fw::Component& Sender);
  void Image3Click(fw::Component& Sender);  // fits the picture to the screen again
  void FormKeyPress(fw::Component& Sender, char& Key);
  void FormMouseUp(fw::Component& Sender, fw::MouseButton Button, fw::Point At);  // unlocks the proportions

  fw::StatusBar& StatusBar1;
  fw::Image& Image3;  // the wiring picture

 private:
  void fitToScreen();
};
