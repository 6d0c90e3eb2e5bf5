// System facts offline: the version the image's registry records; memory and volume facts of
// the host, from the file system that holds the image.
#pragma once
#include "platform/registry.h"
#include "platform/system_facts.h"
#include "prefix/path_mapper.h"

namespace vlx::prefix {

class PrefixSystemFacts : public SystemFacts {
 public:
  PrefixSystemFacts(Registry& registry, const PathMapper& paths)
      : registry_(registry), paths_(paths) {}

  // The Windows NT key's version (a Wine prefix), else the 9x "VersionNumber" and
  // "SubVersionNumber"; false when the image records neither.
  bool Version(VersionFacts& out) override;
  // As GetVersion packs it: the build in the high word on the NT family, 0xC000 on the 9x one.
  std::uint32_t VersionWord() override;
  // sysinfo(2) of the host; the virtual figures are those of a 32-bit process's 2 GB.
  MemoryFacts Memory() override;
  // statvfs(3) of the drive's folder. The label and serial come from the ".windows-label" and
  // ".windows-serial" files at the drive's root when present, as Wine keeps them; the file
  // system is FAT32 on a FAT host file system and NTFS on any other.
  bool Volume(const std::string& root, VolumeFacts& out) override;

 private:
  Registry& registry_;
  const PathMapper& paths_;
};

}  // namespace vlx::prefix
