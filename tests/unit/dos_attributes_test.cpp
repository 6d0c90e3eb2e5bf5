#include "prefix/dos_attributes.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <gtest/gtest.h>

#include "path_temp_dir.h"
#include "platform/win_types.h"

namespace vlx::prefix {
namespace {

namespace fs = std::filesystem;
using vlx::testing::TempDir;
using vlx::testing::WriteHostFile;

std::string Xattr(const fs::path& file) {
  char value[64];
  const ssize_t n = ::getxattr(file.c_str(), "user.DOSATTRIB", value, sizeof value);
  return n < 0 ? std::string("<none>") : std::string(value, static_cast<std::size_t>(n));
}

mode_t Mode(const fs::path& file) {
  struct stat st {};
  ::stat(file.c_str(), &st);
  return st.st_mode & 0777;
}

// What SetFileAttributesA leaves and GetFileAttributesA then reports under Wine 8.
TEST(DosAttributes, RoundTripMatchesWine) {
  TempDir dir;
  const mode_t savedMask = ::umask(022);  // write permission comes back within the umask
  const fs::path file = dir.path() / "f.txt";
  WriteHostFile(file, "x");
  ::chmod(file.c_str(), 0644);
  struct Case {
    std::uint32_t set, get;
    const char* xattr;
    mode_t mode;
  } cases[] = {
      {0x07, 0x27, "0x6", 0444},  // read-only, hidden, system; archive is always reported
      {0x00, 0x20, "<none>", 0644},
      {0x02, 0x22, "0x2", 0644},
      {0x26, 0x26, "0x6", 0644},
      {0x80, 0x20, "<none>", 0644},
      {0x01, 0x21, "<none>", 0444},
      {0x1000, 0x20, "<none>", 0644},  // bits Wine does not keep are dropped
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteDosAttributes(file, c.set)) << std::hex << c.set;
    EXPECT_EQ(ReadDosAttributes(file), c.get) << std::hex << c.set;
    EXPECT_EQ(Xattr(file), c.xattr) << std::hex << c.set;
    EXPECT_EQ(Mode(file), c.mode) << std::hex << c.set;
  }
  ::umask(savedMask);
}

TEST(DosAttributes, ReadsWhatWineWrites) {
  TempDir dir;
  const fs::path file = dir.path() / "f";
  WriteHostFile(file, "x");
  struct Case {
    std::string xattr;
    std::uint32_t get;
  } cases[] = {
      {"0x6", 0x26},          {"0x27", 0x26},  // only hidden and system are taken
      {std::string("0x2\0\3\0", 6), 0x22},     // Samba's record after the text
      {"6", 0x20},            {"0X6", 0x20},   {"0x6garbage", 0x20}, {"0x", 0x20},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(::setxattr(file.c_str(), "user.DOSATTRIB", c.xattr.data(), c.xattr.size(), 0), 0);
    EXPECT_EQ(ReadDosAttributes(file), c.get) << c.xattr;
  }
}

TEST(DosAttributes, DirectoriesDotFilesAndMissingFiles) {
  TempDir dir;
  const fs::path sub = dir.path() / "dd";
  fs::create_directories(sub);
  EXPECT_EQ(ReadDosAttributes(sub), fileattr::Directory);
  ASSERT_TRUE(WriteDosAttributes(sub, fileattr::ReadOnly | fileattr::Hidden));
  EXPECT_EQ(ReadDosAttributes(sub), fileattr::Directory | fileattr::Hidden);  // read-only ignored
  EXPECT_EQ(Mode(sub) & 0200, 0200u);

  WriteHostFile(dir.path() / ".profile", "");
  EXPECT_EQ(ReadDosAttributes(dir.path() / ".profile"), fileattr::Archive | fileattr::Hidden);

  // Group write alone still counts as writable, as in Wine.
  WriteHostFile(dir.path() / "gw", "");
  ::chmod((dir.path() / "gw").c_str(), 0464);
  EXPECT_EQ(ReadDosAttributes(dir.path() / "gw"), fileattr::Archive);

  EXPECT_EQ(ReadDosAttributes(dir.path() / "missing"), fileattr::Invalid);
  EXPECT_FALSE(WriteDosAttributes(dir.path() / "missing", fileattr::Hidden));
}

}  // namespace
}  // namespace vlx::prefix
