#include "win32/win32_file_ops.h"

#include <windows.h>

#include <cstring>

namespace vlx::win32 {

bool Win32FileOps::OpenExclusive(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool Win32FileOps::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  return CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool Win32FileOps::Delete(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32FileOps::Rename(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

namespace {

FoundFile Found(const WIN32_FIND_DATAA& data) {
  FoundFile found;
  found.name.assign(data.cFileName, strnlen(data.cFileName, sizeof data.cFileName));
  found.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  found.attributes = data.dwFileAttributes;
  return found;
}

}  // namespace

bool Win32FileOps::FindFirst(const std::string& path, FoundFile& out) {
  WIN32_FIND_DATAA data{};
  HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  out = Found(data);
  return true;
}

bool Win32FileOps::FindAll(const std::string& path, std::vector<FoundFile>& out) {
  WIN32_FIND_DATAA data{};
  HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do out.push_back(Found(data));
  while (FindNextFileA(search, &data));
  FindClose(search);
  return true;
}

}  // namespace vlx::win32
