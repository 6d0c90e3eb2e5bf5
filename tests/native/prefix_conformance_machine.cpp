// The conformance machine of the native build: a fresh offline machine image per test, in a
// temporary folder with empty registry files and an empty C: drive.
#include <stdlib.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

#include "native/prefix_conformance_machine.h"
#include "prefix/prefix_machine.h"
#include "text/cp1251.h"
#include "win9x/win9x_drive.h"
#include "win9x/win9x_image.h"

namespace vlx::conformance {

namespace {

namespace fs = std::filesystem;

constexpr const char* kScratchFolder = "C:\\scratch";

fs::path MakeTempRoot() {
  std::string pattern = (fs::temp_directory_path() / "vlxconf-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

// VLX_CONFORMANCE_FAMILY=win9x makes the image a Windows 98 one (its version key says 4.10);
// otherwise it records no version and follows the NT family, as a Wine prefix does.
// VLX_CONFORMANCE_FAMILY=win9x-hives makes it a Windows 98 boot drive with SYSTEM.DAT and USER.DAT,
// winme-hives a Windows ME one, whose HKEY_CLASSES_ROOT is CLASSES.DAT.
std::string Family() {
  const char* family = std::getenv("VLX_CONFORMANCE_FAMILY");
  return family ? family : "";
}
bool NineXImage() { return Family() == "win9x"; }
bool NineXHives() { return Family() == "win9x-hives" || Family() == "winme-hives"; }

fs::path CreateImage() {
  const fs::path root = MakeTempRoot();
  if (NineXHives()) {
    fs::create_directories(root / "WINDOWS");
    fs::create_directories(root / "scratch");
    std::ofstream(root / "WINDOWS" / "SYSTEM.DAT", std::ios::binary) << win9x::Win9xHiveBytes(
        {{"Software\\Microsoft\\Windows\\CurrentVersion", "VersionNumber", 1, "4.10.2222"}});
    std::ofstream(root / "WINDOWS" / "USER.DAT", std::ios::binary) << win9x::Win9xHiveBytes({});
    if (Family() == "winme-hives")
      std::ofstream(root / "WINDOWS" / "CLASSES.DAT", std::ios::binary) << win9x::Win9xHiveBytes({});
    return root;
  }
  for (const char* hive : {"system.reg", "user.reg"})
    std::ofstream(root / hive, std::ios::binary) << "WINE REGISTRY Version 2\n";
  if (NineXImage())
    std::ofstream(root / "system.reg", std::ios::binary | std::ios::app)
        << "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 0\n"
           "\"VersionNumber\"=\"4.10.2222\"\n";
  fs::create_directories(root / "drive_c" / "scratch");
  fs::create_directories(root / "drive_c" / "windows");
  return root;
}

class PrefixConformanceMachine : public ConformanceMachine {
 public:
  PrefixConformanceMachine()
      : root_(CreateImage()),
        machine_(NineXHives() ? std::make_unique<prefix::PrefixMachine>(
                                    win9x::Win9xLayout(win9x::LocateWin9x(root_)))
                              : std::make_unique<prefix::PrefixMachine>(root_)) {}
  ~PrefixConformanceMachine() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  Platform& platform() override { return machine_->platform(); }
  bool ValuesInCreationOrder() override { return NineXHives(); }

  std::string ScratchFile(const std::string& name) override {
    return std::string(kScratchFolder) + "\\" + name;
  }

  std::string ReadFileBytes(const std::string& path) override {
    std::ifstream in(HostPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  void WriteFileBytes(const std::string& path, const std::string& bytes) override {
    std::ofstream out(HostPath(path), std::ios::binary);
    out << bytes;
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
  }

 private:
  // Scratch paths only: "C:\scratch\name" lives at drive_c/scratch/name.
  fs::path HostPath(const std::string& path) const {
    const std::string prefix = std::string(kScratchFolder) + "\\";
    if (path.compare(0, prefix.size(), prefix) != 0)
      throw std::invalid_argument("not a scratch path: " + path);
    std::string relative = path.substr(prefix.size());
    for (char& c : relative)
      if (c == '\\') c = '/';
    // Names on disk are UTF-8, as the prefix adapter keeps them.
    return root_ / (NineXHives() ? "" : "drive_c") / "scratch" / Cp1251ToUtf8(relative);
  }

  fs::path root_;
  std::unique_ptr<prefix::PrefixMachine> machine_;
};

}  // namespace

std::unique_ptr<ConformanceMachine> MakePrefixConformanceMachine() {
  return std::make_unique<PrefixConformanceMachine>();
}

}  // namespace vlx::conformance
