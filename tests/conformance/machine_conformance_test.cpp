// The folder queries and the file basics the store stands on.
#include "conformance/conformance_test.h"

namespace vlx::conformance {
namespace {

using MachineConformance = ConformanceTest;

TEST_F(MachineConformance, FolderQueriesHaveTheirShapes) {
  SystemInfo& system = *platform_.system;
  std::string windows, systemDir, temp;
  ASSERT_TRUE(system.WindowsDirectory(windows));
  ASSERT_TRUE(system.SystemDirectory(systemDir));
  ASSERT_TRUE(system.TempPath(temp));
  EXPECT_EQ(windows.substr(1, 2), ":\\");
  EXPECT_NE(windows.back(), '\\');
  EXPECT_EQ(systemDir.substr(0, windows.size() + 1), windows + "\\");
  EXPECT_EQ(temp.back(), '\\');
  std::string fonts;
  ASSERT_TRUE(platform_.shell->SpecialFolderPath(csidl::Fonts, fonts));
  EXPECT_EQ(fonts.substr(0, windows.size() + 1), windows + "\\");
}

TEST_F(MachineConformance, FileExistenceAndAttributes) {
  Files& files = *platform_.files;
  const std::string path = machine_->ScratchFile("file.txt");
  EXPECT_FALSE(files.Exists(path));
  EXPECT_EQ(files.GetAttributes(path), fileattr::Invalid);
  EXPECT_FALSE(files.SetAttributes(path, fileattr::ReadOnly));
  machine_->WriteFileBytes(path, "x");
  EXPECT_TRUE(files.Exists(path));
  EXPECT_EQ(files.GetAttributes(path) & (fileattr::ReadOnly | fileattr::Directory), 0u);
  ASSERT_TRUE(files.SetAttributes(path, fileattr::ReadOnly));
  EXPECT_EQ(files.GetAttributes(path) & fileattr::ReadOnly, fileattr::ReadOnly);
  ASSERT_TRUE(files.SetAttributes(path, fileattr::Normal));
  EXPECT_EQ(files.GetAttributes(path) & fileattr::ReadOnly, 0u);
  // Folders exist too and carry the directory bit; names ignore letter case.
  std::string windows;
  ASSERT_TRUE(platform_.system->WindowsDirectory(windows));
  EXPECT_TRUE(files.Exists(windows));
  EXPECT_NE(files.GetAttributes(windows) & fileattr::Directory, 0u);
  EXPECT_TRUE(files.Exists(machine_->ScratchFile("FILE.TXT")));
}

TEST_F(MachineConformance, WholeFileWritesAndDirectories) {
  Files& files = *platform_.files;
  const std::string folder = machine_->ScratchFile("Папка");
  const std::string file = folder + "\\data.bin";
  EXPECT_FALSE(files.WriteWholeFile(file, "x"));  // no folder yet
  ASSERT_TRUE(files.MakeDirectory(folder));
  EXPECT_FALSE(files.MakeDirectory(folder));
  EXPECT_NE(files.GetAttributes(folder) & fileattr::Directory, 0u);
  ASSERT_TRUE(files.WriteWholeFile(file, std::string("long\0content\r\n", 15)));
  EXPECT_EQ(machine_->ReadFileBytes(file), std::string("long\0content\r\n", 15));
  ASSERT_TRUE(files.WriteWholeFile(file, "ab"));  // replaced, not overwritten in place
  EXPECT_EQ(machine_->ReadFileBytes(file), "ab");
  EXPECT_FALSE(files.RemoveEmptyDirectory(folder));  // not empty
  EXPECT_FALSE(files.RemoveEmptyDirectory(machine_->ScratchFile("Missing")));
  EXPECT_TRUE(files.WriteWholeFile(file, ""));
  EXPECT_EQ(machine_->ReadFileBytes(file), "");
  EXPECT_TRUE(files.Exists(file));
}

TEST_F(MachineConformance, DosAttributesRoundTrip) {
  Files& files = *platform_.files;
  const std::string path = machine_->ScratchFile("attributes.txt");
  machine_->WriteFileBytes(path, "x");
  // The archive bit is not compared: Wine reports it on every file, whatever was set.
  const std::uint32_t kept = fileattr::ReadOnly | fileattr::Hidden | fileattr::System;
  for (std::uint32_t attributes : {fileattr::Hidden, fileattr::System | fileattr::Hidden,
                                   fileattr::ReadOnly | fileattr::Archive, kept}) {
    ASSERT_TRUE(files.SetAttributes(path, attributes)) << attributes;
    EXPECT_EQ(files.GetAttributes(path) & kept, attributes & kept) << attributes;
  }
  ASSERT_TRUE(files.SetAttributes(path, fileattr::Normal));
  EXPECT_EQ(files.GetAttributes(path) & kept, 0u);
  EXPECT_EQ(files.GetAttributes(path) & fileattr::Directory, 0u);
}

}  // namespace
}  // namespace vlx::conformance
