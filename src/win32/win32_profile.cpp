#include "win32/win32_profile.h"

#include <windows.h>

#include <algorithm>

namespace vlx::win32 {

std::uint32_t Win32Profile::GetString(const char* section, const char* key,
                                      const char* defaultValue, std::string& result,
                                      std::uint32_t bufferSize, const std::string& file) {
  // One spare byte beyond what the API is told, so a zero-sized request still has a valid buffer.
  std::string buffer(static_cast<std::size_t>(bufferSize) + 1, '\0');
  const DWORD copied = GetPrivateProfileStringA(section, key, defaultValue, buffer.data(),
                                                bufferSize, file.c_str());
  result.assign(buffer.data(), std::min<std::size_t>(copied, bufferSize));
  return copied;
}

bool Win32Profile::WriteString(const char* section, const char* key, const char* value,
                               const char* file) {
  return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

}  // namespace vlx::win32
