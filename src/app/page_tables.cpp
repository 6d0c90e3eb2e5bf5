#include "app/page_tables.h"

#include "tools/tool_pages.h"

namespace vlx {

// A page module that is built adds its table here, in tab order.
std::vector<std::span<const ui::ControlSpec>> MainPageTables() { return ToolPageTables(); }

std::vector<std::span<const ui::ControlSpec>> ChangeFormTables() {
  return ToolChangeFormTables();
}

}  // namespace vlx
