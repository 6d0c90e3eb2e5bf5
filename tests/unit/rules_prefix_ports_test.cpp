// The offline adapters the rules and pages stand on: folders and system parameters.
#include <gtest/gtest.h>

#include "path_temp_dir.h"
#include "prefix/prefix_files.h"
#include "prefix/prefix_parameters.h"
#include "unit/rules_fakes.h"

namespace vlx::prefix {
namespace {

using vlx::rulestest::FakeRegistry;

TEST(PrefixFolders, MakeOneLevelAndRemoveOnlyEmpty) {
  vlx::testing::TempDir dir;
  vlx::testing::WriteHostFile(dir.path() / "drive_c" / "WINDOWS" / "Start Menu" / "x.lnk", "");
  PathMapper paths(dir.path());
  PrefixFiles files(paths);
  const std::string printers = "C:\\windows\\START MENU\\Принтеры.{2227A280-3AEA-1069-A2DE-08002B30309D}";
  EXPECT_TRUE(files.MakeDirectory(printers));
  EXPECT_EQ(files.GetAttributes(printers) & fileattr::Directory, fileattr::Directory);
  EXPECT_FALSE(files.MakeDirectory(printers));  // exists already
  EXPECT_FALSE(files.MakeDirectory("C:\\WINDOWS\\None\\Sub"));  // parent missing
  EXPECT_FALSE(files.RemoveEmptyDirectory("C:\\WINDOWS\\Start Menu"));  // holds a file
  EXPECT_FALSE(files.RemoveEmptyDirectory("C:\\WINDOWS\\Start Menu\\x.lnk"));  // a file
  EXPECT_TRUE(files.RemoveEmptyDirectory(printers));
  EXPECT_FALSE(files.Exists(printers));
}

TEST(PrefixParameters, KeptAsTextInControlPanelDesktop) {
  FakeRegistry registry;
  Journal journal;
  PrefixParameters parameters(registry, journal);
  // With nothing stored, what Wine reports: the screen saver on after 300 s.
  std::uint32_t value = 7;
  EXPECT_TRUE(parameters.Get(spi::GetScreenSaveTimeout, value));
  EXPECT_EQ(value, 300u);
  EXPECT_TRUE(parameters.Get(spi::GetScreenSaveActive, value));
  EXPECT_EQ(value, 1u);

  registry.Put(regroot::CurrentUser, "Control Panel\\Desktop", "ScreenSaveTimeOut", regtype::Sz,
               std::string("90\0", 3));
  registry.Put(regroot::CurrentUser, "Control Panel\\Desktop", "ScreenSaveActive", regtype::Sz,
               std::string("1\0", 2));
  parameters.Get(spi::GetScreenSaveTimeout, value);
  EXPECT_EQ(value, 90u);
  parameters.Get(spi::GetScreenSaveActive, value);
  EXPECT_EQ(value, 1u);
  registry.Put(regroot::CurrentUser, "Control Panel\\Desktop", "ScreenSaveTimeOut", regtype::Sz,
               std::string("x\0", 2));
  parameters.Get(spi::GetScreenSaveTimeout, value);
  EXPECT_EQ(value, 0u);  // stored, but not a number

  EXPECT_TRUE(parameters.Set(spi::SetScreenSaveActive, 0, spif::UpdateIniFile));
  EXPECT_TRUE(parameters.Set(spi::SetScreenSaveTimeout, 120, spif::UpdateIniFile));
  EXPECT_EQ(registry.Get(regroot::CurrentUser, "Control Panel\\Desktop", "ScreenSaveActive")->data,
            std::string("0\0", 2));
  EXPECT_EQ(registry.Get(regroot::CurrentUser, "Control Panel\\Desktop", "ScreenSaveTimeOut")->data,
            std::string("120\0", 4));

  // Without SPIF_UPDATEINIFILE the running system changes, the stored value does not.
  EXPECT_TRUE(parameters.Set(spi::SetMenuShowDelay, 250, spif::SendWinIniChange));
  EXPECT_EQ(registry.Get(regroot::CurrentUser, "Control Panel\\Desktop", "MenuShowDelay"), nullptr);
  ASSERT_EQ(journal.Entries().size(), 3u);
  EXPECT_EQ(journal.Entries()[2], "SystemParametersInfo 107 250 flags 2");
  EXPECT_FALSE(parameters.Set(999, 1, 0));
}

}  // namespace
}  // namespace vlx::prefix
