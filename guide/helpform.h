// The help window: a short printed help text, a link to the connection guide, a close button.
#pragma once

#include "fw/controls.h"
#include "fw/form.h"

class THelpForm : public fw::Form {
  // Reads the layout before the component references below bind to it.
  struct Loaded {
    explicit Loaded(fw::Form& form);
  } loaded_;

 public:
  THelpForm();

  // Handlers, named after the component and the event.
  void Button1Click(fw::Component& Sender);  // closes the help
  void Label1Click(fw::Component& Sender);  // opens the connection guide

  fw::GroupBox& GroupBox1;
  fw::Memo& Memo1;    // the help text
  fw::Label& Label1;  // the link to the connection guide
  fw::Button& Button1;  // the close button
};
