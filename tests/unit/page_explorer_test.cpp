// The Explorer page (with the User page's rules) over an offline machine image: radio and
// two-state rules, the notepad verb, the driver files with stand-in and real driver resources,
// and the shell extension's missing library.
#include "pages/explorer.h"

#include <gtest/gtest.h>

#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/library.h"
#include "ui/user_action.h"
#include "unit/image_page_fixture.h"

namespace vlx {
namespace {

namespace fs = std::filesystem;
constexpr RegKey HKCR = regroot::ClassesRoot;
constexpr RegKey HKCU = regroot::CurrentUser;
constexpr RegKey HKLM = regroot::LocalMachine;
const std::string kAdvanced = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

// The image's library with real-driver bytes in place of the stand-ins (a test-only injection of
// what a build with driver files embeds).
class RealDrivers : public Library {
 public:
  explicit RealDrivers(Library& inner) : inner_(inner) {}
  bool CanLoad(const std::string& l) override { return inner_.CanLoad(l); }
  LibraryResult ReadResource(const std::string& l, const std::string& type,
                             const std::string& name, std::string& bytes) override {
    if (type != "VXD") return inner_.ReadResource(l, type, name, bytes);
    bytes = name == "CDFS" ? std::string(79098, 'R') : "real " + name;
    return LibraryResult::Ok;
  }
  Picture LoadBitmapPicture(const std::string& l, const std::string& n) override {
    return inner_.LoadBitmapPicture(l, n);
  }
  Picture LoadCursorPicture(const std::string& l, const std::string& n) override {
    return inner_.LoadCursorPicture(l, n);
  }
  Picture ExtractIconPicture(const std::string& l, int i) override {
    return inner_.ExtractIconPicture(l, i);
  }
  LibraryResult CallEntry(const std::string& l, const std::string& e, std::int32_t& r) override {
    return inner_.CallEntry(l, e, r);
  }

 private:
  Library& inner_;
};

// Every file below a host folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files[entry.path().string()] = testing::ReadHostFile(entry.path());
  return files;
}

class ExplorerPage : public testing::ImagePageTest {
 protected:
  ExplorerPage() { context.frmMain.SetShowing(true); }
  fs::path Host(const std::string& relative) { return dir.path() / "img" / "drive_c" / relative; }
  // The host folder of a path below drive C, its parts matched without regard to case.
  fs::path Found(std::initializer_list<const char*> parts) {
    fs::path folder = dir.path() / "img" / "drive_c";
    for (const char* part : parts)
      for (const auto& entry : fs::directory_iterator(folder))
        if (EqualNoCase(entry.path().filename().string(), part)) {
          folder = entry.path();
          break;
        }
    return folder;
  }
  static bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) ==
                    std::tolower(static_cast<unsigned char>(y));
           });
  }
  fs::path SystemFolder() { return Found({"windows", "system"}); }
  std::int32_t Number(RegKey root, const std::string& key, const std::string& name) {
    return RunStoreRoutine(*machine.platform().registry, root, [&](RegStore& store) {
      store.OpenPath(key, false);
      return store.ReadNumber(name);
    });
  }
  bool HasKey(RegKey root, const std::string& key) {
    return RunStoreRoutine(*machine.platform().registry, root,
                           [&](RegStore& store) { return store.OpenPath(key, false); });
  }
  ui::ListControl& List() { return context.Get<ui::ListControl>("clbExplorerSetting"); }
  bool Radio(const char* name) { return context.Get<ui::CheckBox>(name).Checked(); }
  std::string CdDriver() { return GetSystemDirPath() + "\\IOSUBSYS\\Cdfs.vxd"; }
  std::string GetSystemDirPath() {
    std::string system;
    machine.platform().system->SystemDirectory(system);
    return system;
  }
};

