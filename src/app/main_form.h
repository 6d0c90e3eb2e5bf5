// TfrmMain and TfrmChange as data: the window, its tab control with the seventeen pages, the
// three buttons and the About page; each page module adds its own table (page_tables.h).
#pragma once
#include <vector>

#include "ui/form_spec.h"

namespace vlx {

class Context;

// The main window's own controls, in creation order.
std::vector<ui::ControlSpec> MainFormTable();
// Builds TfrmMain (its table, then every page table, then the help numbers) and TfrmChange.
void BuildForms(Context& ctx);

namespace page {
constexpr int Count = 17;
constexpr int First = 9;  // "Общие" shows at start
}  // namespace page

}  // namespace vlx
