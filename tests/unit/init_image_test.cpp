#include "prefix/machine_image.h"

#include <gtest/gtest.h>

#include "app/image_library.h"
#include "path_temp_dir.h"
#include "platform/win_types.h"
#include "prefix/dos_attributes.h"
#include "prefix/prefix_error.h"
#include "prefix/prefix_machine.h"
#include "store/folders.h"
#include "store/reg_store.h"

namespace vlx::prefix {
namespace {

namespace fs = std::filesystem;
using vlx::testing::ReadHostFile;
using vlx::testing::TempDir;
using vlx::testing::WriteHostFile;

TEST(WineHive, WritesWinesTextFormat) {
  const std::string text = WineHiveText(
      "REGISTRY\\Machine",
      {{"Software\\Тест[1]", "Имя", regtype::Sz, "«Ромашка» 1a \"q\" C:\\x"},
       {"Software\\Тест[1]", "", regtype::ExpandSz, "%windir%\\Б"},
       {"software\\ТЕСТ[1]", "dw", regtype::Dword, std::string("\x02\x01\0\0", 4)},
       {"Software\\Empty", "", regtype::None, ""},
       {"Software\\Bin", "b", regtype::Binary, std::string(40, '\x95')}});
  EXPECT_EQ(text.rfind("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n"
                       "\n#arch=win64\n\n[",
                       0),
            0u)
      << text;
  for (const char* line : {
           "\n[Software\\\\\\x422\\x435\\x441\\x442\\[1\\]] ",
           "\n\"\\x418\\x43c\\x44f\"=\"\\xab\\x420\\x43e\\x43c\\x430\\x448\\x43a\\x430\\xbb 1a "
           "\\\"q\\\" C:\\\\x\"\n",
           "\n@=str(2):\"%windir%\\\\\\x411\"\n",
           "\n\"dw\"=dword:00000102\n",
           "\n[Software\\\\Empty] ",
           // Wine breaks hex lines after 76 columns (40 bytes: 23 + 17).
           "\n\"b\"=hex:95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,"
           "\\\n  95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,95,95\n",
       })
    EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
  // One section per key, whatever the case of its spelling.
  EXPECT_EQ(text.find("[software\\\\"), std::string::npos);
  // A hex digit after a non-ASCII character makes the escape four digits long.
  EXPECT_NE(WineHiveText("R", {{"K", "n", regtype::Sz, "Ж1"}}).find("\"\\x04161\""),
            std::string::npos);
}

class InitImageTest : public ::testing::Test {
 protected:
  fs::path Image() const { return dir_.path() / "img"; }
  fs::path C(const std::string& relative) const { return Image() / "drive_c" / relative; }
  TempDir dir_;
};

TEST_F(InitImageTest, HoldsAWindows98Machine) {
  CreateMachineImage(Image());
  for (const char* folder : {"WINDOWS/SYSTEM/IOSUBSYS", "WINDOWS/SYSTEM/VMM32",
                             "WINDOWS/SYSTEM/ShellExt", "WINDOWS/TEMP", "WINDOWS/Start Menu/Programs",
                             "WINDOWS/FONTS", "RECYCLED", "Program Files/Volnerix"})
    EXPECT_TRUE(fs::is_directory(C(folder))) << folder;
  EXPECT_TRUE(fs::is_symlink(Image() / "dosdevices" / "c:"));
  EXPECT_EQ(ReadDosAttributes(C("RECYCLED")),
            fileattr::Directory | fileattr::Hidden | fileattr::System);
  EXPECT_EQ(ReadDosAttributes(C("MSDOS.SYS")), fileattr::Archive | fileattr::ReadOnly |
                                                   fileattr::Hidden | fileattr::System);
  EXPECT_GT(fs::file_size(C("MSDOS.SYS")), 1024u);
  EXPECT_EQ(ReadDosAttributes(C("AUTOEXEC.BAT")), fileattr::Archive);

  // The CD driver's place holds a marked stand-in, never of the replacement driver's size.
  const std::string cdfs = ReadHostFile(C("WINDOWS/SYSTEM/IOSUBSYS/Cdfs.vxd"));
  EXPECT_TRUE(IsStandInDriver(cdfs));
  EXPECT_NE(cdfs.size(), 79098u);

  // Through the ports, as the program sees the machine.
  PrefixMachine machine(Image());
  Platform& platform = machine.platform();
  EXPECT_EQ(GetWindowsDir(*platform.system), "C:\\WINDOWS");
  EXPECT_EQ(GetSystemDir(*platform.system), "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(GetTempDir(*platform.system), "C:\\WINDOWS\\TEMP\\");
  for (int csidl : {csidl::StartMenu, csidl::Programs, csidl::Fonts}) {
    std::string folder;
    ASSERT_TRUE(platform.shell->SpecialFolderPath(csidl, folder));
    EXPECT_EQ(platform.files->GetAttributes(folder), fileattr::Directory) << folder;
  }
  std::string value;
  EXPECT_EQ(platform.profile->GetString("386Enh", "woafont", "", value, 64, "system.ini"), 10u);
  EXPECT_EQ(value, "dosapp.fon");
  EXPECT_TRUE(platform.files->Exists("C:\\Autoexec.bat"));

  RegStore store(*platform.registry);
  store.SetRoot(regroot::LocalMachine);
  ASSERT_TRUE(store.OpenPath("Software\\Microsoft\\Windows\\CurrentVersion", false));
  EXPECT_EQ(store.ReadText("VersionNumber"), "4.10.2222");
  EXPECT_EQ(store.ReadText("SubVersionNumber"), " A");
  EXPECT_EQ(store.ReadText("RegisteredOwner"), "Иван Петров");
  EXPECT_EQ(store.ReadText("RegisteredOrganization"), "ООО «Ромашка»");
  ASSERT_TRUE(store.OpenPath("Uninstall", false));
  std::vector<std::string> programs;
  store.ListSubkeys(programs);
  EXPECT_GE(programs.size(), 3u);
  for (const auto& program : programs) {
    ASSERT_TRUE(store.OpenPath("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                   program,
                               false));
    EXPECT_FALSE(store.ReadText("DisplayName").empty()) << program;
    EXPECT_FALSE(store.ReadText("UninstallString").empty()) << program;
  }

  store.SetRoot(regroot::CurrentUser);
  ASSERT_TRUE(store.OpenPath("Control Panel\\Desktop", false));
  EXPECT_EQ(store.ReadText("MenuShowDelay"), "400");
  ASSERT_TRUE(store.OpenPath("WindowMetrics", false));
  EXPECT_EQ(store.ReadText("Shell Icon Size"), "32");
  ASSERT_TRUE(store.OpenPath("\\Control Panel\\Colors", false));
  EXPECT_EQ(store.ReadText("Background"), "0 128 128");
  EXPECT_TRUE(store.HasKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"));
  // Every folder the registry names is there.
  for (RegKey root : {regroot::CurrentUser, regroot::LocalMachine}) {
    RegKey key = 0;
    ASSERT_EQ(platform.registry->OpenKey(
                  root, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", key),
              winerr::Success);
    std::string name, data;
    std::uint32_t type = 0, count = 0;
    for (; platform.registry->EnumValue(key, count, name, type, data) == winerr::Success; ++count)
      EXPECT_EQ(platform.files->GetAttributes(data.c_str()), fileattr::Directory) << name;
    EXPECT_GE(count, 4u);
    platform.registry->CloseKey(key);
  }
}

TEST_F(InitImageTest, RefusesAnythingThatIsNotAnEmptyFolder) {
  CreateMachineImage(Image());
  WriteHostFile(C("WINDOWS/mine.txt"), "keep");
  EXPECT_THROW(CreateMachineImage(Image()), PrefixError);
  EXPECT_EQ(ReadHostFile(C("WINDOWS/mine.txt")), "keep");

  WriteHostFile(dir_.path() / "file", "x");
  EXPECT_THROW(CreateMachineImage(dir_.path() / "file"), PrefixError);
  EXPECT_THROW(CreateMachineImage(dir_.path() / "no" / "parent"), PrefixError);

  fs::create_directory(dir_.path() / "empty");
  CreateMachineImage(dir_.path() / "empty/");
  EXPECT_TRUE(fs::exists(dir_.path() / "empty" / "system.reg"));
  // Nothing is left behind beside the images.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_.path())) ++entries;
  EXPECT_EQ(entries, 3u);  // img, file, empty
}

}  // namespace
}  // namespace vlx::prefix
