// Runs one page action through the real Win32 adapters, for the Wine scripts that then read the
// registry with `wine reg query`:
//   vlx_shell_actions.exe repair-inf        the Repair page's ".inf" association (item 1)
//   vlx_shell_actions.exe repair-thumbnails the Repair page's thumbnail repair (item 2)
//   vlx_shell_actions.exe explorer on|off   the Explorer page loaded, "Закрыть" item set, applied
// The program folder is this program's own, so it looks for vxeject.dll beside itself. Message
// boxes are answered with OK and printed ("message: TITLE | TEXT", CP1251, CR as \r); the
// explorer action also prints the item's loaded state and whether the window was closed.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/context.h"
#include "app/main_form.h"
#include "app/main_window.h"
#include "app/page_tables.h"
#include "pages/explorer.h"
#include "ui/user_action.h"
#include "unit/tool_fakes.h"
#include "win32/win32_platform.h"

namespace {

std::string ProgramFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD size = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (size < path.size()) {
      path.resize(size);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of('\\') + 1);
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\r' ? std::string("\\r") : std::string(1, c);
  return out;
}

int Usage() {
  std::fputs("usage: vlx_shell_actions repair-inf | repair-thumbnails | explorer on|off\n", stderr);
  return 2;
}

int Run(vlx::Context& ctx, const std::string& action, const std::string& state) {
  using namespace vlx;
  if (action == "repair-inf" || action == "repair-thumbnails") {
    auto& selector = ctx.Get("cbRepairSelected");
    if (action == "repair-inf") {
      ui::UserSelect(selector, 1);
      ui::UserCheck(ctx.Get("cbAssociateINF"), true);
    } else {
      ui::UserSelect(selector, 2);
    }
    ui::UserClick(ctx.Get("btnRepair"));
    return 0;
  }
  if (action == "explorer" && (state == "on" || state == "off")) {
    LoadExplorerPage(ctx);
    auto& list = ctx.Get<ui::ListControl>("clbExplorerSetting");
    std::printf("loaded: %d\n", list.ItemChecked(9) ? 1 : 0);
    ui::UserCheckItem(list, 9, state == "on");
    ctx.frmMain.SetShowing(true);
    ApplyExplorerPage(ctx);
    std::printf("closed: %d\n", MainWindowClosed(ctx) ? 1 : 0);
    return 0;
  }
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  vlx::win32::Win32Platform win;
  vlx::Platform platform = win.platform();
  vlx::testing::QueuedDialogs dialogs;
  platform.dialogs = &dialogs;
  vlx::Context ctx(platform, ProgramFolder());
  vlx::BuildForms(ctx);
  vlx::BindSettingsPages(ctx);
  int status = 0;
  try {
    status = Run(ctx, argv[1], argc > 2 ? argv[2] : "");
  } catch (const std::exception& error) {
    std::printf("error: %s\n", error.what());
    status = 1;
  }
  for (const auto& shown : dialogs.shown)
    std::printf("message: %s | %s\n", shown.title.c_str(), Escaped(shown.text).c_str());
  return status;
}
