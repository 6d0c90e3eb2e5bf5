// The load and apply steps of the pages and the work of page switches. Each page module defines
// its own.
#pragma once

namespace vlx {

class Context;

// Load-all.
void LoadRepairSelector(Context& ctx);
void LoadExplorerPage(Context& ctx);
void LoadControlPanelPage(Context& ctx);
void LoadDeathScreenPage(Context& ctx);
void LoadStartMenuPage(Context& ctx);
void LoadDesktopPage(Context& ctx);
void LoadInternetPage(Context& ctx);
void LoadGeneralPage(Context& ctx);
void LoadServicePage(Context& ctx);
void LoadFolderProtection(Context& ctx);
void LoadTempAutoClear(Context& ctx);
void LoadDesktopColour(Context& ctx);
void CheckEdits(Context& ctx);

// Apply-all.
void ApplyStartMenuPage(Context& ctx);
void ApplyDesktopPage(Context& ctx);
void ApplyControlPanelPage(Context& ctx);
void ApplyExplorerPage(Context& ctx);
void ApplyGeneralPage(Context& ctx);
void ApplyInternetPage(Context& ctx);
void ApplyServicePage(Context& ctx);
void ApplyDeathScreenPage(Context& ctx);
void ApplyFolderProtection(Context& ctx);
void ApplyTempAutoClear(Context& ctx);
void ApplyDesktopColour(Context& ctx);
void RefreshShellIcons(Context& ctx);

// Page switches.
void LoadUninstallList(Context& ctx);
void LoadProcessList(Context& ctx);
void LoadWindowList(Context& ctx);
void ShowSystemInfo(Context& ctx);

}  // namespace vlx
