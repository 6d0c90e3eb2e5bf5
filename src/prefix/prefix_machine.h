// An offline Windows machine image (a folder with the Wine prefix layout) seen through the ports.
#pragma once
#include <filesystem>
#include <memory>

#include "platform/platform.h"
#include "prefix/journal.h"
#include "prefix/offline_registry.h"
#include "prefix/prefix_dialogs.h"

namespace vlx::prefix {

// Where a machine's parts are, for images that are not a Wine prefix.
struct MachineLayout {
  std::filesystem::path root;    // the image; journal and desktop state
  std::filesystem::path driveC;  // what C:\ is
  std::unique_ptr<OfflineRegistry> registry;
};

class PrefixMachine {
 public:
  // Raises PrefixError when the folder is no machine image (no system.reg, user.reg, drive_c).
  explicit PrefixMachine(std::filesystem::path root);
  // The same adapters over another layout.
  explicit PrefixMachine(MachineLayout layout);
  ~PrefixMachine();
  PrefixMachine(const PrefixMachine&) = delete;
  PrefixMachine& operator=(const PrefixMachine&) = delete;

  const std::filesystem::path& Root() const;
  Platform& platform();
  Journal& journal();
  // The message boxes and pickers, answered from queues.
  PrefixDialogs& dialogs();
  // Saves what changed (registry files) atomically.
  void Flush();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vlx::prefix
