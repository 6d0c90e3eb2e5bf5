// The conformance machine of the Windows build: the real API, scratch keys below
// HKCU/HKLM\Software\VolnerixConformance and a scratch folder in the temporary folder.
#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "conformance/conformance_machine.h"
#include "overlay/overlay_conformance_machine.h"
#include "win32/win32_platform.h"

namespace vlx::conformance {

namespace {

void RemoveScratchKeys() {
  SHDeleteKeyA(HKEY_CURRENT_USER, kScratchKey);
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, kScratchKey);
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, kScratchClassKey);
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

class Win32ConformanceMachine : public ConformanceMachine {
 public:
  Win32ConformanceMachine() {
    RemoveScratchKeys();
    std::string temp;
    if (!platform_.platform().system->TempPath(temp)) throw std::runtime_error("no temp folder");
    static unsigned serial = 0;
    folder_ = temp + "vlxconf-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++serial);
    if (!CreateDirectoryA(folder_.c_str(), nullptr))
      throw std::runtime_error("cannot create " + folder_);
  }

  ~Win32ConformanceMachine() override {
    RemoveScratchKeys();
    // The profile functions may hold a cached copy of a scratch file: flush before removing.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
    RemoveTree(folder_);
  }

  Platform& platform() override { return platform_.platform(); }

  std::string ScratchFile(const std::string& name) override { return folder_ + "\\" + name; }

  std::string ReadFileBytes(const std::string& path) override {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) return {};
    std::string bytes;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
      bytes.append(chunk, n);
    return bytes;
  }

  void WriteFileBytes(const std::string& path, const std::string& bytes) override {
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
      throw std::runtime_error("cannot write " + path);
  }

 private:
  win32::Win32Platform platform_;
  std::string folder_;
};

}  // namespace

// VLX_CONFORMANCE_OVERLAY=1 runs the suite through the dry run's overlay over the live system.
std::unique_ptr<ConformanceMachine> MakeConformanceMachine() {
  auto machine = std::make_unique<Win32ConformanceMachine>();
  const char* overlay = std::getenv("VLX_CONFORMANCE_OVERLAY");
  if (overlay && std::string(overlay) == "1")
    return std::make_unique<OverlayConformanceMachine>(std::move(machine));
  return machine;
}

}  // namespace vlx::conformance
