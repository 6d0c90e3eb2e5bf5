// The system ports over advapi32, kernel32, shell32 and user32.
#pragma once
#include "port/system.h"

namespace bgfmt {

class Win32Registry final : public RegistryPort {
 public:
  std::optional<RegistryValue> QueryValue(RootKey root, const std::string& keyPath,
                                          const std::string& valueName) override;
};

class Win32Drives final : public DrivePort {
 public:
  std::uint32_t LogicalDriveMask() override;
  unsigned DriveTypeOf(const std::string& root) override;
};

class Win32Shell final : public ShellPort {
 public:
  std::intptr_t Execute(const std::string& verb, const std::string& file,
                        const std::string& parameters, int show) override;
  void ShowMessage(const std::string& text, const std::string& title, unsigned flags) override;
};

}  // namespace bgfmt
