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
  void Button1Click(fw::Component& Sender);
  void Label1Click(fw::Component& Sender);

  fw::GroupBox& GroupBox1;
  fw::Memo& Memo1;
  fw::Label& Label1;
  fw::Button& Button1;
};
