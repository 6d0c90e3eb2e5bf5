// The Start menu page (TabSheet4): Start menu folders and items, the menu delay, the Start
// button's context menu, folder verbs and the "Сервис" options.
#pragma once
#include <span>
#include <string>
#include <vector>

#include "app/context.h"
#include "rules/tweak_rule.h"
#include "ui/form_spec.h"

namespace vlx {

// The machine-wide Start menu and desktop policy key under HKEY_LOCAL_MACHINE, written with a
// lower-case "explorer".
inline constexpr const char* kStartMenuPolicyKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\explorer";

// The page's controls, children of TabSheet4.
std::span<const ui::ControlSpec> StartMenuPageControls();
// Binds the page's handlers (the view switch and the context-menu master switch).
void BindStartMenuPage(Context& context);

void LoadStartMenuPage(Context& context);
void ApplyStartMenuPage(Context& context);

// The rules run by LoadStartMenuPage and ApplyStartMenuPage, in their order; row 16's command
// is the running program's own file.
std::vector<TweakRule> StartMenuRules(const std::string& programFile);
// The rule of "Сервис" item 3, run by the Desktop page's steps.
const TweakRule& StartMenuScrollRule();

// "dddd, d MMMM yyyy 'г.'": the long date format with its era text quoted.
std::string LongDateMarker();

void spidbtnStartMenuClick(Context& context);
void cbContexMenuOnOffClick(Context& context);

}  // namespace vlx
