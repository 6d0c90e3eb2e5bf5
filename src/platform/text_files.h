// Text files port: a whole file read at once, and a whole file replaced so that a failure never
// leaves it half written (kernel32 CreateFileA, ReadFile, WriteFile, MoveFileExA).
#pragma once
#include <string>
#include <string_view>

namespace vlx {

class TextFiles {
 public:
  virtual ~TextFiles() = default;

  // The file's bytes, exactly. False when it cannot be opened or read (`bytes` is then left
  // alone).
  virtual bool ReadWholeFile(const std::string& path, std::string& bytes) = 0;
  // Afterwards the file holds exactly `bytes` or, when this fails, exactly what it held
  // before: the bytes go to a new file beside it, which then takes its place. Fails on a
  // read-only file and when the folder is missing.
  virtual bool ReplaceWholeFile(const std::string& path, std::string_view bytes) = 0;
};

}  // namespace vlx
