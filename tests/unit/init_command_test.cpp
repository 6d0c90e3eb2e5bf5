// volnrx-cli init as a user runs it.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "path_temp_dir.h"
#include "text/cp1251.h"

namespace vlx {
namespace {

using vlx::testing::ReadHostFile;
using vlx::testing::TempDir;
using vlx::testing::WriteHostFile;

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(InitCommand, CreatesAnImageOnceAndRefusesToOverwriteIt) {
  const std::string cli = std::string(VLX_BINARY_DIR) + "/volnrx-cli";
  if (!std::filesystem::exists(cli)) GTEST_SKIP() << "volnrx-cli is not built";
  TempDir dir;
  // The name is CP1251 here and UTF-8 on the command line and on disk.
  const std::string image = (dir.path() / Cp1251ToUtf8("Образ")).string();
  const std::string err = (dir.path() / "err.txt").string();
  ASSERT_EQ(Shell(cli + " init '" + image + "' >/dev/null"), 0);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(image) / "drive_c" / "WINDOWS" /
                                      "SYSTEM.INI"));
  WriteHostFile(std::filesystem::path(image) / "user.reg", "mine");
  EXPECT_EQ(Shell(cli + " init '" + image + "' 2>'" + err + "'"), 1);
  EXPECT_NE(ReadHostFile(err).find("not an empty folder"), std::string::npos) << ReadHostFile(err);
  EXPECT_EQ(ReadHostFile(std::filesystem::path(image) / "user.reg"), "mine");
  EXPECT_EQ(Shell(cli + " init >/dev/null 2>&1"), 2);
}

}  // namespace
}  // namespace vlx
