// Bytes of a file read where they are asked for: a string held whole, or a file read piece by
// piece on demand, so a lookup in a large file reads only the parts it touches.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace vlx::prefix {

// Reads `size` bytes at `offset` of an open file with pread; PrefixError naming `name` when it
// cannot, or when the file is shorter than that.
void ReadFully(int fd, std::uint64_t offset, char* out, std::size_t size, const std::string& name);

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // The bytes [offset, offset + size), which the caller has checked lie within Size(); valid as
  // long as the source lives. PrefixError when they cannot be read.
  virtual std::string_view Read(std::uint64_t offset, std::size_t size) const = 0;
};

class StringBytes : public ByteSource {
 public:
  explicit StringBytes(std::string bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::string_view Read(std::uint64_t offset, std::size_t size) const override {
    return std::string_view(bytes_).substr(offset, size);
  }

 private:
  std::string bytes_;
};

// Reads aligned blocks with pread and keeps them; a span across blocks is read and kept whole.
class FileBytes : public ByteSource {
 public:
  // PrefixError naming the file when it cannot be opened.
  explicit FileBytes(const std::filesystem::path& file);
  ~FileBytes() override;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  std::uint64_t Size() const override { return size_; }
  std::string_view Read(std::uint64_t offset, std::size_t size) const override;

 private:
  static constexpr std::uint64_t kBlock = 4096;
  std::unique_ptr<char[]> Fetch(std::uint64_t offset, std::size_t size) const;

  std::string name_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  mutable std::map<std::uint64_t, std::unique_ptr<char[]>> blocks_;  // by block number
  mutable std::map<std::pair<std::uint64_t, std::size_t>, std::unique_ptr<char[]>> spans_;
};

}  // namespace vlx::prefix
