#include "form3.h"

#include "picture_window.h"

TForm3::Loaded::Loaded(fw::Form& form) { form.loadLayout("Form3.layout"); }

TForm3::TForm3()
    : fw::Form(nullptr),
      loaded_(*this),
      StatusBar1(component<fw::StatusBar>("StatusBar1")),
      w_ayar(component<fw::Image>("w_ayar")) {
  onShow = [this](fw::Component& s) { FormShow(s); };
  onKeyPress = [this](fw::Component& s, char& key) { FormKeyPress(s, key); };
  w_ayar.onClick = [this](fw::Component& s) { w_ayarClick(s); };
  w_ayar.onMouseUp = [this](fw::Component& s, fw::MouseButton b, fw::Point at) { w_ayarMouseUp(s, b, at); };
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

void TForm3::w_ayarMouseUp(fw::Component&, fw::MouseButton, fw::Point) { w_ayar.setProportional(false); }
