// What the store conformance suite runs against: the real Win32 API under Wine, or an offline
// machine image. Each build links exactly one implementation of MakeConformanceMachine.
#pragma once
#include <memory>
#include <string>

#include "platform/platform.h"

namespace vlx::conformance {

// The scratch key every registry test works below, under HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE. Removed with its subtree when the machine goes away.
inline constexpr const char* kScratchKey = "Software\\VolnerixConformance";
// A class key for the HKEY_CLASSES_ROOT tests, kept below HKLM\Software\Classes.
inline constexpr const char* kScratchClassKey = "Software\\Classes\\VolnerixConformance.Test";

class ConformanceMachine {
 public:
  virtual ~ConformanceMachine() = default;

  virtual Platform& platform() = 0;
  // A Windows path ("C:\...\name") in a scratch folder of this machine; the file does not exist.
  virtual std::string ScratchFile(const std::string& name) = 0;
  // The exact bytes of a file at a Windows path, bypassing the ports; empty when it is missing.
  virtual std::string ReadFileBytes(const std::string& path) = 0;
  // Writes exact bytes to a file at a Windows path, bypassing the ports.
  virtual void WriteFileBytes(const std::string& path, const std::string& bytes) = 0;
  // The registry enumerates a key's values in the order they were created, as the 9x hive files
  // keep them; otherwise sorted without regard to case, as the NT registry and Wine do.
  virtual bool ValuesInCreationOrder() { return false; }
};

// A fresh machine with no scratch keys and an empty scratch folder.
std::unique_ptr<ConformanceMachine> MakeConformanceMachine();

}  // namespace vlx::conformance
