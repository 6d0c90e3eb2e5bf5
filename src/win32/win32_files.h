// Files port over kernel32.
#pragma once
#include "platform/files.h"

namespace vlx::win32 {

class Win32Files : public Files {
 public:
  std::uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool Exists(const std::string& path) override;
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override;
  bool MakeDirectory(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;
};

}  // namespace vlx::win32
