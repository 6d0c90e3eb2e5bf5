// The Registry port over a prefix's hive files: Win32 results, HKEY_CLASSES_ROOT as a view of
// HKLM\Software\Classes, saving only what changed, and files that never get damaged.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>

#include "prefix/atomic_file.h"
#include "prefix/prefix_error.h"
#include "prefix/prefix_registry.h"
#include "store/reg_store.h"
#include "unit/path_temp_dir.h"

namespace vlx::prefix {
namespace {

namespace fs = std::filesystem;
using vlx::testing::TempDir;
using vlx::testing::ReadHostFile;
using vlx::testing::WriteHostFile;

const std::string kSystem =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n"
    "[Software\\\\Classes\\\\.txt] 1796861030\n#time=1dd8839ef877f0e\n@=\"txtfile\"\n\n"
    "[Software\\\\\\x422\\x435\\x441\\x442] 1796861030\n"
    "\"\\x418\\x43c\\x44f\"=\"old\"\n";
// Not in wineserver's layout (no blank lines, keys out of order): rewriting it would show.
const std::string kUser =
    "WINE REGISTRY Version 2\n[Software\\\\B] 1\n\"v\"=dword:00000001\n[Software\\\\A] 1\n";

class PrefixRegistryTest : public ::testing::Test {
 protected:
  PrefixRegistryTest() {
    WriteHostFile(SystemReg(), kSystem);
    WriteHostFile(UserReg(), kUser);
  }
  ~PrefixRegistryTest() override { SetWriteFaultHook(nullptr); }

  fs::path SystemReg() const { return dir_.path() / "system.reg"; }
  fs::path UserReg() const { return dir_.path() / "user.reg"; }
  std::unique_ptr<PrefixRegistry> Open() const {
    return std::make_unique<PrefixRegistry>(SystemReg(), UserReg());
  }

  TempDir dir_;
};

TEST_F(PrefixRegistryTest, ClassesRootIsTheMachinesSoftwareClassesAndSavesThere) {
  auto registry = Open();
  RegStore store(*registry);
  store.SetRoot(regroot::ClassesRoot);
  ASSERT_TRUE(store.OpenPath("\\.TXT", false));
  EXPECT_EQ(store.ReadText(""), "txtfile");
  ASSERT_TRUE(store.OpenPath("\\.ini", true));
  store.WriteText("", "inifile");
  store.ClosePath();
  registry->Save();

  auto reread = Open();
  RegStore machine(*reread);
  machine.SetRoot(regroot::LocalMachine);
  ASSERT_TRUE(machine.OpenPath("\\SOFTWARE\\classes\\.ini", false));
  EXPECT_EQ(machine.ReadText(""), "inifile");
  EXPECT_NE(ReadHostFile(SystemReg()).find("[Software\\\\Classes\\\\.ini]"), std::string::npos);
  EXPECT_EQ(ReadHostFile(UserReg()), kUser);  // only the changed hive is written
}

TEST_F(PrefixRegistryTest, CyrillicNamesMatchInAnyCaseAndKeepTheirSpelling) {
  auto registry = Open();
  RegStore store(*registry);
  store.SetRoot(regroot::LocalMachine);
  ASSERT_TRUE(store.OpenPath("\\software\\ТЕСТ", false));
  EXPECT_EQ(store.ReadText("иМЯ"), "old");
  store.WriteText("ИМЯ", "новое");
  store.WriteText("Ещё", "значение");
  store.ClosePath();
  registry->Save();
  const std::string text = ReadHostFile(SystemReg());
  // Written as wineserver writes them: UTF-16 code units as \x escapes, first spelling kept.
  EXPECT_NE(text.find("[Software\\\\\\x422\\x435\\x441\\x442]"), std::string::npos) << text;
  EXPECT_NE(text.find("\"\\x418\\x43c\\x44f\"=\"\\x43d\\x43e\\x432\\x43e\\x435\"\n"),
            std::string::npos)
      << text;
  std::vector<std::string> names;
  ASSERT_TRUE(store.OpenPath("\\Software", false));
  store.ListSubkeys(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Classes", "Тест"}));
}

TEST_F(PrefixRegistryTest, PortResultsHaveTheirWin32Shapes) {
  auto registry = Open();
  Registry& r = *registry;
  RegKey key = 0;
  ASSERT_EQ(r.CreateKey(regroot::CurrentUser, "Software\\New\\Leaf", key), winerr::Success);
  ASSERT_EQ(r.SetValue(key, "s", regtype::Sz, reinterpret_cast<const unsigned char*>("abc"), 4),
            winerr::Success);

  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(r.QueryValue(key, "S", &type, nullptr, &size), winerr::Success);
  EXPECT_EQ(type, regtype::Sz);
  EXPECT_EQ(size, 4u);  // with the final zero
  unsigned char small[2] = {};
  size = sizeof small;
  EXPECT_EQ(r.QueryValue(key, "s", &type, small, &size), winerr::MoreData);
  EXPECT_EQ(size, 4u);
  unsigned char big[8] = {};
  size = sizeof big;
  EXPECT_EQ(r.QueryValue(key, "s", nullptr, big, &size), winerr::Success);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(big), size), std::string("abc\0", 4));
  EXPECT_EQ(r.QueryValue(key, "s", nullptr, big, nullptr), winerr::InvalidParameter);
  EXPECT_EQ(r.QueryValue(key, "missing", &type, nullptr, &size), winerr::FileNotFound);
  EXPECT_EQ(r.QueryValue(key, "", &type, nullptr, &size), winerr::FileNotFound);

