// File operations port over kernel32.
#pragma once
#include "platform/file_ops.h"

namespace vlx::win32 {

class Win32FileOps : public FileOps {
 public:
  bool OpenExclusive(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  bool Delete(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool FindFirst(const std::string& path, FoundFile& out) override;
  bool FindAll(const std::string& path, std::vector<FoundFile>& out) override;
};

}  // namespace vlx::win32
