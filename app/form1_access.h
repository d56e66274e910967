// How the main window reads to screen readers beyond what its controls tell by themselves.
#pragma once

#include <string>

class TForm1;

// Each signal bar is named by the label before it ("Telefon 1" ...) and has the number shown
// after it as its value; the check boxes read with their hints (the framework does that for
// every control with a hint).
void describeForScreenReaders(TForm1& form);

// The bars' values are the numbers beside them: once those are shown, a screen reader that
// follows a bar hears the new value.
void levelsShown(TForm1& form);

// What is read out when a call is listed: its line, number and time, in Turkish.
std::string callAnnouncement(const std::string& counter, const std::string& line, const std::string& number,
                             const std::string& dateTime);
