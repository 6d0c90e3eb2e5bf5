#include "cli/host_folder.h"

#include <fstream>
#include <sstream>

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

bool HostWriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  return out && out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && out.flush();
}

bool HostReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  bytes = text.str();
  return !in.bad();
}

}  // namespace vlx::cli
