// The tool pages "Установка/Удаление", "Процесс" and "File Killer" and the dialog TfrmChange:
// their form tables and handler bindings in one place for the main window.
#pragma once
#include <span>
#include <vector>

#include "ui/form_spec.h"

namespace vlx {

class Context;

// The tables these pages add to TfrmMain, and TfrmChange's.
std::vector<std::span<const ui::ControlSpec>> ToolPageTables();
std::vector<std::span<const ui::ControlSpec>> ToolChangeFormTables();
// Connects the handlers of the pages and of TfrmChange; after the forms are built.
void BindToolPages(Context& ctx);

}  // namespace vlx
