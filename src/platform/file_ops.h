// File operations port: the exclusive-open test, copy, delete and the directory search by path
// (kernel32 CreateFileA, CopyFileA, DeleteFileA, FindFirstFileA).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vlx {

// What FindFirstFileA reports for the first entry matching a path.
struct FoundFile {
  std::string name;        // cFileName: the name as its folder lists it, without the folder
  std::uint64_t size = 0;  // nFileSizeHigh:nFileSizeLow
  std::uint32_t attributes = 0;
};

class FileOps {
 public:
  virtual ~FileOps() = default;

  // CreateFileA(GENERIC_READ | GENERIC_WRITE, no sharing, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL),
  // closed at once. False when the file cannot be opened that way (in use, refused, missing).
  virtual bool OpenExclusive(const std::string& path) = 0;
  // CopyFileA(from, to, failIfExists).
  virtual bool Copy(const std::string& from, const std::string& to, bool failIfExists) = 0;
  // DeleteFileA.
  virtual bool Delete(const std::string& path) = 0;
  // MoveFileA: false when the source is missing or the target exists.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // FindFirstFileA on the path (any attributes), FindClose; false when nothing matches.
  virtual bool FindFirst(const std::string& path, FoundFile& out) = 0;
  // FindFirstFileA, FindNextFileA to the end, FindClose: every entry matching, in the order the
  // search gives them; false when nothing matches.
  virtual bool FindAll(const std::string& path, std::vector<FoundFile>& out) = 0;
};

}  // namespace vlx
