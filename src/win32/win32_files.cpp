#include "win32/win32_files.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

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


namespace {

// WriteFile takes at most a DWORD at a time.
bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// A new empty file beside `path` (GetTempFileNameA); empty when none can be made.
std::string TemporaryBeside(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  std::string name(MAX_PATH + 1, '\0');
  if (GetTempFileNameA(folder.c_str(), "vlx", 0, name.data()) == 0) return {};
  name.resize(std::strlen(name.c_str()));
  return name;
}

}  // namespace

bool Win32Files::WriteWholeFile(const std::string& path, std::string_view bytes) {
  HANDLE raw = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return false;
  UniqueHandle file(raw);
  return WriteAll(file.get(), bytes);
}

bool Win32Files::ReadWholeFile(const std::string& path, std::string& bytes) {
  HANDLE raw = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return false;
  UniqueHandle file(raw);
  std::string read;
  char chunk[16384];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) return false;
    if (got == 0) break;
    read.append(chunk, got);
  }
  bytes = std::move(read);
  return true;
}

bool Win32Files::ReplaceWholeFile(const std::string& path, std::string_view bytes) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  const std::string temporary = TemporaryBeside(path);
  if (temporary.empty()) return false;
  bool written = false;
  {
    HANDLE raw = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw != INVALID_HANDLE_VALUE) {
      UniqueHandle file(raw);
      written = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
    }
  }
  if (!written) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  bool moved = MoveFileExA(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  if (!moved && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    if (attributes != INVALID_FILE_ATTRIBUTES && !DeleteFileA(path.c_str())) {
      DeleteFileA(temporary.c_str());
      return false;
    }
    moved = MoveFileA(temporary.c_str(), path.c_str()) != FALSE;
  } else if (!moved) {
    DeleteFileA(temporary.c_str());
  }
  if (moved && attributes != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(path.c_str(), attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                   FILE_ATTRIBUTE_ARCHIVE));
  return moved;
}

bool Win32Files::MakeDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32Files::RemoveEmptyDirectory(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != FALSE;
}

}  // namespace vlx::win32
