#include "prefix/file_set.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "prefix/prefix_error.h"

namespace vlx::prefix {

namespace fs = std::filesystem;

namespace {

constexpr const char* kJournalHeader = "VOLNERIX FILE SET 1";

// Makes the renames and removals in `folder` durable.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  return text.str();
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// The new file of `target` and the temporary files of its write (NAME.vlxnew.XXXXXX) that a
// stopped run left.
std::vector<fs::path> Leftovers(const fs::path& target) {
  std::vector<fs::path> found;
  const std::string staged = StagedPath(target).filename().string();
  std::error_code ec;
  for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name == staged || name.rfind(staged + ".", 0) == 0) found.push_back(it->path());
  }
  return found;
}

void RemoveStaged(const std::vector<fs::path>& targets) {
  std::error_code ec;
  for (const auto& target : targets)
    if (!target.empty())
      for (const auto& path : Leftovers(target)) fs::remove(path, ec);
}

}  // namespace

fs::path StagedPath(const fs::path& target) { return target.string() + ".vlxnew"; }

std::string JournalText(const std::vector<std::vector<std::string>>& lines) {
  std::string text = std::string(kJournalHeader) + "\n";
  for (const auto& fields : lines) {
    for (std::size_t i = 0; i < fields.size(); ++i) text += (i ? "\t" : "") + fields[i];
    text += "\n";
  }
  return text + "end\n";
}

std::optional<std::vector<std::vector<std::string>>> ParseJournal(const std::string& text) {
  std::vector<std::vector<std::string>> lines;
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kJournalHeader) return std::nullopt;
  while (std::getline(in, line)) {
    if (line == "end") return in.peek() == EOF ? std::optional(lines) : std::nullopt;
    std::vector<std::string> fields;
    for (std::size_t start = 0, end; start <= line.size(); start = end + 1) {
      end = std::min(line.find('\t', start), line.size());
      fields.push_back(line.substr(start, end - start));
    }
    lines.push_back(std::move(fields));
  }
  return std::nullopt;  // cut short
}

FileSet::FileSet(fs::path journal) : journal_(std::move(journal)) {}

FileSet::~FileSet() {
  if (journaled_) return;  // the next run finishes the set
  std::error_code ec;
  for (const auto& entry : entries_) fs::remove(entry.staged, ec);
}

fs::path FileSet::Stage(const fs::path& target, const std::function<void(const PieceWriter&)>& produce,
                        const FileIdentity* expected) {
  const fs::path staged = StagedPath(target);
  entries_.push_back({target, staged, expected ? std::optional(*expected) : std::nullopt});
  WriteFileAtomically(staged, produce);
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) ::chmod(staged.c_str(), st.st_mode & 07777);
  return staged;
}

void FileSet::Commit() {
  for (const auto& entry : entries_)
    if (entry.expected && IdentityOf(entry.target) != *entry.expected)
      throw PrefixError("Not saved: " + entry.target.string() +
                        " changed on disk since it was loaded; it keeps what is there now");
  // One file needs no journal: its rename is the commit.
  const bool journaled = entries_.size() > 1;
  if (journaled) {
    const fs::path base = journal_.parent_path();
    std::vector<std::vector<std::string>> lines;
    for (const auto& entry : entries_)
      lines.push_back({"put", entry.staged.lexically_relative(base).generic_string(),
                       entry.target.lexically_relative(base).generic_string()});
    WriteFileAtomically(journal_, JournalText(lines));
    SyncFolder(base);
    journaled_ = true;
  }
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (::rename(it->staged.c_str(), it->target.c_str()) != 0) {
      const int error = errno;
      // Without a journal nothing has changed yet; with one, the next run finishes the set.
      throw PrefixError("Cannot write " + it->target.string() + ": rename failed (" +
                        std::strerror(error) + ")" +
                        (journaled ? "; the next run finishes writing the set" : ""));
    }
    SyncFolder(it->target.parent_path());
    it = entries_.erase(it);
  }
  if (journaled) {
    std::error_code ec;
    fs::remove(journal_, ec);
    SyncFolder(journal_.parent_path());
    journaled_ = false;
  }
}

bool FileSetPending(const fs::path& journal, const std::vector<fs::path>& targets) {
  if (Exists(journal)) return true;
  for (const auto& target : targets)
    if (!target.empty() && !Leftovers(target).empty()) return true;
  return false;
}

void FinishFileSet(const fs::path& journal, const std::vector<fs::path>& targets) {
  if (Exists(journal)) {
    const fs::path base = journal.parent_path();
    if (const auto lines = ParseJournal(ReadText(journal))) {
      for (const auto& fields : *lines) {
        if (fields.size() != 3 || fields[0] != "put") continue;
        const fs::path staged = base / fields[1], target = base / fields[2];
        if (!Exists(staged)) continue;  // renamed before the stop
        if (::rename(staged.c_str(), target.c_str()) != 0)
          throw PrefixError("Cannot finish the write of " + target.string() +
                            " that an earlier run began: rename failed (" + std::strerror(errno) +
                            ")");
        SyncFolder(target.parent_path());
      }
    }
  }
  RemoveStaged(targets);
  std::error_code ec;
  fs::remove(journal, ec);
  SyncFolder(journal.parent_path());
}

}  // namespace vlx::prefix