TEST_F(ExplorerPage, HiddenFilesRadioAndTwoStateRules) {
  Store(HKCU, kAdvanced, [](RegStore& s) {
    if (s.HasValue("Hidden")) s.RemoveValue("Hidden");
    if (s.HasValue("ClassicViewState")) s.RemoveValue("ClassicViewState");
  });
  LoadExplorerPage(context);
  EXPECT_TRUE(Radio("rbExplorer1"));  // no "Hidden" value
  EXPECT_TRUE(List().ItemChecked(3));  // "ClassicViewState" absent
  ApplyExplorerPage(context);
  EXPECT_EQ(Number(HKCU, kAdvanced, "Hidden"), 0);
  EXPECT_EQ(Number(HKCU, kAdvanced, "ClassicViewState"), 0);

  Store(HKCU, kAdvanced, [](RegStore& s) { s.WriteNumber("Hidden", 2); });
  LoadExplorerPage(context);
  EXPECT_TRUE(Radio("rbExplorer2"));
  EXPECT_FALSE(Radio("rbExplorer1"));
  Store(HKCU, kAdvanced, [](RegStore& s) { s.WriteNumber("Hidden", 5); });
  LoadExplorerPage(context);
  EXPECT_TRUE(Radio("rbExplorer2"));  // an unknown number leaves the buttons as they are

  const std::string explorer = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer";
  Store(HKCU, explorer, [](RegStore& s) {
    const unsigned char link[4] = {0x1E, 0, 0, 0};
    s.WriteBytes("Link", link, 4);
  });
  LoadExplorerPage(context);
  EXPECT_TRUE(List().ItemChecked(4));  // a count above 0 keeps the prefix
  ApplyExplorerPage(context);
  const std::uint32_t link = RunStoreRoutine(*machine.platform().registry, HKCU, [&](RegStore& s) {
    std::uint32_t n = 99;
    s.OpenPath(explorer, false);
    s.ReadBytes("Link", &n, 4);
    return n;
  });
  EXPECT_EQ(link, 0x1Eu);  // the box as loaded: the count is kept
}

TEST_F(ExplorerPage, NotepadVerbIsRemovedWithItsCommand) {
  const std::string verb = "*\\Shell\\Открыть в &Блокноте";
  const std::string command = verb + "\\command";
  LoadExplorerPage(context);  // none: nothing is made by an untouched Apply
  EXPECT_FALSE(List().ItemChecked(8));
  ApplyExplorerPage(context);
  EXPECT_FALSE(HasKey(HKCR, verb));

  Store(HKCR, command, [](RegStore& s) { s.WriteText("", "edit.com %1"); });
  LoadExplorerPage(context);
  EXPECT_TRUE(List().ItemChecked(8));
  ApplyExplorerPage(context);  // as loaded: the command stays as it is
  EXPECT_EQ(Read(HKCR, command, ""), "edit.com %1");
  ui::UserCheckItem(List(), 8, false);
  ApplyExplorerPage(context);
  EXPECT_FALSE(HasKey(HKCR, verb));
  LoadExplorerPage(context);
  EXPECT_FALSE(List().ItemChecked(8));
  ui::UserCheckItem(List(), 8, true);
  ApplyExplorerPage(context);
  EXPECT_EQ(Read(HKCR, command, ""), "notepad.exe %1");

  // A verb key without a command runs nothing: it loads unchecked and goes.
  ui::UserCheckItem(List(), 8, false);
  ApplyExplorerPage(context);
  Store(HKCR, verb, [](RegStore&) {});
  LoadExplorerPage(context);
  EXPECT_FALSE(List().ItemChecked(8));
  ApplyExplorerPage(context);
  EXPECT_FALSE(HasKey(HKCR, verb));
}

TEST_F(ExplorerPage, StandInDriversLeaveTheSystemFolderAsItWas) {
  const auto before = Snapshot(SystemFolder());
  LoadExplorerPage(context);
  EXPECT_FALSE(List().ItemChecked(10));
  EXPECT_FALSE(List().ItemChecked(11));
  ui::UserCheckItem(List(), 10, true);
  ui::UserCheckItem(List(), 11, true);
  ApplyExplorerPage(context);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("Volnerix: "), std::string::npos);
  EXPECT_EQ(Snapshot(SystemFolder()), before);

  // No CD driver, as on a Wine prefix: the items load unchecked, and an Apply that leaves them
  // so writes no driver and has nothing to refuse.
  ASSERT_TRUE(machine.platform().fileOps->Delete(CdDriver()));
  const auto without = Snapshot(SystemFolder());
  LoadExplorerPage(context);
  EXPECT_FALSE(List().ItemChecked(10));
  ApplyExplorerPage(context);
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(Snapshot(SystemFolder()), without);
  ui::UserCheckItem(List(), 10, true);
  ApplyExplorerPage(context);
  EXPECT_EQ(messages.size(), 2u);  // once per apply that would write one
  EXPECT_EQ(Snapshot(SystemFolder()), without);
}

