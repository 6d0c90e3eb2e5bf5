#include "app/page_tables.h"

namespace vlx {

// A page module that is built adds its table here, in tab order.
std::vector<std::span<const ui::ControlSpec>> MainPageTables() { return {}; }

std::vector<std::span<const ui::ControlSpec>> ChangeFormTables() { return {}; }

}  // namespace vlx
