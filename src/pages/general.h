// The General page (TabSheet9): CD autorun, four administrator restrictions and the
// "show files" protection of the Windows and System folders.
#pragma once
#include <span>
#include <vector>

#include "app/context.h"
#include "rules/tweak_rule.h"
#include "ui/form_spec.h"

namespace vlx {

std::span<const ui::ControlSpec> GeneralPageControls();

// The six registry rules, in table order.
void LoadGeneralPage(Context& context);
void ApplyGeneralPage(Context& context);
const std::vector<TweakRule>& GeneralRules();

// folder.htt and desktop.ini in the Windows folder, then in the System folder. An error of the
// resource extraction is not caught.
void LoadFolderProtection(Context& context);
void ApplyFolderProtection(Context& context);

}  // namespace vlx