// Undoing the two items writes nothing out of the library, so stand-ins do not stop it.
TEST_F(ExplorerPage, StandInDriversStillUndoAReplacementAndAnOverride) {
  const fs::path cdfs = Found({"windows", "system", "iosubsys", "cdfs.vxd"});
  const fs::path vfat = Found({"windows", "system", "vmm32"}) / "Vfat.vxd";
  const std::string standard = testing::ReadHostFile(cdfs);
  testing::WriteHostFile(cdfs.string() + ".bak", standard);
  testing::WriteHostFile(cdfs, std::string(kReplacementCdDriverSize, 'R'));
  testing::WriteHostFile(vfat, "corrected");
  LoadExplorerPage(context);
  ASSERT_TRUE(List().ItemChecked(10));
  ASSERT_TRUE(List().ItemChecked(11));
  ui::UserCheckItem(List(), 10, false);
  ui::UserCheckItem(List(), 11, false);
  ApplyExplorerPage(context);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(testing::ReadHostFile(cdfs), standard);
  EXPECT_FALSE(fs::exists(cdfs.string() + ".bak"));
  EXPECT_FALSE(fs::exists(vfat));
}

TEST_F(ExplorerPage, RealDriversAreReplacedBackedUpAndRestored) {
  RealDrivers real(*machine.platform().library);
  machine.platform().library = &real;
  auto& files = *machine.platform().files;
  auto& ops = *machine.platform().fileOps;
  const std::string driver = CdDriver();
  const std::string backup = driver + ".bak";
  ASSERT_TRUE(files.Exists(driver));
  const std::int64_t standard = GetFileSizeByName(ops, driver);
  ASSERT_NE(standard, kReplacementCdDriverSize);

  LoadExplorerPage(context);
  ui::UserCheckItem(List(), 10, true);
  ui::UserCheckItem(List(), 11, true);
  ApplyExplorerPage(context);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(GetFileSizeByName(ops, driver), kReplacementCdDriverSize);
  EXPECT_EQ(GetFileSizeByName(ops, backup), standard);
  const std::string vfat = GetSystemDirPath() + "\\VMM32\\Vfat.vxd";
  EXPECT_EQ(GetFileSizeByName(ops, vfat), 9);  // "real VFAT"
  LoadExplorerPage(context);
  EXPECT_TRUE(List().ItemChecked(10));
  EXPECT_TRUE(List().ItemChecked(11));

  ui::UserCheckItem(List(), 10, false);
  ui::UserCheckItem(List(), 11, false);
  ApplyExplorerPage(context);
  EXPECT_EQ(GetFileSizeByName(ops, driver), standard);
  EXPECT_FALSE(files.Exists(backup));
  EXPECT_FALSE(files.Exists(vfat));

  ops.Delete(driver);  // no driver loads unchecked; as loaded, nothing is written
  LoadExplorerPage(context);
  ApplyExplorerPage(context);
  EXPECT_FALSE(files.Exists(driver));
}

TEST_F(ExplorerPage, MissingShellExtensionEndsTheProgramAfterTheRest) {
  fs::remove(Host("Program Files/Volnerix/vxeject.dll"));
  LoadExplorerPage(context);
  ui::UserCheck(context.Get("cbErrorFileYes"), false);
  ApplyExplorerPage(context);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("vxeject.dll"), std::string::npos);
  EXPECT_FALSE(context.frmMain.Showing());
  EXPECT_FALSE(HasKey(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Fault"));
}

TEST_F(ExplorerPage, UserRegistrationAndFaultLog) {
  Store(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Fault",
        [](RegStore& s) { s.WriteText("LogFile", "C:\\WINDOWS\\FAULTLOG.TXT"); });
  LoadExplorerPage(context);
  EXPECT_TRUE(context.Get<ui::CheckBox>("cbErrorFileYes").Checked());
  EXPECT_TRUE(context.Get("spbtnErrorFileRun").Visible());
  ui::UserType(context.Get("edtCurrentUser"), "Иван");
  ui::UserType(context.Get("edtCurrentOrganisation"), "");
  ui::UserCheck(context.Get("cbErrorFileYes"), false);
  EXPECT_FALSE(context.Get("spbtnErrorFileRun").Visible());
  ApplyExplorerPage(context);
  const std::string version = "Software\\Microsoft\\Windows\\CurrentVersion";
  EXPECT_EQ(Read(HKLM, version, "RegisteredOwner"), "Иван");
  EXPECT_EQ(Read(HKLM, version, "RegisteredOrganization"), "");
  EXPECT_FALSE(HasKey(HKLM, version + "\\Fault"));
  LoadExplorerPage(context);
  EXPECT_FALSE(context.Get<ui::CheckBox>("cbErrorFileYes").Checked());
}

}  // namespace
}  // namespace vlx
