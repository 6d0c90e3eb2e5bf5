#include "rules/form_controls.h"

#include "rules/rule_engine.h"

namespace vlx {

bool FormControls::Checked(const ControlRef& control) {
  if (control.item >= 0) return form_.Get<ui::ListControl>(control.name).ItemChecked(control.item);
  return form_.Get<ui::CheckBox>(control.name).Checked();
}

void FormControls::SetChecked(const ControlRef& control, bool checked) {
  if (control.item >= 0)
    form_.Get<ui::ListControl>(control.name).SetItemChecked(control.item, checked);
  else
    form_.Get<ui::CheckBox>(control.name).SetChecked(checked);
}

int FormControls::Position(const ControlRef& control) {
  return form_.Get<ui::RangeControl>(control.name).Position();
}

void FormControls::SetPosition(const ControlRef& control, int position) {
  form_.Get<ui::RangeControl>(control.name).SetPosition(position);
}

bool FormControls::SetEnabled(const std::string& name, bool enabled) {
  ui::Control* control = form_.Find(name);
  if (!control) return false;
  control->SetEnabled(enabled);
  return true;
}

void LoadFormRules(ui::Form& form, Platform& platform, std::span<const TweakRule> rules) {
  FormControls controls(form);
  RuleContext context{platform, controls};
  LoadRules(rules, context);
}

void ApplyFormRules(ui::Form& form, Platform& platform, std::span<const TweakRule> rules) {
  FormControls controls(form);
  RuleContext context{platform, controls};
  ApplyRules(rules, context);
}

}  // namespace vlx
