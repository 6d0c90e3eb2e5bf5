#include "prefix/prefix_profile.h"

#include <fstream>
#include <iterator>

#include "prefix/profile_engine.h"

namespace vlx::prefix {

std::string PrefixProfile::FullPath(const char* file) {
  const std::string name = file && *file ? file : "win.ini";
  const bool absolute = name[0] == '\\' || name[0] == '/' || (name.size() > 1 && name[1] == ':');
  if (absolute) return name;
  std::string windows;
  if (!system_.WindowsDirectory(windows) || windows.empty()) windows = "C:\\WINDOWS";
  if (windows.back() != '\\') windows += '\\';
  return windows + name;
}

std::optional<std::string> PrefixProfile::ReadFile(const std::string& windowsPath) const {
  const auto host = paths_.ToHost(windowsPath);
  if (!host) return std::nullopt;
  std::ifstream in(*host, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t PrefixProfile::GetString(const char* section, const char* key,
                                       const char* defaultValue, std::string& result,
                                       std::uint32_t bufferSize, const std::string& file) {
  // A file that is missing or unreadable reads as an empty one.
  const ProfileText text(ReadFile(FullPath(file.c_str())).value_or(std::string()));
  return text.GetString(section, key, defaultValue, bufferSize, result);
}

bool PrefixProfile::WriteString(const char* section, const char* key, const char* value,
                                const char* file) {
  if (!section) return false;
  const std::string path = FullPath(file);
  if (!paths_.ToHost(path)) return false;
  ProfileText text(ReadFile(path).value_or(std::string()));
  const bool changed = !key     ? text.DeleteSection(section)
                       : !value ? text.DeleteKey(section, key)
                                : text.SetValue(section, key, value);
  return !changed || files_.WriteWholeFile(path, text.Bytes());
}

}  // namespace vlx::prefix
