#include "rules/master_switch.h"

namespace vlx {

std::string FormatName(const std::string& pattern, int number) {
  const auto at = pattern.find("%d");
  if (at == std::string::npos) return pattern;
  return pattern.substr(0, at) + std::to_string(number) + pattern.substr(at + 2);
}

void UpdateDependents(const MasterSwitch& rule, RuleControls& controls) {
  const bool enabled = controls.Checked({rule.master});
  for (const auto& name : rule.others) controls.SetEnabled(name, enabled);
  for (int n = rule.first; n <= rule.last; ++n)
    controls.SetEnabled(FormatName(rule.pattern, n), enabled);
}

}  // namespace vlx
