#include "app/page_tables.h"

#include "pages/controlpanel.h"
#include "pages/desktop.h"
#include "pages/startmenu.h"
#include "tools/tool_pages.h"

namespace vlx {

// A page module that is built adds its table here, in tab order.
std::vector<std::span<const ui::ControlSpec>> MainPageTables() {
  auto tables = ToolPageTables();
  for (auto table : {StartMenuPageControls(), DesktopPageControls(), ControlPanelPageControls()})
    tables.push_back(table);
  return tables;
}

std::vector<std::span<const ui::ControlSpec>> ChangeFormTables() {
  return ToolChangeFormTables();
}

void BindSettingsPages(Context& ctx) {
  BindStartMenuPage(ctx);
  BindDesktopPage(ctx);
  BindControlPanelPage(ctx);
}

}  // namespace vlx
