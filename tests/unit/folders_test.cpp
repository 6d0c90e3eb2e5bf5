#include <gtest/gtest.h>

#include "store/folders.h"

namespace vlx {
namespace {

// Reports fixed answers; a null answer makes the call fail.
class FakeSystemInfo : public SystemInfo {
 public:
  FakeSystemInfo(const char* windows, const char* system, const char* temp)
      : windows_(windows), system_(system), temp_(temp) {}
  bool WindowsDirectory(std::string& out) override { return Answer(windows_, out); }
  bool SystemDirectory(std::string& out) override { return Answer(system_, out); }
  bool TempPath(std::string& out) override { return Answer(temp_, out); }

 private:
  static bool Answer(const char* value, std::string& out) {
    if (value == nullptr) return false;
    out = value;
    return true;
  }
  const char* windows_;
  const char* system_;
  const char* temp_;
};

TEST(Folders, TakeWhatTheSystemReports) {
  FakeSystemInfo system("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM\\", "C:\\WINDOWS\\TEMP\\");
  EXPECT_EQ(GetWindowsDir(system), "C:\\WINDOWS");
  EXPECT_EQ(GetSystemDir(system), "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(GetTempDir(system), "C:\\WINDOWS\\TEMP\\");
  EXPECT_EQ(GetBootDrive(system), "C:");
  FakeSystemInfo root("D:\\", "D:\\SYSTEM", "D:\\");
  EXPECT_EQ(GetWindowsDir(root), "D:\\");
  EXPECT_EQ(GetBootDrive(root), "D:");
}

TEST(Folders, FailedCallsGiveEmptyFoldersAndABlankTempFolder) {
  FakeSystemInfo failing(nullptr, nullptr, nullptr);
  EXPECT_EQ(GetWindowsDir(failing), "");
  EXPECT_EQ(GetSystemDir(failing), "");
  EXPECT_EQ(GetTempDir(failing), " ");
  EXPECT_EQ(GetBootDrive(failing), "");
}

}  // namespace
}  // namespace vlx
