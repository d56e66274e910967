// The connection guide: a picture of how the device is wired to the telephone lines.
#pragma once

#include "fw/controls.h"
#include "fw/form.h"

class TForm2 : public fw::Form {
 public:
  TForm2();

  // Handlers, named after the component and the event.
  void FormShow(fw::Component& Sender);
  void Image3Click(fw::Component& Sender);  // fits the picture to the screen again
  void FormKeyPress(fw::Component& Sender, char& Key);
  void FormMouseUp(fw::Component& Sender, fw::MouseButton Button, fw::Point At);  // unlocks the proportions

  // Made when the window is first shown (or first used here).
  fw::Part<fw::StatusBar> StatusBar1{*this, "StatusBar1"};
  fw::Part<fw::Image> Image3{*this, "Image3"};  // the wiring picture

 private:
  void componentsMade() override;
  void fitToScreen();
};
