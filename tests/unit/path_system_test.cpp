#include <gtest/gtest.h>

#include "prefix/prefix_system.h"
#include "rules_fakes.h"
#include "store/folders.h"

namespace vlx::prefix {
namespace {

using vlx::testing::FakeRegistry;

constexpr const char* kVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Sz(const std::string& text) { return text + '\0'; }

struct Machine {
  FakeRegistry registry;
  PrefixSystemInfo system{registry};
  PrefixShell shell{registry, system};
  std::string Special(int csidl) {
    std::string out;
    return shell.SpecialFolderPath(csidl, out) ? out : "<none>";
  }
};

TEST(PrefixSystem, Windows98DefaultsWithoutRegistryEntries) {
  Machine m;
  EXPECT_EQ(GetWindowsDir(m.system), "C:\\WINDOWS");
  EXPECT_EQ(GetSystemDir(m.system), "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(GetTempDir(m.system), "C:\\WINDOWS\\TEMP\\");
  EXPECT_EQ(m.Special(csidl::StartMenu), "C:\\WINDOWS\\Start Menu");
  EXPECT_EQ(m.Special(csidl::Programs), "C:\\WINDOWS\\Start Menu\\Programs");
  EXPECT_EQ(m.Special(csidl::Fonts), "C:\\WINDOWS\\Fonts");
  EXPECT_EQ(m.Special(0x05), "C:\\My Documents");
  EXPECT_EQ(m.Special(0x26), "C:\\Program Files");
  EXPECT_EQ(m.Special(0x7777), "<none>");
}

TEST(PrefixSystem, FoldersFromWhereWindowsRecordsThem) {
  Machine m;
  m.registry.Put(regroot::LocalMachine, kVersion, "SystemRoot", regtype::Sz, Sz("D:\\WIN98\\"));
  m.registry.Put(regroot::CurrentUser, kShellFolders, "Start Menu", regtype::Sz,
                 Sz("D:\\WIN98\\Главное меню"));
  m.registry.Put(regroot::CurrentUser,
                 "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                 "Fonts", regtype::ExpandSz, Sz("%WinDir%\\Шрифты"));
  m.registry.Put(regroot::LocalMachine, kShellFolders, "Common Desktop", regtype::Sz,
                 Sz("D:\\WIN98\\All Users\\Рабочий стол"));
  m.registry.Put(regroot::CurrentUser, "Environment", "TEMP", regtype::Sz, Sz("%SystemRoot%\\TMP"));
  EXPECT_EQ(GetWindowsDir(m.system), "D:\\WIN98");
  EXPECT_EQ(GetSystemDir(m.system), "D:\\WIN98\\SYSTEM");
  EXPECT_EQ(GetTempDir(m.system), "D:\\WIN98\\TMP\\");
  EXPECT_EQ(m.Special(csidl::StartMenu), "D:\\WIN98\\Главное меню");
  EXPECT_EQ(m.Special(csidl::Fonts), "D:\\WIN98\\Шрифты");
  EXPECT_EQ(m.Special(0x19), "D:\\WIN98\\All Users\\Рабочий стол");
  EXPECT_EQ(m.Special(csidl::Programs), "D:\\WIN98\\Start Menu\\Programs");
  EXPECT_EQ(m.registry.OpenHandles(), 0u);
}

TEST(PrefixSystem, WinePrefixLayoutAndUnusableTemp) {
  Machine m;
  m.registry.Put(regroot::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                 "SystemRoot", regtype::Sz, Sz("C:\\windows"));
  EXPECT_EQ(GetWindowsDir(m.system), "C:\\windows");
  EXPECT_EQ(GetSystemDir(m.system), "C:\\windows\\system32");
  // Wine keeps TEMP as %USERPROFILE%\...: there is no profile folder to expand it with.
  m.registry.Put(regroot::CurrentUser, "Environment", "TEMP", regtype::ExpandSz,
                 Sz("%USERPROFILE%\\Temp"));
  EXPECT_EQ(GetTempDir(m.system), " ");
  // A value of the wrong type counts as missing.
  m.registry.Put(regroot::CurrentUser, "Environment", "TEMP", regtype::Dword, "\1\0\0\0");
  EXPECT_EQ(GetTempDir(m.system), "C:\\windows\\TEMP\\");
}

}  // namespace
}  // namespace vlx::prefix
