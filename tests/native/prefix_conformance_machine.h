// The offline image the conformance suite runs on natively, for the suites that wrap it.
#pragma once
#include <memory>

#include "conformance/conformance_machine.h"

namespace vlx::conformance {

std::unique_ptr<ConformanceMachine> MakePrefixConformanceMachine();

}  // namespace vlx::conformance
