#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "path_temp_dir.h"
#include "prefix/dos_attributes.h"
#include "prefix/path_mapper.h"
#include "prefix/prefix_file_ops.h"
#include "prefix/prefix_files.h"
#include "store/store_error.h"
#include "tool_page_fixture.h"
#include "tools/filekill_page.h"

namespace vlx {
namespace {

namespace fs = std::filesystem;
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr std::uint32_t kNotice = mb::Ok | mb::IconInformation | mb::TaskModal;
constexpr std::uint32_t kRestartQuestion =
    mb::YesNoCancel | mb::IconQuestion | mb::DefButton3 | mb::TaskModal;

class FileKillerPage : public ::testing::Test, public testing::ToolPageFixture {
 protected:
  FileKillerPage() : paths_(dir_.path()), files_(paths_), fileOps_(paths_) {
    fs::create_directories(dir_.path() / "drive_c" / "WINDOWS");
    platform.files = &files_;
    platform.fileOps = &fileOps_;
  }
  ~FileKillerPage() override {
    if (held_ >= 0) ::close(held_);
  }
  fs::path Host(const std::string& name) { return dir_.path() / "drive_c" / "WINDOWS" / name; }
  std::string Win(const std::string& name) { return "C:\\WINDOWS\\" + name; }
  void Make(const std::string& name, std::size_t size = 3) {
    testing::WriteHostFile(Host(name), std::string(size, 'x'));
  }
  // Another program holds the file open without sharing.
  void Hold(const std::string& name) {
    held_ = ::open(Host(name).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held_, LOCK_EX), 0);
  }
  const testing::FakeRegistry::Value* RunOnce(const std::string& name) {
    return registry.Get(regroot::LocalMachine, kRunOnce, name);
  }
  void Click(const char* name) { ui::UserClick(Main(name)); }

  testing::TempDir dir_;
  prefix::PathMapper paths_;
  prefix::PrefixFiles files_;
  prefix::PrefixFileOps fileOps_;
  int held_ = -1;
};

TEST_F(FileKillerPage, ModesAndEditsDecideWhichButtonIsOffered) {
  EXPECT_FALSE(Main("btnKillFile").Enabled());
  EXPECT_FALSE(Main("btnReplaceFile").Visible());
  EXPECT_FALSE(Main("edtDestinationFile").Enabled());
  EXPECT_EQ(Main("edtDestinationFile").Color(), ui::colour::Silver);

  ui::UserType(Main("edtSourceFile"), Win("A.DLL"));  // typed, not browsed
  EXPECT_TRUE(Main("btnKillFile").Enabled());
  EXPECT_FALSE(Main("ImgSource").Enabled());
  EXPECT_TRUE(Main<ui::Image>("ImgSource").GetPicture().Empty());

  Click("rbReplaceFile");
  EXPECT_FALSE(Main("lbDSize").Visible());  // no destination size shown yet
  EXPECT_TRUE(Main("edtDestinationFile").Enabled());
  EXPECT_EQ(Main("edtDestinationFile").Color(), ui::colour::Window);
  EXPECT_FALSE(Main("btnKillFile").Visible());
  EXPECT_TRUE(Main("btnReplaceFile").Visible());
  EXPECT_FALSE(Main("btnReplaceFile").Enabled());

  Make("B.DLL", 2049);
  dialogs.files = {Win("B.DLL")};
  Click("btnBrowseDestinationFile");
  EXPECT_TRUE(Main("btnReplaceFile").Enabled());
  EXPECT_TRUE(Main("lbDSize").Visible());
  EXPECT_EQ(Main("lbDSize").Text(), "2 Кб.");
  EXPECT_EQ(Main<ui::Image>("ImgDestination").GetPicture().origin, "type " + Win("B.DLL"));
  EXPECT_EQ(Main("ImgDestination").Hint(), "Показать свойства назначенного файла?");
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].title, "Выбор назначенного файла...");
  const std::string& filter = dialogs.requests[0].filter;
  EXPECT_TRUE(filter.starts_with("Выполняемые (*.exe; *.com)|*.exe; *.com|Библиотеки")) << filter;
  EXPECT_TRUE(filter.ends_with("|*.cpl|Все файлы (*.*)|*.*")) << filter;
  EXPECT_EQ(dialogs.requests[0].options, 0x1804u);

  Click("rbDeleteSourceFile");
  EXPECT_FALSE(Main("lbDSize").Visible());
  EXPECT_FALSE(Main("ImgDestination").Visible());
  EXPECT_TRUE(Main("btnKillFile").Visible());
  EXPECT_FALSE(Main("btnReplaceFile").Visible());
  ui::UserType(Main("edtSourceFile"), Win("C.DLL"));  // both named: replace offered again
  EXPECT_TRUE(Main("btnReplaceFile").Visible());
  Click("rbReplaceFile");
  EXPECT_TRUE(Main("lbDSize").Visible());

  Click("ImgDestination");
  EXPECT_EQ(shell.properties, std::vector<std::string>{Win("B.DLL")});
}

