// Files port over a machine image: Windows paths mapped into drive_c/, attributes as Wine keeps them.
#pragma once
#include "platform/files.h"
#include "platform/text_files.h"
#include "prefix/path_mapper.h"

namespace vlx::prefix {

class PrefixFiles : public Files, public TextFiles {
 public:
  explicit PrefixFiles(const PathMapper& paths) : paths_(paths) {}

  std::uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool Exists(const std::string& path) override;
  // Replaced atomically; hidden and system stay as they were (Wine truncates in place), a
  // read-only file or a missing folder makes the call fail.
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override;
  bool MakeDirectory(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;
  bool ReadWholeFile(const std::string& path, std::string& bytes) override;
  // WriteWholeFile: it is atomic already.
  bool ReplaceWholeFile(const std::string& path, std::string_view bytes) override {
    return WriteWholeFile(path, bytes);
  }

 private:
  const PathMapper& paths_;
};

}  // namespace vlx::prefix
