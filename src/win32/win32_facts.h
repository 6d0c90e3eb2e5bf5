// System facts port over kernel32: version, memory status (the extended query where the system
// has it), volume information.
#pragma once
#include "platform/system_facts.h"

namespace vlx::win32 {

class Win32SystemFacts : public SystemFacts {
 public:
  bool Version(VersionFacts& out) override;
  std::uint32_t VersionWord() override;
  MemoryFacts Memory() override;
  bool Volume(const std::string& root, VolumeFacts& out) override;
};

}  // namespace vlx::win32