TEST_F(FileKillerPage, BrowsingShowsIconAndSizeAndCancelChangesNothing) {
  Click("btnBrowseSourceFile");
  EXPECT_EQ(Main("edtSourceFile").Text(), "");
  EXPECT_EQ(dialogs.requests.at(0).title, "Выбор исходного файла...");

  Make("S.DLL", 1023);
  dialogs.files = {Win("S.DLL")};
  Click("btnBrowseSourceFile");
  EXPECT_EQ(Main("edtSourceFile").Text(), Win("S.DLL"));
  EXPECT_TRUE(Main("ImgSource").Enabled());
  EXPECT_EQ(Main("lbSSize").Text(), "0 Кб.");
  EXPECT_TRUE(Main("lbSSize").Visible());
  ctx.state.mainWindow = 0x1234;
  Click("ImgSource");
  EXPECT_EQ(shell.properties, std::vector<std::string>{Win("S.DLL")});
  EXPECT_EQ(shell.propertiesOwner, 0x1234u);  // the main window owns the property sheet
}

TEST_F(FileKillerPage, ImmediateDeleteKeepsABackupAndResetsThePage) {
  Make("A.DLL");
  prefix::WriteDosAttributes(Host("A.DLL"), fileattr::ReadOnly);
  dialogs.files = {Win("A.DLL")};
  Click("btnBrowseSourceFile");
  Click("btnKillFile");
  EXPECT_FALSE(fs::exists(Host("A.DLL")));
  EXPECT_TRUE(fs::exists(Host("A.DLL.bak")));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Файл успешно удален !\rРезервная копия создана !");
  EXPECT_EQ(dialogs.shown[0].flags, kNotice);
  EXPECT_EQ(Main("edtSourceFile").Text(), "");
  EXPECT_EQ(Main("lbSSize").Text(), "");
  EXPECT_FALSE(Main("ImgSource").Visible());
  EXPECT_FALSE(Main("btnKillFile").Enabled());  // after the edit's own handler enabled it

  // An empty path: nothing to delete.
  ui::UserCheck(Main("cbBackUpFile"), false);
  ui::UserType(Main("edtSourceFile"), "x");
  ui::UserType(Main("edtSourceFile"), "");
  Click("btnKillFile");
  EXPECT_EQ(dialogs.shown.back().text, "Ошибка удаления !\rВозможно, файл уже удален.");
}

TEST_F(FileKillerPage, AFailedBackupStopsTheOperation) {
  Make("A.DLL");
  fs::create_directories(Host("A.DLL.bak"));  // a folder is in the backup's way
  ui::UserType(Main("edtSourceFile"), Win("A.DLL"));
  Click("btnKillFile");
  EXPECT_TRUE(fs::exists(Host("A.DLL")));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Невозможно создать резервную копию !\r\"" + Win("A.DLL.bak") +
                                       "\"\rФайл оставлен без изменений.");
}

