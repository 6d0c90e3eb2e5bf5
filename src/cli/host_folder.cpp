#include "cli/host_folder.h"

#include <cstdio>
#include <memory>

#include "text/cp1251.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace vlx::cli {

std::string HostJoin(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  if (folder.empty() || folder.back() == separator) return folder + name;
  return folder + separator + name;
}

bool HostMakeFolder(const std::string& path) {
#ifdef _WIN32
  return CreateDirectoryA(path.c_str(), nullptr) != 0;
#else
  return ::mkdir(path.c_str(), 0777) == 0;
#endif
}

bool HostFolderExists(const std::string& path) {
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != 0xFFFFFFFFu && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
#endif
}

std::string HostToCp1251(const std::string& text) {
#ifdef _WIN32
  return text;
#else
  return Utf8ToCp1251(text);
#endif
}

namespace {
// C stdio, not iostreams: libstdc++'s file streams import msvcrt functions Windows 98 lacks.
struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;
}  // namespace

bool HostFileExists(const std::string& path) { return File(std::fopen(path.c_str(), "rb")) != nullptr; }

bool HostWriteFile(const std::string& path, const std::string& bytes) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  return std::fclose(file.release()) == 0 && written;
}

bool HostReadFile(const std::string& path, std::string& bytes) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  std::string read;
  char buffer[65536];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) read.append(buffer, count);
  if (std::ferror(file.get())) return false;
  bytes = std::move(read);
  return true;
}

}  // namespace vlx::cli
