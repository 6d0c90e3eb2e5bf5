// The Control panel restrictions page (TabSheet6): per-user applet, tab and printer
// restrictions in seven groups chosen by seven speed buttons.
#pragma once
#include <span>
#include <vector>

#include "app/context.h"
#include "rules/master_switch.h"
#include "rules/tweak_rule.h"
#include "ui/form_spec.h"

namespace vlx {

std::span<const ui::ControlSpec> ControlPanelPageControls();
void BindControlPanelPage(Context& context);

// Rows 1 to 27, then the Internet master derived from the six tab boxes.
void LoadControlPanelPage(Context& context);
// Rows 1 to 20; then the seven Internet flags at once when the Internet master is unchecked,
// otherwise rows 21 to 27.
void ApplyControlPanelPage(Context& context);

// The 27 rows in table order (rows 21 to 27 are the Internet Options rows).
const std::vector<TweakRule>& ControlPanelRules();
// The four masters in the order UpdateCplDependents visits them.
const std::vector<MasterSwitch>& ControlPanelMasters();

void UpdateCplDependents(Context& context);
void WriteAllInternetTabFlags(Context& context);
// spbtnCplSelect<n>Click: group box n shown, the six others hidden.
void SelectCplGroup(Context& context, int group);

}  // namespace vlx
