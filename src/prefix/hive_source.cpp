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

const HiveFile::Block& HiveFile::BlockAt(std::uint64_t number) const {
  ++uses_;
  for (Block& block : blocks_)
    if (block.bytes && block.number == number) {
      block.lastUse = uses_;
      return block;
    }
  if (blocks_.size() < kBlocks) blocks_.emplace_back();
  Block& block = *std::min_element(blocks_.begin(), blocks_.end(), [](const Block& a, const Block& b) {
    return a.lastUse < b.lastUse;
  });
  const std::uint64_t start = number * kBlock;
  block.size = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, size_ - start));
  if (!block.bytes) block.bytes = std::make_unique_for_overwrite<char[]>(kBlock);
  block.number = number;
  block.lastUse = uses_;
  try {
    ReadFully(fd_, start, block.bytes.get(), block.size, name_);
  } catch (...) {
    block.bytes.reset();
    throw;
  }
  return block;
}

std::string_view HiveFile::Read(std::uint64_t offset, std::size_t size, std::string& buffer,
                                bool nearby) const {
  if (buffer.size() < size) buffer.resize(std::max(size, buffer.size() * 2));
  if (!nearby || size > kBlock) {
    ReadFully(fd_, offset, buffer.data(), size, name_);
    return {buffer.data(), size};
  }
  // At most two blocks; copied out, so a later read that replaces a block leaves this one whole.
  for (std::size_t done = 0; done < size;) {
    const std::uint64_t at = offset + done;
    const Block& block = BlockAt(at / kBlock);
    const std::size_t from = static_cast<std::size_t>(at % kBlock);
    if (from >= block.size)
      throw PrefixError("Cannot read " + name_ + ": the file is shorter than it was");
    const std::size_t n = std::min(size - done, block.size - from);
    std::memcpy(buffer.data() + done, block.bytes.get() + from, n);
    done += n;
  }
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
