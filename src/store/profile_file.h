// ProfileFile: one INI file reached through the platform's profile functions; holds no content.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "store/store_error.h"

namespace vlx {

class ProfileFile {
 public:
  ProfileFile(Profile& profile, std::string path) : profile_(profile), path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  // A value longer than 1023 characters comes back cut to 1023.
  std::string ReadProfileText(const std::string& section, const std::string& key,
                              const std::string& defaultValue);
  void WriteProfileText(const std::string& section, const std::string& key,
                        const std::string& text);
  std::int32_t ReadProfileNumber(const std::string& section, const std::string& key,
                                 std::int32_t defaultValue);
  void WriteProfileNumber(const std::string& section, const std::string& key, std::int32_t value);
  void RemoveProfileKey(const std::string& section, const std::string& key);

  void ListProfileKeys(const std::string& section, std::vector<std::string>& list);
  bool HasProfileSection(const std::string& section);
  bool HasProfileKey(const std::string& section, const std::string& key);
  void FlushProfiles();

 private:
  Profile& profile_;
  std::string path_;
};

// "0x1F" and "$1F" are hexadecimal, "12" decimal; anything else gives `defaultValue`.
std::int32_t ParseProfileNumber(std::string text, std::int32_t defaultValue);

}  // namespace vlx
