// The names in folders of a machine image, each folder listed once and kept while it stays
// unchanged, so resolving many names in a large folder (C:\WINDOWS\SYSTEM) lists it once.
#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "prefix/atomic_file.h"

namespace vlx::prefix {

class DirectoryListings {
 public:
  // The names in `dir` without "." and ".."; none when it cannot be read. Valid until the next
  // call.
  const std::vector<std::string>& Names(const std::filesystem::path& dir);

 private:
  struct Listing {
    FileIdentity folder;
    std::vector<std::string> names;
  };
  std::map<std::filesystem::path, Listing> kept_;
  std::vector<std::string> fresh_;
};

}  // namespace vlx::prefix
