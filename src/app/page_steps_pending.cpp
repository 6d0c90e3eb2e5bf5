// Steps of pages not built yet. A page module that defines one removes its line here.
#include "app/page_steps.h"

namespace vlx {

void LoadDeathScreenPage(Context&) {}
void LoadServicePage(Context&) {}
void LoadTempAutoClear(Context&) {}
void CheckEdits(Context&) {}

void ApplyServicePage(Context&) {}
void ApplyDeathScreenPage(Context&) {}
void ApplyTempAutoClear(Context&) {}

void ShowSystemInfo(Context&) {}

}  // namespace vlx
