// The ports of a machine with every change held back: a dry run reads its own pending changes
// and changes nothing; the changes can be reported, or carried over to the machine afterwards.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "overlay/overlay_effects.h"
#include "overlay/overlay_files.h"
#include "overlay/overlay_registry.h"
#include "platform/platform.h"

namespace vlx::overlay {

class Overlay {
 public:
  explicit Overlay(Platform& base);
  Platform& platform() { return platform_; }
  OverlayRegistry& registry() { return registry_; }
  OverlayFiles& files() { return files_; }
  const EffectLog& effects() const { return effects_; }

  // What the run would change, as volnrx-cli --dry-run prints it (code page 1251, one line per
  // element): the registry as a REGEDIT4 patch, the file operations, a unified diff per text
  // file, and the calls that have no file effect.
  std::vector<std::string> Report();
  // Does it: the registry patch, then the file changes and the other calls in the order they
  // were asked for. Returns the file changes that failed.
  std::vector<std::string> Commit();

 private:
  Platform& base_;
  OverlayRegistry registry_;
  OverlayFiles files_;
  EffectLog effects_;
  RecordingParameters parameters_;
  RecordingDesktop desktop_;
  RecordingProcesses processes_;
  RecordingWindows windows_;
  RecordingShellFiles shellFiles_;
  RecordingLibrary library_;
  Platform platform_;
};

}  // namespace vlx::overlay
