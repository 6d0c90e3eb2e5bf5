// Help topic numbers of the main window's controls: one table for the whole window.
#pragma once
#include <span>

namespace vlx {

namespace ui {
class Form;
}

struct HelpNumber {
  const char* control;
  int topic;
};

std::span<const HelpNumber> HelpNumbers();
// Gives each control of the form that is in the table its number; returns how many it found.
int ApplyHelpNumbers(ui::Form& form);

}  // namespace vlx
