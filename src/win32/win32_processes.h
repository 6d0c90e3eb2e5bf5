// Processes port over kernel32/advapi32/user32.
#pragma once
#include "platform/processes.h"

namespace vlx::win32 {

class Win32Processes : public Processes {
 public:
  bool Snapshot(std::vector<ProcessEntry>& out) override;
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override;
  bool RunAndWait(const std::string& commandLine) override;
  bool Start(const std::string& commandLine) override;
  bool IsNtFamily() override;
  bool EnableShutdownPrivilege() override;
  bool ExitSystem(std::uint32_t flags) override;
};

}  // namespace vlx::win32
