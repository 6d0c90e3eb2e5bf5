// The native conformance suite runs on the offline image itself.
#include "native/prefix_conformance_machine.h"

namespace vlx::conformance {

std::unique_ptr<ConformanceMachine> MakeConformanceMachine() { return MakePrefixConformanceMachine(); }

}  // namespace vlx::conformance
