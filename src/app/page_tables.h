// The form tables of the page modules, added to TfrmMain after its own controls, and those of
// TfrmChange.
#pragma once
#include <span>
#include <vector>

#include "ui/form_spec.h"

namespace vlx {

class Context;

std::vector<std::span<const ui::ControlSpec>> MainPageTables();
std::vector<std::span<const ui::ControlSpec>> ChangeFormTables();

// Connects the handlers of the settings pages; after the forms are built.
void BindSettingsPages(Context& ctx);
// Connects the handlers of the fatal-error colour, colour, information and folder icon pages.
void BindSystemToolPages(Context& ctx);

}  // namespace vlx
