// Files port: kernel32 file calls on Windows paths ("C:\WINDOWS\system.ini").
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace vlx {

class Files {
 public:
  virtual ~Files() = default;

  // GetFileAttributesA: fileattr bits, fileattr::Invalid when the path does not exist.
  virtual std::uint32_t GetAttributes(const std::string& path) = 0;
  // SetFileAttributesA: read-only, hidden, system, archive.
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // A file or directory exists at the path.
  virtual bool Exists(const std::string& path) = 0;
  // CreateFileA(CREATE_ALWAYS) + WriteFile: the file holds exactly `bytes` afterwards, created or
  // replaced. False when the file cannot be created or written.
  virtual bool WriteWholeFile(const std::string& path, std::string_view bytes) = 0;
  // CreateDirectoryA: one level, the parent must exist; false also when it already exists.
  virtual bool MakeDirectory(const std::string& path) = 0;
  // RemoveDirectoryA: an empty directory only.
  virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
};

}  // namespace vlx
