#include "prefix/wine_server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace vlx::prefix {

namespace {

std::string Hex(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%llx", value);
  return text;
}

// The folders a server for the prefix may use.
std::vector<std::filesystem::path> ServerFolders(const std::filesystem::path& prefix) {
  struct stat st {};
  if (::stat(prefix.c_str(), &st) != 0) return {};
  const std::string name = "server-" + Hex(st.st_dev) + "-" + Hex(st.st_ino);
  std::vector<std::filesystem::path> folders{
      std::filesystem::path("/tmp") / (".wine-" + std::to_string(::getuid())) / name};
  std::ifstream named(prefix / "wineserver");
  std::string base;
  if (named && std::getline(named, base) && !base.empty()) {
    const std::filesystem::path where(base);
    if (where.is_absolute()) {
      folders.push_back(where / name);
    } else {
      folders.push_back(std::filesystem::path("/tmp") / where / name);
      if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp)
        folders.push_back(std::filesystem::path(tmp) / where / name);
    }
  }
  return folders;
}

// Whether another process holds a lock on the file (asked, never taken).
bool LockHeld(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

}  // namespace

bool WineServerRunning(const std::filesystem::path& prefix) {
  for (const auto& folder : ServerFolders(prefix))
    if (LockHeld(folder / "lock")) return true;
  return false;
}

}  // namespace vlx::prefix
