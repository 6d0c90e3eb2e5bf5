#include "prefix/prefix_file_ops.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>

#include "platform/win_types.h"
#include "prefix/atomic_file.h"
#include "prefix/dos_attributes.h"
#include "prefix/prefix_error.h"
#include "text/cp1251.h"

namespace vlx::prefix {

namespace fs = std::filesystem;

namespace {

bool IsRegularFile(const fs::path& host) {
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsReadOnly(const fs::path& host) {
  const std::uint32_t attributes = ReadDosAttributes(host);
  return attributes != fileattr::Invalid && (attributes & fileattr::ReadOnly) != 0;
}

// Another open file description holds a lock on the file.
bool HeldByOther(const fs::path& host) {
  const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // releases our lock if we got it
  return held;
}

std::optional<fs::path> ExistingFile(const PathMapper& paths, const std::string& path) {
  auto host = paths.ToHost(path);
  if (!host || !IsRegularFile(*host)) return std::nullopt;
  return host;
}

}  // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' ||
                Cp1251ToLower(static_cast<unsigned char>(pattern[p])) ==
                    Cp1251ToLower(static_cast<unsigned char>(name[n])))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool PrefixFileOps::OpenExclusive(const std::string& path) {
  const auto host = ExistingFile(paths_, path);
  if (!host || IsReadOnly(*host) || HeldByOther(*host)) return false;
  const int fd = ::open(host->c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool PrefixFileOps::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  const auto source = ExistingFile(paths_, from);
  const auto target = paths_.ToHost(to);
  if (!source || !target) return false;  // a source in use still reads
  std::error_code ec;
  if (fs::exists(*target, ec)) {
    if (failIfExists || !IsRegularFile(*target) || IsReadOnly(*target) || HeldByOther(*target) ||
        fs::equivalent(*source, *target, ec))
      return false;
  } else if (!fs::is_directory(target->parent_path(), ec)) {
    return false;
  }
  std::ifstream in(*source, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return false;
  try {
    WriteFileAtomically(*target, content.str());
  } catch (const PrefixError&) {
    return false;
  }
  // CopyFile gives the copy the attributes of its source.
  return WriteDosAttributes(*target, ReadDosAttributes(*source));
}

bool PrefixFileOps::Delete(const std::string& path) {
  const auto host = ExistingFile(paths_, path);
  if (!host || IsReadOnly(*host) || HeldByOther(*host)) return false;
  return ::unlink(host->c_str()) == 0;
}

bool PrefixFileOps::Rename(const std::string& from, const std::string& to) {
  const auto source = ExistingFile(paths_, from);
  const auto target = paths_.ToHost(to);
  std::error_code ec;
  if (!source || !target || HeldByOther(*source) || fs::exists(*target, ec) ||
      !fs::is_directory(target->parent_path(), ec))
    return false;
  return ::rename(source->c_str(), target->c_str()) == 0;
}

bool PrefixFileOps::FindFirst(const std::string& path, FoundFile& out) {
  std::vector<FoundFile> all;
  if (!Search(path, true, all)) return false;
  out = all.front();
  return true;
}

bool PrefixFileOps::FindAll(const std::string& path, std::vector<FoundFile>& out) {
  return Search(path, false, out);
}

bool PrefixFileOps::Search(const std::string& path, bool firstOnly, std::vector<FoundFile>& out) {
  const auto cut = path.find_last_of("\\/");
  if (cut == std::string::npos || cut + 1 == path.size()) return false;
  const std::string pattern = path.substr(cut + 1);
  std::vector<fs::path> found;
  if (pattern.find_first_of("*?") == std::string::npos) {
    const auto host = paths_.ToHost(path);
    std::error_code ec;
    if (!host || !fs::exists(*host, ec)) return false;
    found.push_back(*host);
  } else {
    const auto dir = paths_.ToHost(path.substr(0, cut + 1));
    std::error_code ec;
    if (!dir || !fs::is_directory(*dir, ec)) return false;
    std::set<std::string> names;
    for (fs::directory_iterator it(*dir, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (MatchesWildcard(Utf8ToCp1251(name), pattern)) names.insert(name);
    }
    if (names.empty()) return false;
    for (const std::string& name : names) {
      found.push_back(*dir / name);
      if (firstOnly) break;
    }
  }
  for (const fs::path& entry : found) {
    FoundFile file;
    file.name = Utf8ToCp1251(entry.filename().string());
    file.attributes = ReadDosAttributes(entry);
    std::error_code ec;
    file.size = IsRegularFile(entry) ? fs::file_size(entry, ec) : 0;
    if (ec) file.size = 0;
    out.push_back(std::move(file));
  }
  return true;
}

}  // namespace vlx::prefix
