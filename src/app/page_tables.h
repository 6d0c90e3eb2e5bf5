// The form tables of the page modules, added to TfrmMain after its own controls, and those of
// TfrmChange.
#pragma once
#include <span>
#include <vector>

#include "ui/form_spec.h"

namespace vlx {

std::vector<std::span<const ui::ControlSpec>> MainPageTables();
std::vector<std::span<const ui::ControlSpec>> ChangeFormTables();

class Context;
// Connects the handlers of the settings pages; after the forms are built.
void BindSettingsPages(Context& ctx);

}  // namespace vlx
