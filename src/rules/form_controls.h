// The rule binding over the control model: rules reach the main window's controls by name.
#pragma once
#include <span>

#include "platform/platform.h"
#include "rules/rule_controls.h"
#include "rules/tweak_rule.h"
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

// The rules of a page run on the controls of a form, in order.
void LoadFormRules(ui::Form& form, Platform& platform, std::span<const TweakRule> rules);
void ApplyFormRules(ui::Form& form, Platform& platform, std::span<const TweakRule> rules);

}  // namespace vlx
