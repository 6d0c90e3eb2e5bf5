// Files port over kernel32.
#pragma once
#include "platform/files.h"
#include "platform/text_files.h"

namespace vlx::win32 {

class Win32Files : public Files, public TextFiles {
 public:
  std::uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool Exists(const std::string& path) override;
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override;
  bool MakeDirectory(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;
  bool ReadWholeFile(const std::string& path, std::string& bytes) override;
  // A temporary file in the same folder, flushed, then moved over the file (on Windows 9x,
  // which cannot replace by a move, the file is deleted first; the new bytes then stay in the
  // temporary file should the move fail). Hidden and system attributes are kept.
  bool ReplaceWholeFile(const std::string& path, std::string_view bytes) override;
};

}  // namespace vlx::win32
