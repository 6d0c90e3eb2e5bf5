#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "path_temp_dir.h"
#include "prefix/dos_attributes.h"
#include "prefix/path_mapper.h"
#include "prefix/prefix_file_ops.h"
#include "prefix/prefix_files.h"
#include "tools/filekill.h"

namespace vlx {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteHostFile;

// Holds a host file open with a lock, as a program that opened it without sharing.
class HeldOpen {
 public:
  explicit HeldOpen(const fs::path& file) : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) throw std::runtime_error("cannot hold file");
  }
  ~HeldOpen() { ::close(fd_); }

 private:
  int fd_;
};

class FileKillRoutines : public ::testing::Test {
 protected:
  FileKillRoutines() : paths_(dir_.path()), files_(paths_), fileOps_(paths_) {
    fs::create_directories(dir_.path() / "drive_c" / "WINDOWS" / "SYSTEM");
    platform_.files = &files_;
    platform_.fileOps = &fileOps_;
  }
  fs::path Host(const std::string& relative) { return dir_.path() / "drive_c" / relative; }

  TempDir dir_;
  prefix::PathMapper paths_;
  prefix::PrefixFiles files_;
  prefix::PrefixFileOps fileOps_;
  Platform platform_;
};

TEST_F(FileKillRoutines, FileInUseClearsAttributesAndTestsExclusiveOpen) {
  WriteHostFile(Host("WINDOWS/A.DLL"), "a");
  WriteHostFile(Host("WINDOWS/HELD.DLL"), "h");
  EXPECT_FALSE(filekill::FileInUse(platform_, ""));
  EXPECT_FALSE(filekill::FileInUse(platform_, "C:\\WINDOWS\\MISSING.DLL"));
  EXPECT_FALSE(filekill::FileInUse(platform_, "C:\\WINDOWS\\SYSTEM"));  // folders do not count
  EXPECT_FALSE(filekill::FileInUse(platform_, "C:\\windows\\a.dll"));

  // Read-only, hidden and system go first, so a read-only file is free to delete.
  ASSERT_TRUE(prefix::WriteDosAttributes(
      Host("WINDOWS/A.DLL"), fileattr::ReadOnly | fileattr::Hidden | fileattr::System));
  EXPECT_FALSE(filekill::FileInUse(platform_, "C:\\WINDOWS\\A.DLL"));
  EXPECT_EQ(prefix::ReadDosAttributes(Host("WINDOWS/A.DLL")), fileattr::Archive);
  EXPECT_TRUE(fileOps_.Delete("C:\\WINDOWS\\A.DLL"));

  HeldOpen held(Host("WINDOWS/HELD.DLL"));
  EXPECT_TRUE(filekill::FileInUse(platform_, "C:\\WINDOWS\\HELD.DLL"));
  EXPECT_FALSE(fileOps_.Delete("C:\\WINDOWS\\HELD.DLL"));
  EXPECT_FALSE(fileOps_.Rename("C:\\WINDOWS\\HELD.DLL", "C:\\WINDOWS\\C.DLL"));
  // A running program's file still reads: it can be copied, but not overwritten.
  EXPECT_TRUE(fileOps_.Copy("C:\\WINDOWS\\HELD.DLL", "C:\\WINDOWS\\B.DLL", false));
  EXPECT_EQ(testing::ReadHostFile(Host("WINDOWS/B.DLL")), "h");
  EXPECT_FALSE(fileOps_.Copy("C:\\WINDOWS\\B.DLL", "C:\\WINDOWS\\HELD.DLL", false));
  EXPECT_TRUE(fs::exists(Host("WINDOWS/HELD.DLL")));
}

TEST_F(FileKillRoutines, CopyAndDeleteRefuseWhatWindowsRefuses) {
  WriteHostFile(Host("WINDOWS/NEW.DLL"), "new");
  WriteHostFile(Host("WINDOWS/OLD.DLL"), "old");
  EXPECT_FALSE(fileOps_.Copy("C:\\WINDOWS\\NEW.DLL", "C:\\WINDOWS\\OLD.DLL", true));
  EXPECT_TRUE(fileOps_.Copy("C:\\WINDOWS\\NEW.DLL", "C:\\WINDOWS\\old.dll", false));
  EXPECT_EQ(testing::ReadHostFile(Host("WINDOWS/OLD.DLL")), "new");
  EXPECT_FALSE(fileOps_.Copy("C:\\WINDOWS\\NEW.DLL", "C:\\WINDOWS\\NEW.DLL", false));
  EXPECT_FALSE(fileOps_.Copy("C:\\WINDOWS\\NEW.DLL", "C:\\NOFOLDER\\X.DLL", false));
  EXPECT_FALSE(fileOps_.Copy("C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\X.DLL", false));
  EXPECT_FALSE(fileOps_.Delete("C:\\WINDOWS\\SYSTEM"));
  EXPECT_FALSE(fileOps_.Delete("C:\\WINDOWS\\MISSING.DLL"));
  ASSERT_TRUE(prefix::WriteDosAttributes(Host("WINDOWS/OLD.DLL"), fileattr::ReadOnly));
  EXPECT_FALSE(fileOps_.Delete("C:\\WINDOWS\\OLD.DLL"));
  EXPECT_FALSE(fileOps_.Copy("C:\\WINDOWS\\NEW.DLL", "C:\\WINDOWS\\OLD.DLL", false));
}

