#include "prefix/prefix_files.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "prefix/atomic_file.h"
#include "prefix/dos_attributes.h"
#include "prefix/prefix_error.h"

namespace vlx::prefix {

std::uint32_t PrefixFiles::GetAttributes(const std::string& path) {
  const auto host = paths_.ToHost(path);
  return host ? ReadDosAttributes(*host) : fileattr::Invalid;
}

bool PrefixFiles::SetAttributes(const std::string& path, std::uint32_t attributes) {
  const auto host = paths_.ToHost(path);
  return host && WriteDosAttributes(*host, attributes);
}

bool PrefixFiles::Exists(const std::string& path) {
  return GetAttributes(path) != fileattr::Invalid;
}

bool PrefixFiles::WriteWholeFile(const std::string& path, std::string_view bytes) {
  const auto host = paths_.ToHost(path);
  if (!host) return false;
  std::error_code ec;
  if (!std::filesystem::is_directory(host->parent_path(), ec)) return false;
  std::uint32_t kept = 0;
  const std::uint32_t attributes = ReadDosAttributes(*host);
  if (attributes != fileattr::Invalid) {
    if (attributes & (fileattr::Directory | fileattr::ReadOnly)) return false;
    kept = StoredDosAttributes(*host);
  }
  try {
    WriteFileAtomically(*host, bytes);
  } catch (const PrefixError&) {
    return false;  // the port reports failure as the API does
  }
  return kept == 0 || WriteDosAttributes(*host, kept);
}

bool PrefixFiles::MakeDirectory(const std::string& path) {
  const auto host = paths_.ToHost(path);
  if (!host) return false;
  std::error_code ec;
  if (!std::filesystem::is_directory(host->parent_path(), ec)) return false;
  return std::filesystem::create_directory(*host, ec) && !ec;
}

bool PrefixFiles::RemoveEmptyDirectory(const std::string& path) {
  const auto host = paths_.ToHost(path);
  if (!host) return false;
  std::error_code ec;
  if (!std::filesystem::is_directory(*host, ec) || !std::filesystem::is_empty(*host, ec) || ec)
    return false;
  return std::filesystem::remove(*host, ec) && !ec;
}

bool PrefixFiles::ReadWholeFile(const std::string& path, std::string& bytes) {
  const auto host = paths_.ToHost(path);
  std::error_code ec;
  if (!host || !std::filesystem::is_regular_file(*host, ec)) return false;
  std::ifstream in(*host, std::ios::binary);
  if (!in) return false;
  std::string read{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return false;
  bytes = std::move(read);
  return true;
}

}  // namespace vlx::prefix
