// The recommended Windows power settings, as a picture.
#pragma once

#include "fw/controls.h"
#include "fw/form.h"

class TForm3 : public fw::Form {
 public:
  TForm3();

  // Handlers, named after the component and the event.
  void FormShow(fw::Component& Sender);
  void w_ayarClick(fw::Component& Sender);  // fits the picture to the screen again
  void FormKeyPress(fw::Component& Sender, char& Key);
  void w_ayarMouseUp(fw::Component& Sender, fw::MouseButton Button, fw::Point At);  // unlocks the proportions

  // Made when the window is first shown (or first used here).
  fw::Part<fw::StatusBar> StatusBar1{*this, "StatusBar1"};
  fw::Part<fw::Image> w_ayar{*this, "w_ayar"};  // the power settings picture

 private:
  void componentsMade() override;
  void fitToScreen();
};
