// Disk images: which volume a spec names, and a session's changes going back through mtools.
#include <fcntl.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/win_types.h"
#include "prefix/dos_attributes.h"
#include "prefix/prefix_error.h"
#include "text/cp1251.h"
#include "unit/path_temp_dir.h"
#include "win9x/disk_image.h"
#include "win9x/host_tool.h"

namespace vlx::win9x {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// A FAT32 boot sector's marks: jump, 512-byte sectors, the file system name, the signature.
std::string FatBootSector() {
  std::string sector(512, '\0');
  sector[0] = '\xEB';
  sector[1] = '\x58';
  sector[2] = '\x90';
  sector[12] = 2;
  sector.replace(0x52, 5, "FAT32");
  sector[510] = '\x55';
  sector[511] = '\xAA';
  return sector;
}

void PutSector(std::string& disk, std::uint64_t lba, const std::string& sector) {
  if (disk.size() < (lba + 1) * 512) disk.resize((lba + 1) * 512, '\0');
  disk.replace(lba * 512, 512, sector);
}

void PutEntry(std::string& sector, int slot, unsigned char type, std::uint32_t start) {
  const std::size_t e = 0x1BE + 16 * slot;
  sector[e + 4] = static_cast<char>(type);
  for (int i = 0; i < 4; ++i) {
    sector[e + 8 + i] = static_cast<char>((start >> (8 * i)) & 0xFF);
    sector[e + 12 + i] = '\x10';
  }
  sector[510] = '\x55';
  sector[511] = '\xAA';
}

TEST(DiskVolume, FindsTheFatVolumeOfAPartitionTableOrABareVolume) {
  testing::TempDir temp;
  // Partition 1 is Linux, 2 FAT32, 3 extended with one logical FAT16 partition (number 5).
  std::string mbr = SinglePartitionMbr(4096, 64);
  PutEntry(mbr, 0, 0x83, 64);
  PutEntry(mbr, 1, 0x0C, 128);
  PutEntry(mbr, 2, 0x0F, 256);
  std::string disk;
  PutSector(disk, 0, mbr);
  PutSector(disk, 128, FatBootSector());
  std::string ebr(512, '\0');
  PutEntry(ebr, 0, 0x06, 16);
  PutSector(disk, 256, ebr);
  PutSector(disk, 272, FatBootSector());
  const fs::path image = temp.path() / "disk.img";
  testing::WriteHostFile(image, disk);
  const fs::path bare = temp.path() / "floppy.img";
  testing::WriteHostFile(bare, FatBootSector());

  EXPECT_EQ(FindDiskVolume(image.string()).offset, 128u * 512);       // the first FAT one
  EXPECT_EQ(FindDiskVolume(image.string() + ":2").offset, 128u * 512);
  EXPECT_EQ(FindDiskVolume(image.string() + ":5").offset, 272u * 512);
  EXPECT_EQ(FindDiskVolume(bare.string()).offset, 0u);
  struct Refused {
    std::string spec;
    const char* message;
  };
  for (const auto& [spec, message] :
       {Refused{image.string() + ":1", "holds no FAT file system"},
        Refused{image.string() + ":4", "there is no partition 4"},
        Refused{bare.string() + ":2", "single FAT volume"},
        Refused{(temp.path() / "none.img").string(), "Cannot read"}}) {
    SCOPED_TRACE(spec);
    try {
      FindDiskVolume(spec);
      ADD_FAILURE() << "accepted";
    } catch (const prefix::PrefixError& error) {
      EXPECT_THAT(error.what(), HasSubstr(message));
    }
  }
}

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(DiskSession, PutsWhatChangedBackIntoTheImageWithItsAttributes) {
  if (RunTool({"mcopy", "-V"}).status != 0) GTEST_SKIP() << "mtools is not installed";
  testing::TempDir temp;
  const fs::path image = temp.path() / "disk.img";
  CreateDiskImage(image);
  const DiskVolume volume = FindDiskVolume(image.string());
  EXPECT_EQ(volume.offset, 2048u * 512);
  std::string hive;
  {
    DiskSession session(volume);
    const fs::path windows = session.Folder() / "WINDOWS";
    EXPECT_EQ(prefix::ReadDosAttributes(windows / "SYSTEM.DAT") & 7u,
              fileattr::ReadOnly | fileattr::Hidden | fileattr::System);
    // C:\PROGRA~1 reaches "Program Files".
    EXPECT_TRUE(fs::exists(session.Folder() / "PROGRA~1" / "Volnerix" / "vlximg.dll"));
    testing::WriteHostFile(windows / Cp1251ToUtf8("Новый.ini"), "[a]\r\nb=1\r\n");
    fs::create_directories(session.Folder() / "GAMES" / "DOOM");
    fs::remove(session.Folder() / "CONFIG.SYS");
    prefix::WriteDosAttributes(session.Folder() / "AUTOEXEC.BAT", fileattr::Hidden);
    hive = Bytes(windows / "SYSTEM.DAT");
    session.WriteBack();
  }
  DiskSession again(volume);
  EXPECT_EQ(Bytes(again.Folder() / "WINDOWS" / Cp1251ToUtf8("Новый.ini")), "[a]\r\nb=1\r\n");
  EXPECT_TRUE(fs::is_directory(again.Folder() / "GAMES" / "DOOM"));
  EXPECT_FALSE(fs::exists(again.Folder() / "CONFIG.SYS"));
  EXPECT_EQ(prefix::ReadDosAttributes(again.Folder() / "AUTOEXEC.BAT") & 7u, fileattr::Hidden);
  EXPECT_EQ(Bytes(again.Folder() / "WINDOWS" / "SYSTEM.DAT"), hive);
  EXPECT_FALSE(fs::exists(again.Folder() / "WINDOWS" / "SYSTEM.VX0"));  // nothing wrote it
}

TEST(DiskSession, WritesNothingWhileAnotherProgramHasTheImageOpenForWriting) {
  if (RunTool({"mcopy", "-V"}).status != 0) GTEST_SKIP() << "mtools is not installed";
  testing::TempDir temp;
  const fs::path image = temp.path() / "disk.img";
  CreateDiskImage(image);
  DiskSession session(FindDiskVolume(image.string()));
  testing::WriteHostFile(session.Folder() / "NEW.TXT", "x");
  const std::string before = Bytes(image);
  // A child that holds the image open for writing, as an emulator does.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::open(image.c_str(), O_RDWR);
    (void)!::write(ready[1], fd >= 0 ? "y" : "n", 1);
    ::pause();
    ::_exit(0);
  }
  char answer = 0;
  ASSERT_EQ(::read(ready[0], &answer, 1), 1);
  ASSERT_EQ(answer, 'y');
  EXPECT_THAT(ImageWriter(image), HasSubstr("(process " + std::to_string(child) + ")"));
  try {
    session.WriteBack();
    ADD_FAILURE() << "written while open";
  } catch (const prefix::PrefixError& error) {
    EXPECT_THAT(error.what(), HasSubstr("is open for writing"));
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(Bytes(image), before);
  EXPECT_EQ(ImageWriter(image), "");
}

}  // namespace
}  // namespace vlx::win9x