  RegKeyInfo info;
  ASSERT_EQ(r.SetValue(key, "longer name", regtype::Binary,
                       reinterpret_cast<const unsigned char*>("12345"), 5),
            winerr::Success);
  ASSERT_EQ(r.QueryInfoKey(key, info), winerr::Success);
  EXPECT_EQ(info.values, 2u);
  EXPECT_EQ(info.maxValueNameLen, 11u);
  EXPECT_EQ(info.maxValueLen, 8u);  // "abc" as the registry keeps it: UTF-16 with its zero

  RegKey parent = 0;
  ASSERT_EQ(r.OpenKey(regroot::CurrentUser, "software", parent), winerr::Success);
  EXPECT_EQ(r.DeleteKey(parent, "New"), winerr::AccessDenied);  // it has a subkey
  EXPECT_EQ(r.DeleteKey(parent, "Missing"), winerr::FileNotFound);
  EXPECT_EQ(r.DeleteKey(parent, "NEW\\leaf"), winerr::Success);
  EXPECT_EQ(r.QueryValue(key, "s", &type, nullptr, &size), winerr::KeyDeleted);
  EXPECT_EQ(r.SetValue(key, "s", regtype::Sz, big, 1), winerr::KeyDeleted);
  std::string name;
  EXPECT_EQ(r.EnumKey(key, 0, name), winerr::KeyDeleted);
  EXPECT_EQ(r.CloseKey(key), winerr::Success);
  EXPECT_EQ(r.CloseKey(key), winerr::InvalidHandle);
  EXPECT_EQ(r.OpenKey(parent, "\\New", key), 161);  // ERROR_BAD_PATHNAME
  EXPECT_EQ(r.OpenKey(regroot::Users, ".Default", key), winerr::FileNotFound);
  r.CloseKey(parent);
}

TEST_F(PrefixRegistryTest, ClassesRootExistsInAHiveWithoutSoftwareClassesAndChangesNothing) {
  const std::string bare = "WINE REGISTRY Version 2\n[System] 1\n";
  WriteHostFile(SystemReg(), bare);
  auto registry = Open();
  RegKey key = 0;
  ASSERT_EQ(registry->OpenKey(regroot::ClassesRoot, "", key), winerr::Success);
  std::string name;
  EXPECT_EQ(registry->EnumKey(key, 0, name), winerr::NoMoreItems);
  EXPECT_EQ(registry->OpenKey(regroot::ClassesRoot, ".txt", key), winerr::FileNotFound);
  registry->Save();
  EXPECT_EQ(ReadHostFile(SystemReg()), bare);
}

TEST_F(PrefixRegistryTest, AFileThatDoesNotParseIsReportedAndNeverWritten) {
  const std::string broken = kSystem + "\"cut\"=hex:01,02,\\";
  WriteHostFile(SystemReg(), broken);
  auto registry = Open();
  RegKey key = 0;
  try {
    registry->CreateKey(regroot::LocalMachine, "Software\\X", key);
    FAIL() << "no error";
  } catch (const PrefixError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(SystemReg().string()), std::string::npos) << message;
    EXPECT_NE(message.find("line 12"), std::string::npos) << message;
  }
  ASSERT_EQ(registry->CreateKey(regroot::CurrentUser, "Software\\X", key), winerr::Success);
  registry->Save();
  EXPECT_EQ(ReadHostFile(SystemReg()), broken);
  EXPECT_NE(ReadHostFile(UserReg()), kUser);
}

