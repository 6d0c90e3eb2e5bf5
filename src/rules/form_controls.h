// The rule binding over the control model: rules reach the main window's controls by name.
#pragma once
#include "rules/rule_controls.h"
#include "ui/form.h"

namespace vlx {

class FormControls : public RuleControls {
 public:
  explicit FormControls(ui::Form& form) : form_(form) {}

  bool Checked(const ControlRef& control) override;
  void SetChecked(const ControlRef& control, bool checked) override;
  int Position(const ControlRef& control) override;
  void SetPosition(const ControlRef& control, int position) override;
  bool SetEnabled(const std::string& name, bool enabled) override;

 private:
  ui::Form& form_;
};

}  // namespace vlx
