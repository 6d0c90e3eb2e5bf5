#include "win32/win32_system_info.h"

#include <windows.h>

#include "platform/win_types.h"

namespace vlx::win32 {

namespace {

// Calls a kernel32 folder query that returns the length copied (without the zero) when the
// buffer is large enough, the size it needs (with the zero) when it is not, and 0 on failure.
// The buffer grows until the answer fits, so no path length is assumed.
template <class Query>
bool QueryFolder(Query query, std::string& out) {
  std::string buffer(MaxPath + 1, '\0');
  for (;;) {
    const UINT length = query(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return false;
    if (length < buffer.size()) {
      out.assign(buffer.data(), length);
      return true;
    }
    buffer.resize(static_cast<std::size_t>(length) + 1);
  }
}

}  // namespace

bool Win32SystemInfo::WindowsDirectory(std::string& out) {
  return QueryFolder([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); }, out);
}

bool Win32SystemInfo::SystemDirectory(std::string& out) {
  return QueryFolder([](char* b, UINT n) { return GetSystemDirectoryA(b, n); }, out);
}

bool Win32SystemInfo::TempPath(std::string& out) {
  return QueryFolder(
      [](char* b, UINT n) { return static_cast<UINT>(GetTempPathA(static_cast<DWORD>(n), b)); },
      out);
}

}  // namespace vlx::win32
