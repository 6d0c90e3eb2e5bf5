// A conformance machine seen through the dry run's overlay: the decorator must answer every port
// call as the adapter below it would. Files are read as the overlay holds them; bytes written
// around the ports go to the machine below, which the overlay reads until it has a change of its
// own for that file.
#pragma once
#include <memory>
#include <string>

#include "conformance/conformance_machine.h"
#include "overlay/overlay.h"

namespace vlx::conformance {

class OverlayConformanceMachine : public ConformanceMachine {
 public:
  explicit OverlayConformanceMachine(std::unique_ptr<ConformanceMachine> base)
      : base_(std::move(base)), overlay_(base_->platform()) {}

  Platform& platform() override { return overlay_.platform(); }
  std::string ScratchFile(const std::string& name) override { return base_->ScratchFile(name); }
  std::string ReadFileBytes(const std::string& path) override {
    return overlay_.files().After(path).bytes.value_or(std::string());
  }
  void WriteFileBytes(const std::string& path, const std::string& bytes) override {
    base_->WriteFileBytes(path, bytes);
  }

 private:
  std::unique_ptr<ConformanceMachine> base_;
  overlay::Overlay overlay_;
};

}  // namespace vlx::conformance
