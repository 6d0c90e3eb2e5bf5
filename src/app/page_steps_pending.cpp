// Steps of pages not built yet. A page module that defines one removes its line here.
#include "app/page_steps.h"

namespace vlx {

void LoadServicePage(Context&) {}
void LoadTempAutoClear(Context&) {}

void ApplyServicePage(Context&) {}
void ApplyTempAutoClear(Context&) {}

}  // namespace vlx
