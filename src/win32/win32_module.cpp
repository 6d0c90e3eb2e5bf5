#include "win32/win32_module.h"

#include <windows.h>

#include <vector>

namespace vlx::win32 {

std::string ProgramModulePath() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) return std::string(path.data(), length);
    path.resize(path.size() * 2);
  }
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

}  // namespace vlx::win32
