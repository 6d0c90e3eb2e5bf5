#include "win32/win32_files.h"

#include <windows.h>

namespace vlx::win32 {

std::uint32_t Win32Files::GetAttributes(const std::string& path) {
  return GetFileAttributesA(path.c_str());
}

bool Win32Files::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool Win32Files::Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace vlx::win32
