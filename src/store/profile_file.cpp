#include "store/profile_file.h"

#include "text/cp1251.h"
#include "text/integer_text.h"

#include <cstdint>
#include <limits>

namespace vlx {

namespace {
constexpr std::uint32_t kValueBuffer = 1024;
constexpr std::uint32_t kKeyListBuffer = 16384;

}  // namespace

std::int32_t ParseProfileNumber(std::string text, std::int32_t defaultValue) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.erase(0, 1);
    text[0] = '$';
  }
  return TryParseInteger(text).value_or(defaultValue);
}

std::string ProfileFile::ReadProfileText(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) {
  std::string result;
  profile_.GetString(section.c_str(), key.c_str(), defaultValue.c_str(), result, kValueBuffer,
                     path_);
  return result;
}

void ProfileFile::WriteProfileText(const std::string& section, const std::string& key,
                                   const std::string& text) {
  if (!profile_.WriteString(section.c_str(), key.c_str(), text.c_str(), path_.c_str()))
    throw StoreError::UnableToWrite(path_);
}

std::int32_t ProfileFile::ReadProfileNumber(const std::string& section, const std::string& key,
                                            std::int32_t defaultValue) {
  return ParseProfileNumber(ReadProfileText(section, key, ""), defaultValue);
}

void ProfileFile::WriteProfileNumber(const std::string& section, const std::string& key,
                                     std::int32_t value) {
  WriteProfileText(section, key, std::to_string(value));
}

void ProfileFile::RemoveProfileKey(const std::string& section, const std::string& key) {
  profile_.WriteString(section.c_str(), key.c_str(), nullptr, path_.c_str());
}

void ProfileFile::ListProfileKeys(const std::string& section, std::vector<std::string>& list) {
  list.clear();
  std::string buffer;
  profile_.GetString(section.c_str(), nullptr, "", buffer, kKeyListBuffer, path_);
  std::size_t start = 0;
  while (start < buffer.size()) {
    const auto end = buffer.find('\0', start);
    const std::string name =
        buffer.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (name.empty()) break;
    list.push_back(name);
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

bool ProfileFile::HasProfileSection(const std::string& section) {
  std::vector<std::string> keys;
  ListProfileKeys(section, keys);
  return !keys.empty();
}

bool ProfileFile::HasProfileKey(const std::string& section, const std::string& key) {
  std::vector<std::string> keys;
  ListProfileKeys(section, keys);
  for (const auto& name : keys)
    if (EqualNoCaseCp1251(name, key)) return true;
  return false;
}

void ProfileFile::FlushProfiles() { profile_.WriteString(nullptr, nullptr, nullptr, path_.c_str()); }

}  // namespace vlx
