#include "tools/tool_pages.h"

#include "tools/changeform.h"
#include "tools/filekill_page.h"
#include "tools/process.h"
#include "tools/uninstall.h"

namespace vlx {

std::vector<std::span<const ui::ControlSpec>> ToolPageTables() {
  return {UninstallPageTable(), ProcessPageTable(), FileKillerPageTable()};
}

std::vector<std::span<const ui::ControlSpec>> ToolChangeFormTables() { return {ChangeFormTable()}; }

void BindToolPages(Context& ctx) {
  BindUninstallPage(ctx);
  BindChangeForm(ctx);
  BindProcessPage(ctx);
  BindFileKillerPage(ctx);
}

}  // namespace vlx
