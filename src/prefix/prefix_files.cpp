#include "prefix/prefix_files.h"

#include "prefix/dos_attributes.h"

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

}  // namespace vlx::prefix
