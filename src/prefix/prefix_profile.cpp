#include "prefix/prefix_profile.h"

#include <filesystem>
#include <fstream>

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
  std::error_code ec;
  if (!host || !std::filesystem::is_regular_file(*host, ec)) return std::string();
  const auto size = std::filesystem::file_size(*host, ec);
  std::ifstream in(*host, std::ios::binary);
  if (ec || !in) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<std::uintmax_t>(in.gcount()) != size) return std::nullopt;
  return bytes;
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
  // A file that exists but cannot be read is never replaced by what the call alone would write.
  auto bytes = ReadFile(path);
  if (!bytes) return false;
  ProfileText text(std::move(*bytes));
  const bool changed = !key     ? text.DeleteSection(section)
                       : !value ? text.DeleteKey(section, key)
                                : text.SetValue(section, key, value);
  return !changed || files_.WriteWholeFile(path, text.Bytes());
}

}  // namespace vlx::prefix
