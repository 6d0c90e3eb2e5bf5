#include "prefix/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "prefix/prefix_error.h"

namespace vlx::prefix {

FileBytes::FileBytes(const std::filesystem::path& file) : name_(file.string()) {
  fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
    const int error = errno;
    if (fd_ >= 0) ::close(fd_);
    throw PrefixError("Cannot read " + name_ + ": " + std::strerror(error));
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
}

FileBytes::~FileBytes() { ::close(fd_); }

void ReadFully(int fd, std::uint64_t offset, char* out, std::size_t size, const std::string& name) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      throw PrefixError("Cannot read " + name + ": " +
                        (n < 0 ? std::strerror(errno) : "the file is shorter than it was"));
    done += static_cast<std::size_t>(n);
  }
}

std::unique_ptr<char[]> FileBytes::Fetch(std::uint64_t offset, std::size_t size) const {
  auto buffer = std::make_unique_for_overwrite<char[]>(size);
  ReadFully(fd_, offset, buffer.get(), size, name_);
  return buffer;
}

std::string_view FileBytes::Read(std::uint64_t offset, std::size_t size) const {
  if (size == 0) return {};
  const std::uint64_t first = offset / kBlock, last = (offset + size - 1) / kBlock;
  if (first == last) {
    auto& block = blocks_[first];
    if (!block) {
      const std::uint64_t start = first * kBlock;
      block = Fetch(start, std::min(kBlock, size_ - start));
    }
    return {block.get() + (offset - first * kBlock), size};
  }
  auto& span = spans_[{offset, size}];
  if (!span) span = Fetch(offset, size);
  return {span.get(), size};
}

}  // namespace vlx::prefix