TEST_F(FileKillerPage, WithNoSourceFileTheBackupIsSkippedAndTheOperationsFailureShown) {
  const std::string kDeleteFailed = "Ошибка удаления !\rВозможно, файл уже удален.";
  const std::string kReplaceFailed =
      "Ошибка замены !\r\rВозможно, не определен исходный файл, имя исходного и\r"
      "назначенного файла совпадают или замена уже произведена.";
  Make("NEW.DLL");
  fs::create_directories(Host("FOLDER"));
  for (const bool replace : {false, true}) {
    for (const std::string& source : {std::string(), Win("GONE.DLL"), Win("FOLDER")}) {
      if (replace && source.empty()) continue;  // the button asks for both names
      SCOPED_TRACE((replace ? "replace " : "delete ") + source);
      dialogs.shown.clear();
      ui::UserClick(Main(replace ? "rbReplaceFile" : "rbDeleteSourceFile"));
      ASSERT_TRUE(Main<ui::CheckBox>("cbBackUpFile").Checked());
      if (replace) ui::UserType(Main("edtDestinationFile"), Win("NEW.DLL"));
      ui::UserType(Main("edtSourceFile"), "x");
      ui::UserType(Main("edtSourceFile"), source);
      Click(replace ? "btnReplaceFile" : "btnKillFile");
      ASSERT_EQ(dialogs.shown.size(), 1u);
      EXPECT_EQ(dialogs.shown[0].text, replace ? kReplaceFailed : kDeleteFailed);
      EXPECT_FALSE(fs::exists(Host("GONE.DLL")));
      EXPECT_FALSE(fs::exists(Host("GONE.DLL.bak")));
      EXPECT_FALSE(fs::exists(Host("FOLDER.bak")));
      EXPECT_TRUE(fs::is_directory(Host("FOLDER")));
    }
  }
}

TEST_F(FileKillerPage, ImmediateReplaceCopiesTheDestinationOver) {
  testing::WriteHostFile(Host("OLD.DLL"), "old");
  testing::WriteHostFile(Host("NEW.DLL"), "new");
  Click("rbReplaceFile");
  ui::UserType(Main("edtSourceFile"), Win("OLD.DLL"));
  ui::UserType(Main("edtDestinationFile"), Win("NEW.DLL"));
  Click("btnReplaceFile");
  EXPECT_EQ(testing::ReadHostFile(Host("OLD.DLL")), "new");
  EXPECT_EQ(testing::ReadHostFile(Host("OLD.DLL.bak")), "old");
  EXPECT_EQ(dialogs.shown.at(0).text,
            "Исходный файл успешно заменен назначенным !\rРезервная копия создана !");
  EXPECT_EQ(Main<ui::Image>("ImgSource").GetPicture().origin, "associated " + Win("OLD.DLL"));
  EXPECT_EQ(Main<ui::Image>("ImgDestination").GetPicture().origin, "associated " + Win("NEW.DLL"));
  EXPECT_FALSE(Main("btnReplaceFile").Enabled());

  ui::UserType(Main("edtDestinationFile"), Win("MISSING.DLL"));
  ui::UserCheck(Main("cbBackUpFile"), false);
  Click("btnReplaceFile");
  EXPECT_EQ(dialogs.shown.back().text,
            "Ошибка замены !\r\rВозможно, не определен исходный файл, имя исходного и\r"
            "назначенного файла совпадают или замена уже произведена.");
}

