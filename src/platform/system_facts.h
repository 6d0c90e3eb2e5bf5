// System facts port: the version, the memory status and a volume's facts (kernel32).
#pragma once
#include <cstdint>
#include <string>

namespace vlx {

namespace platformid {
constexpr std::uint32_t Win32s = 0;
constexpr std::uint32_t Windows = 1;  // VER_PLATFORM_WIN32_WINDOWS: the 9x family
constexpr std::uint32_t Nt = 2;       // VER_PLATFORM_WIN32_NT
}  // namespace platformid

// OSVERSIONINFOA.
struct VersionFacts {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platformId = 0;
  std::string servicePack;  // szCSDVersion
};

// Byte counts in 64 bits: MEMORYSTATUSEX where the system has it, MEMORYSTATUS otherwise.
struct MemoryFacts {
  std::uint32_t load = 0;  // percent in use
  std::uint64_t totalPhys = 0;
  std::uint64_t availPhys = 0;
  std::uint64_t totalPageFile = 0;
  std::uint64_t availPageFile = 0;
  std::uint64_t totalVirtual = 0;
  std::uint64_t availVirtual = 0;
};

// GetVolumeInformationA.
struct VolumeFacts {
  std::string label;
  std::uint32_t serial = 0;
  std::string fileSystem;
};

class SystemFacts {
 public:
  virtual ~SystemFacts() = default;

  // GetVersionExA. False when the call fails.
  virtual bool Version(VersionFacts& out) = 0;
  // GetVersion: the packed version word.
  virtual std::uint32_t VersionWord() = 0;
  // GlobalMemoryStatusEx, or GlobalMemoryStatus where the system lacks it.
  virtual MemoryFacts Memory() = 0;
  // GetVolumeInformationA on a root ("C:\"). False when the call fails.
  virtual bool Volume(const std::string& root, VolumeFacts& out) = 0;
};

}  // namespace vlx
