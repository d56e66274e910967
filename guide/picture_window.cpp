#include "picture_window.h"

#include <algorithm>

#include "fw/application.h"
#include "fw/backend.h"

namespace guide {

void placeOnScreen(fw::Form& form) {
  form.setTop(10);
  form.setLeft(10);
  // A window cannot be less than nothing high, whatever the screen.
  form.setHeight(std::max(0, fw::backend::screenSize().height - 200));
}

void showInFront(fw::Form& form) {
  form.show();
  form.bringToFront();
}

void showInFront(const char* formName) {
  if (fw::Form* form = fw::Application::instance().findForm(formName)) showInFront(*form);
}

}  // namespace guide
