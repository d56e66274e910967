// The help window: a short printed help text, a link to the connection guide, a close button.
#pragma once

#include "fw/controls.h"
#include "fw/form.h"

class THelpForm : public fw::Form {
 public:
  THelpForm();

  // Handlers, named after the component and the event.
  void Button1Click(fw::Component& Sender);  // closes the help
  void Label1Click(fw::Component& Sender);  // opens the connection guide

  // Made when the window is first shown (or first used here).
  fw::Part<fw::GroupBox> GroupBox1{*this, "GroupBox1"};
  fw::Part<fw::Memo> Memo1{*this, "Memo1"};      // the help text
  fw::Part<fw::Label> Label1{*this, "Label1"};    // the link to the connection guide
  fw::Part<fw::Button> Button1{*this, "Button1"};  // the close button

 private:
  void componentsMade() override;
};
