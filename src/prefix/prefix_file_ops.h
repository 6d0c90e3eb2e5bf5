// File operations on a machine image. A file counts as in use by a running program while a host
// process holds a lock on it (flock), so `flock FILE command` stands for that program: as on
// Windows, the file cannot then be opened exclusively, deleted, renamed or overwritten, while a
// shared read (a copy from it) still succeeds.
#pragma once
#include "platform/file_ops.h"
#include "prefix/path_mapper.h"

namespace vlx::prefix {

class PrefixFileOps : public FileOps {
 public:
  explicit PrefixFileOps(const PathMapper& paths) : paths_(paths) {}

  bool OpenExclusive(const std::string& path) override;
  bool Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  bool Delete(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  // Wildcards (* and ?) are honoured in the last component; matches come in name order.
  bool FindFirst(const std::string& path, FoundFile& out) override;
  bool FindAll(const std::string& path, std::vector<FoundFile>& out) override;

 private:
  // The entries matching, in name order; only the first when `firstOnly`.
  bool Search(const std::string& path, bool firstOnly, std::vector<FoundFile>& out);

  const PathMapper& paths_;
};

// Windows wildcard match of a name (CP1251) without regard to case.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

}  // namespace vlx::prefix
