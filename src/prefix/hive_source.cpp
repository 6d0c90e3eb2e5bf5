#include "prefix/hive_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "prefix/byte_source.h"
#include "prefix/prefix_error.h"

namespace vlx::prefix {

HiveFile::HiveFile(const std::filesystem::path& path, FileIdentity& identity)
    : name_(path.string()) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ >= 0) identity = IdentityOf(fd_);
  if (fd_ < 0 || !identity.exists) {
    const int error = errno;
    if (fd_ >= 0) ::close(fd_);
    throw PrefixError("Cannot read " + name_ + ": " + std::strerror(error));
  }
  size_ = identity.size;
}

HiveFile::~HiveFile() { ::close(fd_); }

std::string_view HiveFile::Read(std::uint64_t offset, std::size_t size,
                                std::string& buffer) const {
  if (buffer.size() < size) buffer.resize(std::max(size, buffer.size() * 2));
  ReadFully(fd_, offset, buffer.data(), size, name_);
  return {buffer.data(), size};
}

std::string_view HiveCursor::At(std::uint64_t offset, std::uint64_t size) {
  if (offset < start_ || offset >= start_ + block_.size()) {
    const std::uint64_t left = source_.Size() - offset;
    block_ = source_.Read(offset, static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, left)),
                          buffer_);
    start_ = offset;
  }
  const std::string_view rest = block_.substr(static_cast<std::size_t>(offset - start_));
  return rest.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(size, rest.size())));
}

}  // namespace vlx::prefix
