#include <gtest/gtest.h>

#include "path_temp_dir.h"
#include "prefix/prefix_files.h"

namespace vlx::prefix {
namespace {

namespace fs = std::filesystem;
using vlx::testing::ReadHostFile;
using vlx::testing::TempDir;
using vlx::testing::WriteHostFile;

class PrefixFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteHostFile(dir_.path() / "drive_c" / "WINDOWS" / "Win.ini", "old"); }
  TempDir dir_;
  PathMapper paths_{dir_.path()};
  PrefixFiles files_{paths_};
};

TEST_F(PrefixFilesTest, AttributesThroughWindowsPaths) {
  EXPECT_TRUE(files_.Exists("c:\\windows\\WIN.INI"));
  EXPECT_FALSE(files_.Exists("C:\\WINDOWS\\none.ini"));
  EXPECT_FALSE(files_.Exists("C:\\..\\system.reg"));
  EXPECT_EQ(files_.GetAttributes("C:\\WINDOWS"), fileattr::Directory);
  ASSERT_TRUE(files_.SetAttributes("C:\\windows\\win.ini", fileattr::Hidden | fileattr::ReadOnly));
  EXPECT_EQ(files_.GetAttributes("C:\\WINDOWS\\Win.ini"),
            fileattr::Archive | fileattr::Hidden | fileattr::ReadOnly);
  EXPECT_FALSE(files_.SetAttributes("C:\\WINDOWS\\none.ini", fileattr::Hidden));
}

TEST_F(PrefixFilesTest, WriteWholeFileCreatesReplacesAndRefuses) {
  const fs::path win = dir_.path() / "drive_c" / "WINDOWS";
  ASSERT_TRUE(files_.WriteWholeFile("C:\\WINDOWS\\new.txt", std::string("a\0b", 3)));
  EXPECT_EQ(ReadHostFile(win / "new.txt"), std::string("a\0b", 3));

  // Replacing keeps hidden and system, as Wine does.
  ASSERT_TRUE(files_.SetAttributes("C:\\WINDOWS\\WIN.INI", fileattr::Hidden | fileattr::System));
  ASSERT_TRUE(files_.WriteWholeFile("C:\\WINDOWS\\WIN.INI", "new"));
  EXPECT_EQ(ReadHostFile(win / "Win.ini"), "new");
  EXPECT_EQ(files_.GetAttributes("C:\\WINDOWS\\WIN.INI"),
            fileattr::Archive | fileattr::Hidden | fileattr::System);

  ASSERT_TRUE(files_.SetAttributes("C:\\WINDOWS\\WIN.INI", fileattr::ReadOnly));
  EXPECT_FALSE(files_.WriteWholeFile("C:\\WINDOWS\\WIN.INI", "lost"));
  EXPECT_EQ(ReadHostFile(win / "Win.ini"), "new");
  EXPECT_FALSE(files_.WriteWholeFile("C:\\NoSuchDir\\x.txt", "x"));
  EXPECT_FALSE(files_.WriteWholeFile("C:\\WINDOWS", "x"));
  EXPECT_FALSE(fs::exists(dir_.path() / "drive_c" / "NoSuchDir"));
}

}  // namespace
}  // namespace vlx::prefix
