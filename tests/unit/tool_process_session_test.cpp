#include <gtest/gtest.h>

#include "path_temp_dir.h"
#include "prefix/path_mapper.h"
#include "prefix/prefix_files.h"
#include "prefix/prefix_tasks.h"
#include "unit/win98_folders.h"

namespace vlx {
namespace {

namespace fs = std::filesystem;

class SimulatedSessionTest : public ::testing::Test {
 protected:
  SimulatedSessionTest()
      : paths_(dir_.path()),
        files_(paths_),
        session_(prefix::SimulatedSession::Windows98("C:\\Program Files\\Volnerix")),
        processes_(session_, files_, folders_, journal_),
        windows_(session_, journal_) {}

  testing::TempDir dir_;
  prefix::PathMapper paths_;
  prefix::PrefixFiles files_;
  testing::Win98Folders folders_;
  prefix::Journal journal_;
  prefix::SimulatedSession session_;
  prefix::PrefixProcesses processes_;
  prefix::PrefixTopWindows windows_;
};

TEST_F(SimulatedSessionTest, DesktopListViewIsFoundAndHidden) {
  const WindowHandle progman = windows_.FindTopWindow("progman", nullptr);
  ASSERT_NE(progman, 0u);
  EXPECT_EQ(windows_.FindTopWindow(nullptr, "Program Manager"), progman);
  const WindowHandle view = windows_.RelatedWindow(windows_.RelatedWindow(progman, gw::Child), gw::Child);
  EXPECT_EQ(windows_.ClassNameOf(view, 256), "SysListView32");
  EXPECT_EQ(windows_.ClassNameOf(view, 4), "Sys");
  EXPECT_TRUE(windows_.IsWindowVisible(view));
  EXPECT_TRUE(windows_.ShowWindow(progman, sw::Hide));
  EXPECT_FALSE(windows_.IsWindowVisible(view));  // an ancestor is hidden
  EXPECT_FALSE(windows_.ShowWindow(progman, sw::Show));
  EXPECT_TRUE(windows_.IsWindowVisible(view));
  std::vector<WindowHandle> top;
  windows_.Enumerate(top);
  EXPECT_EQ(std::count(top.begin(), top.end(), view), 0);  // children are not top-level
}

TEST_F(SimulatedSessionTest, TerminateAndCloseRemoveWhatTheyEnd) {
  const WindowHandle progman = windows_.FindTopWindow("Progman", nullptr);
  const std::uint32_t explorer = windows_.ProcessId(progman);
  EXPECT_TRUE(windows_.Post(progman, wm::Close, 0, 0));
  EXPECT_EQ(windows_.FindTopWindow("Progman", nullptr), 0u);
  EXPECT_EQ(windows_.ClassNameOf(0x4A4, 256), "");  // its children went with it
  EXPECT_FALSE(windows_.Post(progman, wm::Close, 0, 0));

  EXPECT_TRUE(processes_.Terminate(explorer, 0));
  EXPECT_FALSE(processes_.Terminate(explorer, 0));
  std::vector<ProcessEntry> list;
  ASSERT_TRUE(processes_.Snapshot(list));
  for (const auto& p : list) EXPECT_NE(p.id, explorer);
  EXPECT_EQ(windows_.FindTopWindow("Shell_TrayWnd", nullptr), 0u);
  ASSERT_EQ(journal_.Entries().size(), 3u);
  EXPECT_EQ(journal_.Entries()[2],
            "TerminateProcess $FFFE44F9 (C:\\WINDOWS\\EXPLORER.EXE) exit code 0");
}

TEST_F(SimulatedSessionTest, ProgramIsFoundAsCreateProcessLooksForIt) {
  testing::WriteHostFile(dir_.path() / "drive_c/Program Files/Sub Dir/unins.exe", "MZ");
  testing::WriteHostFile(dir_.path() / "drive_c/WINDOWS/uninst.exe", "MZ");
  testing::WriteHostFile(dir_.path() / "drive_c/WINDOWS/SYSTEM/RunDll.exe", "MZ");
  fs::create_directories(dir_.path() / "drive_c/WINDOWS/folder.exe");
  struct Case {
    const char* command;
    const char* program;
  } cases[] = {
      {"\"C:\\Program Files\\Sub Dir\\unins.exe\" /x", "C:\\Program Files\\Sub Dir\\unins.exe"},
      {"C:\\Program Files\\Sub Dir\\unins /x", "C:\\Program Files\\Sub Dir\\unins.exe"},
      {"uninst.exe -f\"C:\\x.isu\"", "C:\\WINDOWS\\uninst.exe"},
      {"RunDll setupx.dll,InstallHinfSection", "C:\\WINDOWS\\SYSTEM\\RunDll.exe"},
      {"C:\\WINDOWS\\uninst", "C:\\WINDOWS\\uninst.exe"},
      {"", ""},
      {"   ", ""},
      {"folder", ""},
      {"C:\\WINDOWS\\nothing.exe", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(processes_.FindProgram(c.command), c.program) << c.command;
  EXPECT_TRUE(processes_.RunAndWait("uninst.exe /a"));
  EXPECT_FALSE(processes_.RunAndWait(""));
  EXPECT_EQ(journal_.Entries(), (std::vector<std::string>{"CreateProcess and wait: uninst.exe /a",
                                                          "CreateProcess failed: "}));
}

}  // namespace
}  // namespace vlx
