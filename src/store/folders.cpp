#include "store/folders.h"

namespace vlx {

namespace {
std::string WithoutTrailingBackslash(std::string path) {
  // Only a root such as "C:\" keeps its backslash, as GetWindowsDirectoryA reports it.
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}
}  // namespace

std::string GetWindowsDir(SystemInfo& system) {
  std::string dir;
  return system.WindowsDirectory(dir) ? WithoutTrailingBackslash(dir) : std::string();
}

std::string GetSystemDir(SystemInfo& system) {
  std::string dir;
  return system.SystemDirectory(dir) ? WithoutTrailingBackslash(dir) : std::string();
}

std::string GetTempDir(SystemInfo& system) {
  std::string dir;
  return system.TempPath(dir) && !dir.empty() ? dir : std::string(" ");
}

std::string GetBootDrive(SystemInfo& system) { return GetWindowsDir(system).substr(0, 2); }

}  // namespace vlx
