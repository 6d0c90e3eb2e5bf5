// What the background format tool needs from the system.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace bgfmt {

enum class RootKey { LocalMachine };

struct RegistryValue {
  std::uint32_t type = 0;  // REG_SZ, REG_DWORD, ...
  std::string data;        // the raw bytes as stored
};

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;
  // The value's type and data; nothing when the key cannot be opened for querying or the value
  // cannot be read.
  virtual std::optional<RegistryValue> QueryValue(RootKey root, const std::string& keyPath,
                                                  const std::string& valueName) = 0;
};

class DrivePort {
 public:
  virtual ~DrivePort() = default;
  // Bit 0 is A:, bit 1 is B:, ...
  virtual std::uint32_t LogicalDriveMask() = 0;
  // DRIVE_* type of a root such as "A:\".
  virtual unsigned DriveTypeOf(const std::string& root) = 0;
};

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // ShellExecuteA without owner or working folder; results below 32 are failures.
  virtual std::intptr_t Execute(const std::string& verb, const std::string& file,
                                const std::string& parameters, int show) = 0;
  // A message box without owner window.
  virtual void ShowMessage(const std::string& text, const std::string& title, unsigned flags) = 0;
};

struct System {
  RegistryPort& registry;
  DrivePort& drives;
  ShellPort& shell;
};

}  // namespace bgfmt
