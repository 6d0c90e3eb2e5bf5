#include "win32/win32_shell.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

namespace vlx::win32 {

bool Win32Shell::SpecialFolderPath(int csidl, std::string& out) {
  // The call takes no size: its contract is a buffer of MAX_PATH characters.
  std::string buffer(MAX_PATH + 1, '\0');
  if (!SHGetSpecialFolderPathA(nullptr, buffer.data(), csidl, FALSE)) return false;
  out.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
  return true;
}

}  // namespace vlx::win32
