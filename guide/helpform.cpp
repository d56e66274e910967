#include "helpform.h"

#include "picture_window.h"

THelpForm::Loaded::Loaded(fw::Form& form) { form.loadLayout("HelpForm.layout"); }

THelpForm::THelpForm()
    : fw::Form(nullptr),
      loaded_(*this),
      GroupBox1(component<fw::GroupBox>("GroupBox1")),
      Memo1(component<fw::Memo>("Memo1")),
      Label1(component<fw::Label>("Label1")),
      Button1(component<fw::Button>("Button1")) {
  Button1.onClick = [this](fw::Component& s) { Button1Click(s); };
  Label1.onClick = [this](fw::Component& s) { Label1Click(s); };
}

void THelpForm::Button1Click(fw::Component&) { hide(); }

// The guide comes up first, so that hiding this window leaves the guide in front.
void THelpForm::Label1Click(fw::Component&) {
  guide::showInFront("Form2");
  hide();
}
