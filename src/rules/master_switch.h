// MasterSwitch: a check box whose state is the Enabled state of its dependent controls.
#pragma once
#include <string>
#include <vector>

#include "rules/rule_controls.h"

namespace vlx {

struct MasterSwitch {
  std::string master;
  std::string pattern;  // dependent names, "%d" standing for each number of first..last
  int first = 1;
  int last = 0;
  std::vector<std::string> others{};  // further dependents by name
};

// The master's click handler: every dependent, looked up by name at each call, takes the
// master's checked state as its Enabled state.
void UpdateDependents(const MasterSwitch& rule, RuleControls& controls);

// The pattern with its "%d" replaced by the number ("cbContextMenuIndex%d", 3).
std::string FormatName(const std::string& pattern, int number);

}  // namespace vlx
