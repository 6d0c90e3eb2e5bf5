// Several files of one image replaced together, all or none, even when the process dies midway.
// Each new file is first written whole beside its target (TARGET.vlxnew), then a journal names
// the set, then every new file is renamed over its target, then the journal goes. After a crash
// the next run finishes a set whose journal is there, and removes the new files of one that
// never got its journal, before it reads any of the files.
#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "prefix/atomic_file.h"

namespace vlx::prefix {

// The new file written beside `target` before a set is committed.
std::filesystem::path StagedPath(const std::filesystem::path& target);

class FileSet {
 public:
  // `journal` lives in the image; the set's paths are kept in it relative to its folder.
  explicit FileSet(std::filesystem::path journal);
  ~FileSet();  // removes the new files of a set that was not committed
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;

  // Writes the new content of `target` beside it, flushed, with the target's mode. With
  // `expected`, the commit refuses while the target is no longer the file described. Returns
  // the new file's path (for attributes to be set on it before the commit). PrefixError.
  std::filesystem::path Stage(const std::filesystem::path& target,
                              const std::function<void(const PieceWriter&)>& produce,
                              const FileIdentity* expected = nullptr);
  // Puts every staged file in place. A PrefixError raised before the journal is written leaves
  // every target as it was; one after it is finished by the next run.
  void Commit();

 private:
  struct Entry {
    std::filesystem::path target, staged;
    std::optional<FileIdentity> expected;
  };
  std::filesystem::path journal_;
  std::vector<Entry> entries_;
  bool journaled_ = false;  // from the journal's write to its removal
};

// A set begun and not finished: its journal is there, or a new file of one of `targets`.
bool FileSetPending(const std::filesystem::path& journal,
                    const std::vector<std::filesystem::path>& targets);
// Finishes the set a complete journal names (the renames not yet done); without one, removes
// the new files of `targets`. Then the journal goes. PrefixError when a rename fails.
void FinishFileSet(const std::filesystem::path& journal,
                   const std::vector<std::filesystem::path>& targets);

// The journal's text: a first line, "put\tSTAGED\tTARGET" lines (paths relative to the
// journal's folder, '/'-separated) and others the caller adds, and "end". ParseJournal gives
// the lines between, split at tabs; nothing when the text is no complete journal.
std::string JournalText(const std::vector<std::vector<std::string>>& lines);
std::optional<std::vector<std::vector<std::string>>> ParseJournal(const std::string& text);

}  // namespace vlx::prefix
