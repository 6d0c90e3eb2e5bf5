// The native conformance suite through the overlay over the offline image.
#include "overlay/overlay_conformance_machine.h"

#include "native/prefix_conformance_machine.h"

namespace vlx::conformance {

std::unique_ptr<ConformanceMachine> MakeConformanceMachine() {
  return std::make_unique<OverlayConformanceMachine>(MakePrefixConformanceMachine());
}

}  // namespace vlx::conformance
