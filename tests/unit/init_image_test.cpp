#include "prefix/machine_image.h"

#include <gtest/gtest.h>

#include "app/image_library.h"
#include "path_temp_dir.h"
#include "platform/win_types.h"
#include "prefix/dos_attributes.h"
#include "prefix/prefix_error.h"
#include "prefix/prefix_files.h"
#include "prefix/prefix_profile.h"
#include "prefix/prefix_system.h"
#include "rules_fakes.h"

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
                       "\n#arch=win64\n\n[Software\\\\\\x422\\x435\\x441\\x442\\[1\\]] ", 0),
            0u)
      << text;
  for (const char* line : {
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

  // system.ini through the profile functions, as the pages read it.
  PathMapper paths(Image());
  PrefixFiles files(paths);
  testing::FakeRegistry registry;
  PrefixSystemInfo system(registry);
  PrefixProfile profile(paths, files, system);
  std::string value;
  EXPECT_EQ(profile.GetString("386Enh", "woafont", "", value, 64, "system.ini"), 10u);
  EXPECT_EQ(value, "dosapp.fon");
  EXPECT_TRUE(files.Exists("C:\\Autoexec.bat"));

  const std::string machine = ReadHostFile(Image() / "system.reg");
  const std::string user = ReadHostFile(Image() / "user.reg");
  for (const char* line : {
           "\"VersionNumber\"=\"4.10.2222\"\n", "\"SubVersionNumber\"=\" A\"\n",
           "\"SystemRoot\"=\"C:\\\\WINDOWS\"\n",
           "\"RegisteredOwner\"=\"\\x418\\x432\\x430\\x43d \\x41f\\x435\\x442\\x440\\x43e\\x432\"\n",
           "\"UninstallString\"=", "\"DisplayName\"=",
       })
    EXPECT_NE(machine.find(line), std::string::npos) << line;
  for (const char* line : {
           "[Control Panel\\\\Desktop] ", "\"MenuShowDelay\"=\"400\"\n",
           "[Control Panel\\\\Desktop\\\\WindowMetrics] ", "\"Shell Icon Size\"=\"32\"\n",
           "[Control Panel\\\\Colors] ", "\"Background\"=\"0 128 128\"\n",
           "\"Start Menu\"=\"C:\\\\WINDOWS\\\\Start Menu\"\n", "\"Fonts\"=\"C:\\\\WINDOWS\\\\FONTS\"\n",
           "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Advanced] ",
       })
    EXPECT_NE(user.find(line), std::string::npos) << line;
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
