// Every kind of file written into a machine image survives a write that fails at any step:
// the old bytes and attributes stay whole and no temporary file is left beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/win_types.h"
#include "prefix/atomic_file.h"
#include "prefix/path_mapper.h"
#include "prefix/prefix_error.h"
#include "prefix/prefix_file_ops.h"
#include "prefix/prefix_files.h"
#include "prefix/prefix_profile.h"
#include "prefix/prefix_registry.h"
#include "store/reg_store.h"
#include "unit/path_temp_dir.h"
#include "unit/win98_folders.h"

namespace vlx::prefix {
namespace {

namespace fs = std::filesystem;
using vlx::testing::ReadHostFile;
using vlx::testing::TempDir;
using vlx::testing::WriteHostFile;

struct Image {
  TempDir dir;
  PathMapper paths{dir.path()};
  PrefixFiles files{paths};
  PrefixFileOps fileOps{paths};
  vlx::testing::Win98Folders system;
  PrefixProfile profile{paths, files, system};
  fs::path Host(const std::string& windowsPath) const { return *paths.ToHost(windowsPath); }
};

struct FileKind {
  const char* name;
  std::string windowsPath;  // the file that gets replaced
  std::string oldBytes;
  std::uint32_t attributes;  // set on the old file; 0 leaves it plain
  std::function<bool(Image&)> write;  // the program's write of it; false when it failed
  std::string newBytes;               // what the write gives when nothing fails
};

std::vector<FileKind> Kinds() {
  const std::string hive = "WINE REGISTRY Version 2\n\n[Software\\\\A] 1\n\"v\"=dword:00000001\n";
  std::string resource("MZ\0\0\x90\xff icon bits", 16);
  return {
      {"system.ini", "C:\\WINDOWS\\system.ini", "[boot]\r\nshell=Explorer.exe\r\n", 0,
       [](Image& i) { return i.profile.WriteString("386Enh", "MinSPs", "4", "system.ini"); },
       "[boot]\r\nshell=Explorer.exe\r\n[386Enh]\r\nMinSPs=4\r\n"},
      {"Autoexec.bat", "C:\\AUTOEXEC.BAT", "@ECHO OFF\r\nPATH C:\\WINDOWS\r\n", 0,
       [](Image& i) { return i.files.WriteWholeFile("C:\\AUTOEXEC.BAT", "@ECHO ON\r\n"); },
       "@ECHO ON\r\n"},
      {"Desktop.ini", "C:\\WINDOWS\\Desktop\\Desktop.ini", "[.ShellClassInfo]\r\n",
       fileattr::Hidden | fileattr::System,
       [](Image& i) {
         return i.profile.WriteString(".ShellClassInfo", "IconIndex", "3",
                                      "C:\\WINDOWS\\Desktop\\Desktop.ini");
       },
       "[.ShellClassInfo]\r\nIconIndex=3\r\n"},
      {"extracted resource", "C:\\WINDOWS\\icon.bin", "old picture", 0,
       [resource](Image& i) { return i.files.WriteWholeFile("C:\\WINDOWS\\icon.bin", resource); },
       resource},
      {"copied file", "C:\\WINDOWS\\copy.dll", "old library", 0,
       [](Image& i) {
         WriteHostFile(i.Host("C:\\WINDOWS\\source.dll"), "new library");
         return i.fileOps.Copy("C:\\WINDOWS\\source.dll", "C:\\WINDOWS\\copy.dll", false);
       },
       "new library"},
      {"registry file", "C:\\system.reg", hive, 0,
       [](Image& i) {
         PrefixRegistry registry(i.Host("C:\\system.reg"), i.Host("C:\\user.reg"));
         RegStore store(registry);
         store.SetRoot(regroot::LocalMachine);
         if (!store.OpenPath("\\Software\\A", false)) return false;
         store.WriteNumber("v", 2);
         store.ClosePath();
         try {
           registry.Save();
         } catch (const PrefixError&) {
           return false;
         }
         return true;
       },
       ""},
  };
}

std::vector<fs::path> Listing(const fs::path& folder) {
  std::vector<fs::path> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The old file with its attributes; returns the attributes as read back.
std::uint32_t PutOldFile(Image& image, const FileKind& kind) {
  WriteHostFile(image.Host(kind.windowsPath), kind.oldBytes);
  if (kind.attributes) image.files.SetAttributes(kind.windowsPath, kind.attributes);
  return image.files.GetAttributes(kind.windowsPath);
}

TEST(CrashSafety, AWriteFailingAtAnyStepLeavesTheOldFileWhole) {
  for (const FileKind& kind : Kinds()) {
    for (WriteStep failing :
         {WriteStep::Create, WriteStep::Write, WriteStep::Flush, WriteStep::Rename}) {
      SCOPED_TRACE(std::string(kind.name) + ", step " + std::to_string(static_cast<int>(failing)));
      Image image;
      const fs::path host = image.Host(kind.windowsPath);
      const std::uint32_t attributesBefore = PutOldFile(image, kind);
      kind.write(image);  // a first run may make side files (a copy's source): list after it
      PutOldFile(image, kind);
      const auto before = Listing(host.parent_path());

      SetWriteFaultHook([failing](WriteStep step) { return step != failing; });
      const bool written = kind.write(image);
      SetWriteFaultHook(nullptr);

      EXPECT_FALSE(written);
      EXPECT_EQ(ReadHostFile(host), kind.oldBytes);
      EXPECT_EQ(image.files.GetAttributes(kind.windowsPath), attributesBefore);
      EXPECT_EQ(Listing(host.parent_path()), before);
    }
  }
}

TEST(CrashSafety, TheSameWritesChangeTheFileWhenNothingFails) {
  for (const FileKind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    Image image;
    const fs::path host = image.Host(kind.windowsPath);
    const std::uint32_t attributesBefore = PutOldFile(image, kind);
    EXPECT_EQ(attributesBefore & kind.attributes, kind.attributes);
    EXPECT_TRUE(kind.write(image));
    const std::string now = ReadHostFile(host);
    EXPECT_NE(now, kind.oldBytes);
    if (!kind.newBytes.empty()) {
      EXPECT_EQ(now, kind.newBytes);
    }
    if (kind.attributes) {
      EXPECT_EQ(image.files.GetAttributes(kind.windowsPath), attributesBefore);
    }
  }
}

}  // namespace
}  // namespace vlx::prefix
