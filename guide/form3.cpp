#include "form3.h"

#include "picture_window.h"

// Hidden until its menu item opens it: its controls and picture wait for that.
TForm3::TForm3() : fw::Form(nullptr) {
  loadLayout("Form3.layout", Components::OnFirstShow);
  onShow = [this](fw::Component& s) { FormShow(s); };
  onKeyPress = [this](fw::Component& s, char& key) { FormKeyPress(s, key); };
}

void TForm3::componentsMade() {
  w_ayar->onClick = [this](fw::Component& s) { w_ayarClick(s); };
  w_ayar->onMouseUp = [this](fw::Component& s, fw::MouseButton b, fw::Point at) { w_ayarMouseUp(s, b, at); };
}

// Only the height follows the screen; the width stays what it is (the designed 945).
void TForm3::fitToScreen() {
  guide::placeOnScreen(*this);
  bringToFront();
}

void TForm3::FormShow(fw::Component&) { fitToScreen(); }

void TForm3::w_ayarClick(fw::Component&) { fitToScreen(); }

void TForm3::FormKeyPress(fw::Component&, char& Key) {
  if (Key == guide::kEscape) close();
}

void TForm3::w_ayarMouseUp(fw::Component&, fw::MouseButton, fw::Point) { w_ayar->setProportional(false); }
