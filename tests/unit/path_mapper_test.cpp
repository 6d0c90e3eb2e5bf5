#include "prefix/path_mapper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "path_temp_dir.h"
#include "text/cp1251.h"

namespace vlx::prefix {
namespace {

namespace fs = std::filesystem;
using vlx::testing::TempDir;
using vlx::testing::WriteHostFile;

class PathMapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    c_ = dir_.path() / "drive_c";
    WriteHostFile(c_ / "WINDOWS" / "System.ini", "[386Enh]\r\n");
    fs::create_directories(c_ / "WINDOWS" / Cp1251ToUtf8("Главное меню"));
    fs::create_directories(c_ / "Program Files");
  }
  TempDir dir_;
  fs::path c_;
  PathMapper mapper_{dir_.path()};
};

TEST_F(PathMapperTest, ResolvesEachComponentWithoutRegardToCase) {
  struct Case {
    const char* windows;
    fs::path expected;
  } cases[] = {
      {"C:\\WINDOWS\\system.ini", c_ / "WINDOWS" / "System.ini"},
      {"c:/windows/SYSTEM.INI", c_ / "WINDOWS" / "System.ini"},
      {"\\Windows\\\\System.ini", c_ / "WINDOWS" / "System.ini"},
      {"C:\\", c_},
      {"C:\\windows\\.\\temp\\..\\system.ini", c_ / "WINDOWS" / "System.ini"},
      {"C:\\WINDOWS.\\system.ini", c_ / "WINDOWS" / "System.ini"},
      {"C:\\program files", c_ / "Program Files"},
      // Cyrillic names are CP1251 here and UTF-8 on disk.
      {"C:\\windows\\ГЛАВНОЕ МЕНЮ", c_ / "WINDOWS" / Cp1251ToUtf8("Главное меню")},
  };
  for (const auto& c : cases) {
    const auto host = mapper_.ToHost(c.windows);
    ASSERT_TRUE(host) << c.windows;
    EXPECT_EQ(*host, c.expected) << c.windows;
  }
}

// A folder's listing is kept between lookups, yet names made, renamed or removed since are
// seen at once, also in a folder unchanged long enough for its listing to be kept.
TEST_F(PathMapperTest, ShortNamesReachTheLongOnesAsWindows9xDerivesThem) {
  fs::create_directories(c_ / "My Documents");
  WriteHostFile(c_ / "WINDOWS" / "Long name one.txt", "1");
  WriteHostFile(c_ / "WINDOWS" / "Long name two.txt", "2");
  WriteHostFile(c_ / "WINDOWS" / "a+b.html", "3");
  struct Case {
    const char* windows;
    fs::path expected;
  } cases[] = {
      {"C:\\PROGRA~1", c_ / "Program Files"},
      {"C:\\mydocu~1", c_ / "My Documents"},
      {"C:\\WINDOWS\\ГЛАВНО~1", c_ / "WINDOWS" / Cp1251ToUtf8("Главное меню")},
      {"C:\\WINDOWS\\LONGNA~1.TXT", c_ / "WINDOWS" / "Long name one.txt"},
      {"C:\\WINDOWS\\LONGNA~2.TXT", c_ / "WINDOWS" / "Long name two.txt"},
      {"C:\\WINDOWS\\A_B~1.HTM", c_ / "WINDOWS" / "a+b.html"},
      {"C:\\WINDOWS\\LONGNA~3.TXT", c_ / "WINDOWS" / "LONGNA~3.TXT"},  // none: as given
      {"C:\\WINDOWS\\SYSTEM~1.INI", c_ / "WINDOWS" / "SYSTEM~1.INI"},  // System.ini has none
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.windows);
    EXPECT_EQ(mapper_.ToHost(c.windows), c.expected);
  }
}

TEST_F(PathMapperTest, NamesChangedSinceAnEarlierLookupAreSeen) {
  const fs::path windows = c_ / "WINDOWS";
  for (const bool settled : {false, true}) {
    SCOPED_TRACE(settled ? "kept listing" : "fresh folder");
    if (settled) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(mapper_.ToHost("C:\\windows\\SYSTEM.INI"), windows / "System.ini");
    WriteHostFile(windows / "New.txt", "x");
    EXPECT_EQ(mapper_.ToHost("C:\\windows\\NEW.TXT"), windows / "New.txt");
    fs::rename(windows / "New.txt", windows / "Moved.txt");
    EXPECT_EQ(mapper_.ToHost("C:\\windows\\NEW.TXT"), windows / "NEW.TXT");  // gone: as given
    EXPECT_EQ(mapper_.ToHost("C:\\windows\\MOVED.TXT"), windows / "Moved.txt");
    fs::remove(windows / "Moved.txt");
    EXPECT_EQ(mapper_.ToHost("C:\\windows\\MOVED.TXT"), windows / "MOVED.TXT");
  }
}

TEST_F(PathMapperTest, KeepsMissingTailComponentsAsGiven) {
  EXPECT_EQ(*mapper_.ToHost("C:\\windows\\New Dir\\Файл.TXT"),
            c_ / "WINDOWS" / "New Dir" / Cp1251ToUtf8("Файл.TXT"));
  // Below a missing folder nothing is looked up, even a name that exists elsewhere.
  EXPECT_EQ(*mapper_.ToHost("C:\\none\\windows"), c_ / "none" / "windows");
}

TEST_F(PathMapperTest, RefusesRelativeMalformedAndEscapingPaths) {
  fs::create_symlink("/etc", c_ / "outside");
  fs::create_symlink("WINDOWS", c_ / "inside");
  for (const char* bad : {"", "system.ini", "C:system.ini", "\\\\server\\share\\x",
                          "C:\\..\\system.reg", "C:\\WINDOWS\\..\\..\\user.reg",
                          "C:\\outside\\passwd", "C:\\outside", "C:\\a\\b?c", "C:\\a<b",
                          "Q:\\x", "1:\\x"})
    EXPECT_FALSE(mapper_.ToHost(bad)) << bad;
  // A link that stays inside the drive is followed like any folder.
  EXPECT_TRUE(mapper_.ToHost("C:\\inside\\system.ini"));
}

TEST_F(PathMapperTest, MapsOtherDrivesThroughDosDevices) {
  fs::create_directories(dir_.path() / "cdrom" / "SETUP");
  fs::create_directories(dir_.path() / "dosdevices");
  fs::create_symlink("../cdrom", dir_.path() / "dosdevices" / "d:");
  const auto host = mapper_.ToHost("d:\\setup\\x.cab");
  ASSERT_TRUE(host);
  EXPECT_EQ(fs::weakly_canonical(*host), fs::canonical(dir_.path()) / "cdrom" / "SETUP" / "x.cab");
  EXPECT_FALSE(mapper_.ToHost("D:\\..\\drive_c"));
  // A drive that leads out of the image is none.
  fs::create_symlink("/", dir_.path() / "dosdevices" / "z:");
  EXPECT_FALSE(mapper_.ToHost("Z:\\etc\\passwd"));
}

}  // namespace
}  // namespace vlx::prefix