TEST_F(FileKillerPage, AFileInUseIsRegisteredForTheNextStartOnYesOrNo) {
  Make("Held.dll");
  Hold("Held.dll");
  ui::UserCheck(Main("cbBackUpFile"), false);
  ui::UserType(Main("edtSourceFile"), Win("HELD.DLL"));

  dialogs.answers = {idanswer::Cancel};
  Click("btnKillFile");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text,
            "Вы действительно хотите удалить исходный файл\r\"C:\\WINDOWS\\HELD.DLL\" ?\r"
            "Исходный файл используеться системой и может быть удален только после "
            "перезагрузки компьютера.\r\rПерезагрузить компьютер немедленно ? ");
  EXPECT_EQ(dialogs.shown[0].flags, kRestartQuestion);
  EXPECT_EQ(RunOnce("(Delete: Held.dll)"), nullptr);

  dialogs.answers = {idanswer::No};
  Click("btnKillFile");
  const auto* value = RunOnce("(Delete: Held.dll)");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, regtype::Sz);
  EXPECT_EQ(value->data, std::string("command.com /c del \"C:\\WINDOWS\\HELD.DLL\"") + '\0');
  EXPECT_TRUE(processes.log.empty());  // no restart
  EXPECT_TRUE(fs::exists(Host("Held.dll")));

  // With the backup asked for, No also copies the file in use (a running program's file reads)
  // before registering the command.
  ui::UserCheck(Main("cbBackUpFile"), true);
  registry.Put(regroot::LocalMachine, kRunOnce, "(Delete: Held.dll)", regtype::Sz, "x");
  dialogs.answers = {idanswer::No};
  Click("btnKillFile");
  EXPECT_EQ(RunOnce("(Delete: Held.dll)")->data,
            std::string("command.com /c del \"C:\\WINDOWS\\HELD.DLL\"") + '\0');
  EXPECT_EQ(testing::ReadHostFile(Host("HELD.DLL.bak")), testing::ReadHostFile(Host("Held.dll")));
  EXPECT_TRUE(processes.log.empty());
}

TEST_F(FileKillerPage, YesRestartsAndAFailedRestartBringsTheWindowBack) {
  Make("OLD.DLL");
  Make("NEW.DLL");
  Hold("OLD.DLL");
  ui::UserCheck(Main("cbBackUpFile"), false);
  Click("rbReplaceFile");
  ui::UserType(Main("edtSourceFile"), Win("OLD.DLL"));
  ui::UserType(Main("edtDestinationFile"), Win("new.dll"));

  dialogs.answers = {idanswer::Yes};
  Click("btnReplaceFile");
  EXPECT_EQ(dialogs.shown.at(0).text,
            "Вы действительно хотите заменить исходный файл\r\"C:\\WINDOWS\\OLD.DLL\"\r"
            "назначенным файлом\r\"C:\\WINDOWS\\new.dll\" ?\rИсходный файл используется системой "
            "и может быть заменен назначенным только после перезагрузки компьютера.\r\r"
            "Перезагрузить компьютер немедленно ? ");
  EXPECT_EQ(RunOnce("(Replace: NEW.DLL)")->data,
            std::string("command.com /c copy \"C:\\WINDOWS\\new.dll\" \"C:\\WINDOWS\\OLD.DLL\"") +
                '\0');
  EXPECT_EQ(processes.log, std::vector<std::string>{"exit 2"});
  EXPECT_FALSE(ctx.frmMain.Visible());
  EXPECT_EQ(dialogs.shown.size(), 1u);

  processes.exitWorks = false;
  ctx.frmMain.SetVisible(true);
  dialogs.answers = {idanswer::Yes};
  Click("btnReplaceFile");
  EXPECT_TRUE(ctx.frmMain.Visible());
  EXPECT_EQ(dialogs.shown.back().text,
            "Не удалось перезагрузить компьютер !\r"
            "Действие будет произведено при следующей загрузке Windows.");
}

TEST_F(FileKillerPage, ARunOnceKeyThatCannotBeMadeReachesTheWindowWithoutARestart) {
  Make("HELD.DLL");
  Hold("HELD.DLL");
  ui::UserCheck(Main("cbBackUpFile"), false);
  ui::UserType(Main("edtSourceFile"), Win("HELD.DLL"));
  registry.refuseKeys = true;
  dialogs.answers = {idanswer::Yes};
  try {
    Click("btnKillFile");
    FAIL() << "no error";
  } catch (const StoreError& error) {
    EXPECT_STREQ(error.what(), (std::string("Failed to create key ") + kRunOnce).c_str());
  }
  EXPECT_TRUE(processes.log.empty());
  EXPECT_TRUE(ctx.frmMain.Visible());
}

}  // namespace
}  // namespace vlx
