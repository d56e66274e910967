#include "form2.h"

#include "picture_window.h"

// Hidden until its menu item opens it: its controls and picture wait for that.
TForm2::TForm2() : fw::Form(nullptr) {
  loadLayout("Form2.layout", Components::OnFirstShow);
  onShow = [this](fw::Component& s) { FormShow(s); };
  onKeyPress = [this](fw::Component& s, char& key) { FormKeyPress(s, key); };
  onMouseUp = [this](fw::Component& s, fw::MouseButton b, fw::Point at) { FormMouseUp(s, b, at); };
}

void TForm2::componentsMade() {
  Image3->onClick = [this](fw::Component& s) { Image3Click(s); };
}

// The picture keeps the proportions of the wiring drawing (about 13 wide to 10 high) at
// whatever height the screen allows.
void TForm2::fitToScreen() {
  guide::placeOnScreen(*this);
  setWidth(height() * 130 / 100);
  bringToFront();
}

void TForm2::FormShow(fw::Component&) { fitToScreen(); }

// A click on the picture undoes whatever the user did to the window's size and place.
void TForm2::Image3Click(fw::Component&) { fitToScreen(); }

void TForm2::FormKeyPress(fw::Component&, char& Key) {
  if (Key == guide::kEscape) close();
}

void TForm2::FormMouseUp(fw::Component&, fw::MouseButton, fw::Point) { Image3->setProportional(false); }
