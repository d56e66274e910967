#include "form1_access.h"

#include "cell_grid_access.h"
#include "form1.h"
#include "fw/text.h"

void describeForScreenReaders(TForm1& form) {
  const char* labels[] = {"Label6", "Label7", "Label8", "Label15"};
  fw::ProgressBar* bars[] = {&form.ProgressBar1, &form.ProgressBar2, &form.ProgressBar3, &form.ProgressBar4};
  fw::Label* values[] = {&form.Label1, &form.Label2, &form.Label3, &form.Label4};
  for (size_t i = 0; i < 4; ++i) {
    bars[i]->setAccessibleLabel(&form.component<fw::Label>(labels[i]));
    bars[i]->setAccessibleValue(values[i]);
  }
}

void levelsShown(TForm1& form) {
  for (fw::ProgressBar* bar : {&form.ProgressBar1, &form.ProgressBar2, &form.ProgressBar3, &form.ProgressBar4})
    bar->raiseAccessibleEvent(fw::access::event::ValueChange, fw::access::kSelf);
}

std::string callAnnouncement(const std::string& counter, const std::string& line, const std::string& number,
                             const std::string& dateTime) {
  return fw::ansi(u8"Çağrı ") + counter + fw::ansi(u8": hat ") + line + ", numara " + number + ", zaman " + dateTime;
}
