#include "prefix/dos_attributes.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/win_types.h"

namespace vlx::prefix {

namespace {

constexpr const char* kXattrName = "user.DOSATTRIB";
constexpr std::uint32_t kXattrMask = fileattr::Hidden | fileattr::System;

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// "0x6", optionally followed by a zero byte and Samba's binary record, which is not needed here.
std::uint32_t ParseXattr(const std::string& value) {
  const std::string text = value.substr(0, value.find('\0'));
  if (text.size() < 3 || text.compare(0, 2, "0x") != 0) return 0;
  std::uint32_t bits = 0;
  for (std::size_t i = 2; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return 0;
    bits = (bits << 4) | static_cast<std::uint32_t>(digit);
  }
  return bits & kXattrMask;
}

}  // namespace

std::uint32_t StoredDosAttributes(const std::filesystem::path& host) {
  const ssize_t size = ::getxattr(host.c_str(), kXattrName, nullptr, 0);
  if (size <= 0) return 0;
  std::string value(static_cast<std::size_t>(size), '\0');
  const ssize_t got = ::getxattr(host.c_str(), kXattrName, value.data(), value.size());
  if (got <= 0) return 0;
  value.resize(static_cast<std::size_t>(got));
  return ParseXattr(value);
}

std::uint32_t ReadDosAttributes(const std::filesystem::path& host) {
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0) return fileattr::Invalid;
  std::uint32_t attributes = S_ISDIR(st.st_mode) ? fileattr::Directory : fileattr::Archive;
  if (!S_ISDIR(st.st_mode) && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
    attributes |= fileattr::ReadOnly;
  const std::string name = host.filename().string();
  if (!name.empty() && name[0] == '.' && name != "." && name != "..")
    attributes |= fileattr::Hidden;
  return attributes | StoredDosAttributes(host);
}

bool WriteDosAttributes(const std::filesystem::path& host, std::uint32_t attributes) {
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  if (!S_ISDIR(st.st_mode)) {
    if (attributes & fileattr::ReadOnly)
      mode &= ~static_cast<mode_t>(0222);
    else  // write permission where there is read permission, within the umask
      mode |= (0600 | ((mode & 044) >> 1)) & ~CurrentUmask();
  }
  if (mode != (st.st_mode & 07777) && ::chmod(host.c_str(), mode) != 0) return false;

  const std::uint32_t bits = attributes & kXattrMask;
  if (bits == 0) {
    if (::removexattr(host.c_str(), kXattrName) != 0 && errno != ENODATA && errno != ENOTSUP)
      return false;
    return true;
  }
  char text[16];
  const int length = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(bits));
  return ::setxattr(host.c_str(), kXattrName, text, static_cast<std::size_t>(length), 0) == 0;
}

}  // namespace vlx::prefix
