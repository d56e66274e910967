#include "helpform.h"

#include "picture_window.h"

// Hidden until its menu item opens it: its controls wait for that.
THelpForm::THelpForm() : fw::Form(nullptr) { loadLayout("HelpForm.layout", Components::OnFirstShow); }

void THelpForm::componentsMade() {
  Button1->onClick = [this](fw::Component& s) { Button1Click(s); };
  Label1->onClick = [this](fw::Component& s) { Label1Click(s); };
}

void THelpForm::Button1Click(fw::Component&) { hide(); }

// The guide comes up first, so that hiding this window leaves the guide in front.
void THelpForm::Label1Click(fw::Component&) {
  guide::showInFront("Form2");
  hide();
}
