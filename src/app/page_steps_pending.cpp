// Steps of pages not built yet. A page module that defines one removes its line here.
#include "app/page_steps.h"

namespace vlx {

void LoadRepairSelector(Context&) {}
void LoadExplorerPage(Context&) {}
void LoadDeathScreenPage(Context&) {}
void LoadInternetPage(Context&) {}
void LoadGeneralPage(Context&) {}
void LoadServicePage(Context&) {}
void LoadFolderProtection(Context&) {}
void LoadTempAutoClear(Context&) {}
void CheckEdits(Context&) {}

void ApplyExplorerPage(Context&) {}
void ApplyGeneralPage(Context&) {}
void ApplyInternetPage(Context&) {}
void ApplyServicePage(Context&) {}
void ApplyDeathScreenPage(Context&) {}
void ApplyFolderProtection(Context&) {}
void ApplyTempAutoClear(Context&) {}
void RefreshShellIcons(Context&) {}

void ShowSystemInfo(Context&) {}

}  // namespace vlx