TEST_F(FileKillRoutines, CommandsNameTheListedFile) {
  WriteHostFile(Host("WINDOWS/Shell32.DLL"), "x");
  WriteHostFile(Host("WINDOWS/TEMP/new shell.dll"), "y");
  auto del = filekill::DeleteCommand(fileOps_, "C:\\WINDOWS\\SHELL32.DLL");
  EXPECT_EQ(del.valueName, "(Delete: Shell32.DLL)");
  EXPECT_EQ(del.command, "command.com /c del \"C:\\WINDOWS\\SHELL32.DLL\"");
  auto rep = filekill::ReplaceCommand(fileOps_, "C:\\WINDOWS\\SHELL32.DLL",
                                      "C:\\WINDOWS\\TEMP\\NEW SHELL.DLL");
  EXPECT_EQ(rep.valueName, "(Replace: new shell.dll)");
  EXPECT_EQ(rep.command,
            "command.com /c copy \"C:\\WINDOWS\\TEMP\\NEW SHELL.DLL\" \"C:\\WINDOWS\\SHELL32.DLL\"");
  EXPECT_EQ(filekill::DeleteCommand(fileOps_, "C:\\WINDOWS\\GONE.DLL").valueName, "(Delete: )");
  EXPECT_EQ(filekill::ListedFileName(fileOps_, "C:\\WINDOWS\\*.dll"), "Shell32.DLL");
  EXPECT_EQ(filekill::ListedFileName(fileOps_, "C:\\WINDOWS\\TEMP\\new?shell.*"), "new shell.dll");
}

TEST_F(FileKillRoutines, SizeLabelTruncatesTowardZero) {
  WriteHostFile(Host("WINDOWS/S1023"), std::string(1023, 'x'));
  WriteHostFile(Host("WINDOWS/S2049"), std::string(2049, 'x'));
  EXPECT_EQ(filekill::GetFileSizeByName(fileOps_, "C:\\WINDOWS\\S1023"), 1023);
  EXPECT_EQ(filekill::GetFileSizeByName(fileOps_, "C:\\WINDOWS\\NONE"), -1);
  struct Case {
    std::int64_t bytes;
    const char* label;
  } cases[] = {{1023, "0 Кб."}, {-1, "0 Кб."}, {2049, "2 Кб."}, {5LL << 30, "5242880 Кб."}};
  for (const auto& c : cases) EXPECT_EQ(filekill::SizeLabelText(c.bytes), c.label) << c.bytes;
}

class RecordingProcesses : public Processes {
 public:
  bool nt = false, privilegeWorks = true, exitWorks = true;
  std::vector<std::string> calls;
  bool Snapshot(std::vector<ProcessEntry>&) override { return false; }
  bool Terminate(std::uint32_t, std::uint32_t) override { return false; }
  bool RunAndWait(const std::string&) override { return false; }
  bool Start(const std::string&) override { return false; }
  bool IsNtFamily() override { return nt; }
  bool EnableShutdownPrivilege() override {
    calls.push_back("privilege");
    return privilegeWorks;
  }
  bool ExitSystem(std::uint32_t flags) override {
    calls.push_back("exit " + std::to_string(flags));
    return exitWorks;
  }
};

TEST(RestartComputer, EnablesThePrivilegeOnlyOnNtAndReportsTheRequest) {
  RecordingProcesses nine;
  EXPECT_TRUE(filekill::RestartComputer(nine, ewx::Reboot));
  EXPECT_EQ(nine.calls, std::vector<std::string>{"exit 2"});

  RecordingProcesses nt;
  nt.nt = true;
  nt.privilegeWorks = false;  // a failing privilege step does not stop the request
  nt.exitWorks = false;
  EXPECT_FALSE(filekill::RestartComputer(nt, ewx::Reboot));
  EXPECT_EQ(nt.calls, (std::vector<std::string>{"privilege", "exit 2"}));
}

}  // namespace
}  // namespace vlx
