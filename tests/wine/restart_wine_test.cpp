// The restart request over the real API: the shutdown privilege is taken on the NT family only.
// The run of tests/wine/run-wine-tests says which version Wine shows (VLX_WINE_VERSION); the
// restart itself is stood in, so the prefix's session goes on.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tools/filekill.h"
#include "win32/win32_processes.h"

namespace vlx {
namespace {

class StoodInRestart : public win32::Win32Processes {
 public:
  bool EnableShutdownPrivilege() override {
    ++privilegeCalls;
    privilegeGranted = Win32Processes::EnableShutdownPrivilege();
    return privilegeGranted;
  }
  bool ExitSystem(std::uint32_t flags) override {
    exitFlags = flags;
    return true;
  }
  int privilegeCalls = 0;
  bool privilegeGranted = false;
  std::uint32_t exitFlags = 0;
};

TEST(RestartUnderWine, TakesTheShutdownPrivilegeOnlyOnTheNtFamily) {
  const char* shown = std::getenv("VLX_WINE_VERSION");
  const std::string version = shown ? shown : "";
  if (version != "win98" && version != "winme" && version != "nt")
    GTEST_SKIP() << "VLX_WINE_VERSION does not say which version Wine shows";
  StoodInRestart processes;
  EXPECT_TRUE(filekill::RestartComputer(processes, EWX_REBOOT));
  EXPECT_EQ(processes.exitFlags, static_cast<std::uint32_t>(EWX_REBOOT));
  if (version == "nt") {
    EXPECT_TRUE(processes.IsNtFamily());
    EXPECT_EQ(processes.privilegeCalls, 1);
    EXPECT_TRUE(processes.privilegeGranted);
  } else {
    EXPECT_FALSE(processes.IsNtFamily());
    EXPECT_EQ(processes.privilegeCalls, 0);
  }
}

}  // namespace
}  // namespace vlx
