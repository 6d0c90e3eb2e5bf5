#include "app/page_tables.h"

#include "pages/controlpanel.h"
#include "pages/desktop.h"
#include "pages/explorer.h"
#include "pages/general.h"
#include "pages/internet.h"
#include "pages/service.h"
#include "pages/startmenu.h"
#include "pages/user.h"
#include "tools/repair.h"
#include "tools/colorpicker.h"
#include "tools/iconfolder.h"
#include "tools/info.h"
#include "tools/screendeath.h"
#include "tools/tool_pages.h"

namespace vlx {

// A page module that is built adds its table here, in tab order.
std::vector<std::span<const ui::ControlSpec>> MainPageTables() {
  auto tables = ToolPageTables();
  for (auto table : {StartMenuPageControls(), DesktopPageControls(), ControlPanelPageControls(),
                     UserPageControls(), RepairPageControls(), GeneralPageControls(),
                     ExplorerPageControls(), InternetPageControls(), ServicePageControls(),
                     DeathScreenPageTable(), ColourPickerPageTable(), InfoPageTable(),
                     IconFolderPageTable()})
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
  BindUserPage(ctx);
  BindRepairPage(ctx);
  BindInternetPage(ctx);
  BindServicePage(ctx);
}

void BindSystemToolPages(Context& ctx) {
  BindDeathScreenPage(ctx);
  BindColourPickerPage(ctx);
  BindIconFolderPage(ctx);
}

}  // namespace vlx
