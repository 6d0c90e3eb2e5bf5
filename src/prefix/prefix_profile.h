// Profile port over a machine image: the profile engine on the image's files, no cache (every
// call reads the file; a change is written at once, atomically).
#pragma once
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system_info.h"
#include "prefix/path_mapper.h"

namespace vlx::prefix {

class PrefixProfile : public Profile {
 public:
  // `system` names the Windows folder, where file names without a path are looked for.
  PrefixProfile(const PathMapper& paths, Files& files, SystemInfo& system)
      : paths_(paths), files_(files), system_(system) {}

  std::uint32_t GetString(const char* section, const char* key, const char* defaultValue,
                          std::string& result, std::uint32_t bufferSize,
                          const std::string& file) override;
  // All three null (the cache flush) has nothing to do here and returns false, as the API
  // documents for that call.
  bool WriteString(const char* section, const char* key, const char* value,
                   const char* file) override;

 private:
  // The Windows path the API would use: names without a drive or root go to the Windows folder.
  std::string FullPath(const char* file);
  // The file's bytes; empty for a missing file, nothing when it exists but cannot be read.
  std::optional<std::string> ReadFile(const std::string& windowsPath) const;

  const PathMapper& paths_;
  Files& files_;
  SystemInfo& system_;
};

}  // namespace vlx::prefix
