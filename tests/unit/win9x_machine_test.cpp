// A Windows 9x boot drive as a machine: where its hives are, the copies kept before a write,
// FAT attributes, and damaged hives refused without writing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/win_types.h"
#include "prefix/dos_attributes.h"
#include "prefix/prefix_error.h"
#include "unit/path_temp_dir.h"
#include "win9x/win9x_drive.h"
#include "win9x/win9x_image.h"
#include "win9x/win9x_registry.h"

namespace vlx::win9x {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Win9xMachineTest : public ::testing::Test {
 protected:
  void SetUp() override { CreateWin9xDrive(drive); }

  // HKCU\Control Panel\Desktop\Wallpaper through the port, saved.
  void SetWallpaper(Win9xRegistry& registry, const std::string& text) {
    RegKey key = 0;
    ASSERT_EQ(registry.OpenKey(regroot::CurrentUser, "Control Panel\\Desktop", key), winerr::Success);
    ASSERT_EQ(registry.SetValue(key, "Wallpaper", regtype::Sz,
                                reinterpret_cast<const unsigned char*>(text.c_str()),
                                static_cast<std::uint32_t>(text.size() + 1)),
              winerr::Success);
    registry.CloseKey(key);
    registry.Save();
  }

  testing::TempDir temp;
  fs::path drive = temp.path() / "c";
  fs::path windows = drive / "WINDOWS";
};

TEST_F(Win9xMachineTest, FindsTheWindowsFolderFromMsdosSysAndTheProfiles) {
  Win9xDrive found = LocateWin9x(drive);
  EXPECT_EQ(found.systemDat, windows / "SYSTEM.DAT");
  EXPECT_EQ(found.userDat, windows / "USER.DAT");

  // Windows elsewhere, as MSDOS.SYS says; a profile's USER.DAT by name, without regard to case.
  fs::rename(windows, drive / "WIN98");
  std::string msdos = Bytes(drive / "MSDOS.SYS");
  msdos.replace(msdos.find("WinDir=C:\\WINDOWS"), 17, "WinDir=C:\\WIN98");
  fs::permissions(drive / "MSDOS.SYS", fs::perms::owner_write, fs::perm_options::add);
  testing::WriteHostFile(drive / "MSDOS.SYS", msdos);
  testing::WriteHostFile(drive / "WIN98" / "Profiles" / "Ivan" / "USER.DAT", Win9xHiveBytes({}));
  testing::WriteHostFile(drive / "WIN98" / "Profiles" / "Anna" / "USER.DAT", Win9xHiveBytes({}));
  fs::create_directories(drive / "WIN98" / "Profiles" / "Empty");
  found = LocateWin9x(drive, "ivan");
  EXPECT_EQ(found.systemDat, drive / "WIN98" / "SYSTEM.DAT");
  EXPECT_EQ(found.userDat, drive / "WIN98" / "Profiles" / "Ivan" / "USER.DAT");
  EXPECT_THAT(Win9xProfiles(found), ElementsAre("Anna", "Ivan"));
  try {
    LocateWin9x(drive, "Petr");
    ADD_FAILURE() << "no such profile accepted";
  } catch (const prefix::PrefixError& error) {
    EXPECT_THAT(error.what(), HasSubstr("profiles: Anna, Ivan"));
  }
  fs::remove(drive / "WIN98" / "SYSTEM.DAT");
  EXPECT_THROW(LocateWin9x(drive), prefix::PrefixError);
}

TEST_F(Win9xMachineTest, KeepsACopyOfEachHiveBeforeTheFirstWriteOfARunAndItsAttributes) {
  const fs::path user = windows / "USER.DAT";
  const std::string original = Bytes(user);
  const std::string system = Bytes(windows / "SYSTEM.DAT");
  {
    Win9xRegistry registry(windows / "SYSTEM.DAT", user);
    SetWallpaper(registry, "C:\\WINDOWS\\Облака.bmp");
    const std::string first = Bytes(user);
    SetWallpaper(registry, "C:\\WINDOWS\\Лес.bmp");  // the same run: the copy stays
    EXPECT_NE(Bytes(user), first);
  }
  EXPECT_EQ(Bytes(HiveBackupPath(user, 0)), original);
  EXPECT_FALSE(fs::exists(HiveBackupPath(user, 1)));
  EXPECT_FALSE(fs::exists(HiveBackupPath(windows / "SYSTEM.DAT", 0)));  // not changed
  EXPECT_EQ(Bytes(windows / "SYSTEM.DAT"), system);
  const std::uint32_t kept = fileattr::ReadOnly | fileattr::Hidden | fileattr::System;
  EXPECT_EQ(prefix::ReadDosAttributes(user) & kept, kept);
  EXPECT_EQ(prefix::ReadDosAttributes(HiveBackupPath(user, 0)) & kept, kept);

  // The next run keeps its own copy; the earlier one moves on to .VX1.
  const std::string beforeSecondRun = Bytes(user);
  {
    Win9xRegistry registry(windows / "SYSTEM.DAT", user);
    SetWallpaper(registry, "(None)");
  }
  EXPECT_EQ(Bytes(HiveBackupPath(user, 0)), beforeSecondRun);
  EXPECT_EQ(Bytes(HiveBackupPath(user, 1)), original);
}

TEST_F(Win9xMachineTest, ADamagedHiveIsRefusedAndNeverWritten) {
  const fs::path system = windows / "SYSTEM.DAT";
  fs::permissions(system, fs::perms::owner_write, fs::perm_options::add);
  std::string bytes = Bytes(system);
  bytes.resize(bytes.size() / 2);  // truncated
  testing::WriteHostFile(system, bytes);
  Win9xRegistry registry(system, windows / "USER.DAT");
  RegKey key = 0;
  try {
    registry.CreateKey(regroot::LocalMachine, "Software\\New", key);
    ADD_FAILURE() << "a truncated hive was read";
  } catch (const prefix::PrefixError& error) {
    EXPECT_THAT(error.what(), HasSubstr(system.string() + ": damaged registry file at offset 0x"));
  }
  SetWallpaper(registry, "x");  // the other hive is fine and saved
  EXPECT_EQ(Bytes(system), bytes);
  EXPECT_FALSE(fs::exists(HiveBackupPath(system, 0)));
  EXPECT_TRUE(fs::exists(HiveBackupPath(windows / "USER.DAT", 0)));
}

TEST_F(Win9xMachineTest, WindowsMeKeepsTheClassesInClassesDat) {
  const fs::path classes = windows / "CLASSES.DAT";
  testing::WriteHostFile(classes, Win9xHiveBytes({{".txt", "", regtype::Sz, "txtfile"}}));
  const std::string system = Bytes(windows / "SYSTEM.DAT");
  EXPECT_EQ(LocateWin9x(drive).classesDat, classes);
  {
    Win9xRegistry registry(windows / "SYSTEM.DAT", windows / "USER.DAT", classes);
    char text[16] = {};
    std::uint32_t size = sizeof text;
    RegKey key = 0;
    for (const auto& [root, path] : {std::pair{regroot::ClassesRoot, ".txt"},
                                     std::pair{regroot::LocalMachine, "SOFTWARE\\classes\\.TXT"}}) {
      ASSERT_EQ(registry.OpenKey(root, path, key), winerr::Success) << path;
      size = sizeof text;
      EXPECT_EQ(registry.QueryValue(key, "", nullptr, reinterpret_cast<unsigned char*>(text), &size),
                winerr::Success);
      EXPECT_STREQ(text, "txtfile");
      registry.CloseKey(key);
    }
    ASSERT_EQ(registry.CreateKey(regroot::LocalMachine, "Software\\Classes\\.ini", key), winerr::Success);
    ASSERT_EQ(registry.SetValue(key, "", regtype::Sz, reinterpret_cast<const unsigned char*>("inifile"), 8),
              winerr::Success);
    registry.Save();
  }
  EXPECT_EQ(Bytes(windows / "SYSTEM.DAT"), system);  // the classes went to their own file
  EXPECT_TRUE(fs::exists(HiveBackupPath(classes, 0)));
  Win9xRegistry again(windows / "SYSTEM.DAT", windows / "USER.DAT", classes);
  RegKey key = 0;
  EXPECT_EQ(again.OpenKey(regroot::ClassesRoot, ".ini", key), winerr::Success);
}

TEST_F(Win9xMachineTest, FollowsThe9xFamily) {
  Win9xRegistry registry(windows / "SYSTEM.DAT", windows / "USER.DAT");
  RegKey key = 0;
  ASSERT_EQ(registry.CreateKey(regroot::CurrentUser, "Software\\A\\B\\C", key), winerr::Success);
  registry.CloseKey(key);
  ASSERT_EQ(registry.OpenKey(regroot::CurrentUser, "Software\\A", key), winerr::Success);
  const char text[] = "one\0two";
  ASSERT_EQ(registry.SetValue(key, "s", regtype::Sz, reinterpret_cast<const unsigned char*>(text),
                              sizeof text),
            winerr::Success);
  std::uint32_t size = 0;
  ASSERT_EQ(registry.QueryValue(key, "s", nullptr, nullptr, &size), winerr::Success);
  EXPECT_EQ(size, 4u);  // "one" and its zero
  registry.CloseKey(key);
  EXPECT_EQ(registry.DeleteKey(regroot::CurrentUser, "Software\\A"), winerr::Success);
  EXPECT_EQ(registry.OpenKey(regroot::CurrentUser, "Software\\A\\B", key), winerr::FileNotFound);
}

}  // namespace
}  // namespace vlx::win9x
