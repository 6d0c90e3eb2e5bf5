#include "app/context.h"

#include "app/cycles.h"

namespace vlx {

Context::Context(Platform& platform, std::string programDir)
    : platform(platform),
      programDir(std::move(programDir)),
      loadAll(LoadAllSteps()),
      applyAll(ApplyAllSteps()) {}

}  // namespace vlx
