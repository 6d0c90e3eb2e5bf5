// The bytes a registry file was read from, for reading its parts again later: the text given, or
// the file itself through a descriptor held open (so a file replaced since still reads as loaded).
// Each read fills a buffer the caller owns; a file keeps a few recent blocks for small reads.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "prefix/atomic_file.h"

namespace vlx::prefix {

class HiveSource {
 public:
  virtual ~HiveSource() = default;
  virtual std::uint64_t Size() const = 0;
  // The bytes [offset, offset + size), which the caller has checked lie within Size(); valid
  // until `buffer` changes or the source goes. PrefixError when they cannot be read. `nearby`:
  // one of many small reads close to one another (lookups), worth keeping what is read for.
  virtual std::string_view Read(std::uint64_t offset, std::size_t size, std::string& buffer,
                                bool nearby = false) const = 0;
};

class HiveText : public HiveSource {
 public:
  explicit HiveText(std::string text) : text_(std::move(text)) {}
  std::uint64_t Size() const override { return text_.size(); }
  std::string_view Read(std::uint64_t offset, std::size_t size, std::string&,
                        bool = false) const override {
    return std::string_view(text_).substr(offset, size);
  }

 private:
  std::string text_;
};

class HiveFile : public HiveSource {
 public:
  // PrefixError naming the file when it cannot be opened; `identity` receives what was opened.
  HiveFile(const std::filesystem::path& path, FileIdentity& identity);
  ~HiveFile() override;
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  std::uint64_t Size() const override { return size_; }
  std::string_view Read(std::uint64_t offset, std::size_t size, std::string& buffer,
                        bool nearby = false) const override;

 private:
  // Nearby small reads (a key's section, a header) share blocks read once.
  static constexpr std::size_t kBlock = 32 * 1024, kBlocks = 8;
  struct Block {
    std::uint64_t number = 0;
    std::uint64_t lastUse = 0;
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
  };
  const Block& BlockAt(std::uint64_t number) const;

  std::string name_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  mutable std::vector<Block> blocks_;
  mutable std::uint64_t uses_ = 0;
};

// Reads a source front to back in blocks: the bytes from an offset on, as far as the block read
// reaches. For passes (writing, comparing) over a large file that keep nothing behind them.
class HiveCursor {
 public:
  explicit HiveCursor(const HiveSource& source) : source_(source) {}
  // At most `size` bytes from `offset` (within the source's size), at least one when size > 0.
  std::string_view At(std::uint64_t offset, std::uint64_t size);

 private:
  static constexpr std::size_t kBlock = 64 * 1024;
  const HiveSource& source_;
  std::string buffer_;
  std::uint64_t start_ = 0;
  std::string_view block_;
};

}  // namespace vlx::prefix
