// Files, text files, file operations and INI files kept in memory above the real ones: reads see
// the pending changes; every change is logged so that it can be shown, or done for real later.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system_info.h"
#include "platform/text_files.h"

namespace vlx::overlay {

// The ports below the overlay.
struct FilePorts {
  Files& files;
  TextFiles& textFiles;
  FileOps& fileOps;
  Profile& profile;
  SystemInfo& system;
};

// One change as it was asked for: a line to show and the same call on the real ports.
struct FileChange {
  std::string text;
  std::function<bool(FilePorts&)> redo;
};

// A path's state before and after the pending changes.
struct FileState {
  bool exists = false;
  bool directory = false;
  std::uint32_t attributes = 0;
  std::optional<std::string> bytes;  // a file's content (none for a directory)
};

class OverlayFiles : public Files, public TextFiles, public FileOps, public Profile {
 public:
  explicit OverlayFiles(FilePorts base) : base_(base) {}

  std::uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool Exists(const std::string& path) override;
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override;
  bool MakeDirectory(const std::string& path) override;
  bool RemoveEmptyDirectory(const std::string& path) override;

  bool ReadWholeFile(const std::string& path, std::string& bytes) override;
  bool ReplaceWholeFile(const std::string& path, std::string_view bytes) override;

  bool OpenExclusive(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  bool Delete(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool FindFirst(const std::string& path, FoundFile& out) override;
  // With wildcards: the entries below, less those the pending changes remove.
  bool FindAll(const std::string& path, std::vector<FoundFile>& out) override;

  std::uint32_t GetString(const char* section, const char* key, const char* defaultValue,
                          std::string& result, std::uint32_t bufferSize,
                          const std::string& file) override;
  bool WriteString(const char* section, const char* key, const char* value,
                   const char* file) override;

  // Every change in the order asked for.
  const std::vector<FileChange>& Log() const { return log_; }
  // The paths the changes touch, as first named, in the order first touched.
  std::vector<std::string> Touched() const;
  // A touched path as it is below the overlay and as it would be.
  FileState Before(const std::string& path);
  FileState After(const std::string& path);

 private:
  struct Pending {
    std::string path;  // as first named
    FileState state;
    bool contentKnown = false;  // state.bytes holds the content (else it is the base's)
  };

  static std::string Id(const std::string& path);
  std::string ProfilePath(const char* file);
  Pending* Find(const std::string& path);
  // The path's entry, taken from the base on first use.
  Pending& Take(const std::string& path);
  FileState Current(const std::string& path);
  bool ReadCurrent(const std::string& path, std::string& bytes);
  bool ParentIsFolder(const std::string& path);
  bool Store(const std::string& path, std::string_view bytes, bool keepAttributes,
             std::uint32_t newAttributes);
  void Record(std::string text, std::function<bool(FilePorts&)> redo);

  FilePorts base_;
  std::map<std::string, Pending> pending_;  // by Id
  std::vector<std::string> order_;          // ids in the order first touched
  std::vector<FileChange> log_;
};

}  // namespace vlx::overlay