// A value set to what it already holds, or changes that undo each other, leave the hive file
// alone (an apply that changes nothing rewrites nothing), as wineserver does.
TEST_F(PrefixRegistryTest, SettingAValueToWhatItHoldsWritesNothing) {
  auto registry = Open();
  RegStore store(*registry);
  store.SetRoot(regroot::CurrentUser);
  ASSERT_TRUE(store.OpenPath("\\Software\\B", false));
  store.WriteNumber("V", 1);  // the same data, the name in other letters
  store.ClosePath();
  registry->Save();
  EXPECT_EQ(ReadHostFile(UserReg()), kUser);
  // Changes that undo each other: a key made and removed again (in a hive in wineserver's
  // layout, which a rewrite would keep as it is).
  RegStore machine(*registry);
  machine.SetRoot(regroot::LocalMachine);
  ASSERT_TRUE(machine.OpenPath("\\Software\\Passing", true));
  machine.ClosePath();
  machine.RemoveKeyTree("\\Software\\Passing");
  const FileIdentity before = IdentityOf(SystemReg());
  registry->Save();
  EXPECT_EQ(ReadHostFile(SystemReg()), kSystem);
  EXPECT_TRUE(IdentityOf(SystemReg()) == before) << "rewritten";

  ASSERT_TRUE(store.OpenPath("\\Software\\B", false));
  store.WriteNumber("v", 2);
  store.ClosePath();
  registry->Save();
  EXPECT_NE(ReadHostFile(UserReg()).find("\"v\"=dword:00000002"), std::string::npos);
  // Back to what was first read: after the save above, that is a change to write.
  ASSERT_TRUE(store.OpenPath("\\Software\\B", false));
  store.WriteNumber("v", 1);
  store.ClosePath();
  registry->Save();
  EXPECT_NE(ReadHostFile(UserReg()).find("\"v\"=dword:00000001"), std::string::npos);
}

// Another program replaced, edited or created the hive after this one loaded it: the save
// refuses, the other's file stays as it is, and nothing is left beside it.
TEST_F(PrefixRegistryTest, AHiveChangedOnDiskSinceItWasLoadedIsNeverOverwritten) {
  const std::string theirs = kUser + "[Software\\\\Theirs] 2\n";
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> change;
  };
  const Case cases[] = {
      {"replaced", [&](const fs::path& file) { WriteFileAtomically(file, theirs); }},
      {"edited in place", [&](const fs::path& file) { WriteHostFile(file, theirs); }},
      {"created", [&](const fs::path& file) { WriteHostFile(file, theirs); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (std::string(c.what) == "created") fs::remove(UserReg());
    auto registry = Open();
    RegStore store(*registry);
    store.SetRoot(regroot::CurrentUser);
    ASSERT_TRUE(store.OpenPath("\\Software\\Ours", true));
    store.WriteText("v", "ours");
    store.ClosePath();
    c.change(UserReg());
    EXPECT_THROW(registry->Save(), PrefixError);
    EXPECT_EQ(ReadHostFile(UserReg()), theirs);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 2);
    WriteHostFile(UserReg(), kUser);
  }
  // Unchanged since loading, and again after its own save: written.
  auto registry = Open();
  RegStore store(*registry);
  store.SetRoot(regroot::CurrentUser);
  for (const char* name : {"first", "second"}) {
    ASSERT_TRUE(store.OpenPath("\\Software\\Ours", true));
    store.WriteText(name, "ours");
    store.ClosePath();
    EXPECT_NO_THROW(registry->Save());
    EXPECT_NE(ReadHostFile(UserReg()).find(name), std::string::npos);
  }
}

TEST_F(PrefixRegistryTest, ASaveThatFailsAtAnyStepLeavesTheOldFile) {
  for (WriteStep failing : {WriteStep::Create, WriteStep::Write, WriteStep::Flush,
                            WriteStep::Rename}) {
    SCOPED_TRACE(static_cast<int>(failing));
    auto registry = Open();
    RegStore store(*registry);
    store.SetRoot(regroot::CurrentUser);
    ASSERT_TRUE(store.OpenPath("\\Software\\A", false));
    store.WriteNumber("n", 7);
    SetWriteFaultHook([failing](WriteStep step) { return step != failing; });
    EXPECT_THROW(registry->Save(), PrefixError);
    EXPECT_EQ(ReadHostFile(UserReg()), kUser);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 2);
    SetWriteFaultHook(nullptr);
    registry->Save();  // the change is still pending and goes out now
    auto reread = Open();
    RegStore check(*reread);
    ASSERT_TRUE(check.OpenPath("\\Software\\A", false));
    EXPECT_EQ(check.ReadNumber("n"), 7);
    WriteHostFile(UserReg(), kUser);
  }
}

}  // namespace
}  // namespace vlx::prefix
