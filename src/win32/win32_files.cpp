#include "win32/win32_files.h"

#include <windows.h>

#include <algorithm>

#include "win32/unique_handle.h"

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


bool Win32Files::WriteWholeFile(const std::string& path, std::string_view bytes) {
  HANDLE raw = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return false;
  UniqueHandle file(raw);
  // WriteFile takes at most a DWORD at a time.
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), chunk, &written, nullptr) || written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}

bool Win32Files::MakeDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32Files::RemoveEmptyDirectory(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != FALSE;
}

}  // namespace vlx::win32
