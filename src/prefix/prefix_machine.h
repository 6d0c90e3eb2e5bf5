// An offline Windows machine image (a folder with the Wine prefix layout) seen through the ports.
#pragma once
#include <filesystem>
#include <memory>

#include "platform/platform.h"
#include "prefix/journal.h"
#include "prefix/prefix_dialogs.h"

namespace vlx::prefix {

class PrefixMachine {
 public:
  // Raises PrefixError when the folder is no machine image (no system.reg, user.reg, drive_c).
  explicit PrefixMachine(std::filesystem::path root);
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
