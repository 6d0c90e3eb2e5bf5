// The Service page over an offline machine image: the shortcut overlay read, chosen and
// written back (also a stored path longer than the overlay's 259 characters), the icon picker,
// and the Autoexec.bat line of the temporary folder's clean-up with its file errors.
#include "pages/service.h"

#include <gtest/gtest.h>

#include "app/cycles.h"
#include "image_page_fixture.h"
#include "prefix/atomic_file.h"
#include "store/store_error.h"
#include "ui/user_action.h"

namespace vlx {
namespace {

constexpr RegKey HKLM = regroot::LocalMachine;
const std::string kShellIcons = "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Icons";
const std::string kLibrary = "C:\\Program Files\\Volnerix\\vlximg.dll";
const std::string kShell32 = "C:\\WINDOWS\\SYSTEM\\Shell32.dll";
const std::string kBatch = "C:\\Autoexec.bat";
const std::string kLine = "DELTREE /y C:\\WINDOWS\\TEMP\\*.*";

class ServicePage : public testing::ImagePageTest {
 protected:
  bool Radio(int n) { return context.Get<ui::CheckBox>("rbShotcuts" + std::to_string(n)).Checked(); }
  bool BrowseEnabled() { return context.Get("btnShotcutBrowse").Enabled(); }
  std::string Shown() { return context.Get<ui::Image>("ImgShotcut2").GetPicture().origin; }
  std::string Overlay() { return Read(HKLM, kShellIcons, "29"); }
  std::filesystem::path BatchHost() { return dir.path() / "img" / "drive_c" / "AUTOEXEC.BAT"; }
  std::string Batch() { return testing::ReadHostFile(BatchHost()); }
  void PutBatch(const std::string& bytes) { testing::WriteHostFile(BatchHost(), bytes); }
  std::uint32_t BatchAttributes() { return machine.platform().files->GetAttributes(kBatch); }
  ui::CheckBox& AutoClear() { return context.Get<ui::CheckBox>("cbAutoClearTempFolder"); }
};

TEST_F(ServicePage, NoOverlayKeyKeepsTheFormAndApplyCreatesTheKeyOnly) {
  LoadServicePage(context);
  EXPECT_TRUE(Radio(1));
  EXPECT_EQ(Shown(), "");
  EXPECT_FALSE(context.state.iconRefreshPending);
  ApplyServicePage(context);
  Store(HKLM, kShellIcons, [](RegStore& store) { EXPECT_FALSE(store.HasValue("29")); });

  // The own icon chosen without using the picker: the empty file and index 0.
  ui::UserCheck(context.Get("rbShotcuts4"), true);
  EXPECT_TRUE(BrowseEnabled());
  EXPECT_TRUE(context.state.iconRefreshPending);
  ApplyServicePage(context);
  EXPECT_EQ(Overlay(), ",0");

  ui::UserCheck(context.Get("rbShotcuts1"), true);
  EXPECT_FALSE(BrowseEnabled());
  EXPECT_EQ(Shown(), "");  // the image has no Shell32.dll to take the arrow from
  ApplyServicePage(context);
  EXPECT_EQ(Overlay(), "<absent>");
}

TEST_F(ServicePage, StoredOverlaysSelectTheirButtonAndWriteBackTheSameText) {
  const std::string longPath = "C:\\" + std::string(257, 'd');  // 260 characters
  struct Case {
    std::string stored;
    int radio;
    std::string file;
    int index;
    std::string shown;
    std::string written;
  } cases[] = {
      {kLibrary + ",8", 3, kLibrary, 8, kLibrary + ",8", kLibrary + ",8"},
      {kLibrary + ",7", 2, kLibrary, 7, kLibrary + ",7", kLibrary + ",7"},
      {"C:\\Icons\\my.ico,3", 4, "C:\\Icons\\my.ico", 3, "", "C:\\Icons\\my.ico,3"},
      {longPath.substr(0, 259) + ",-2", 4, longPath.substr(0, 259), -2, "",
       longPath.substr(0, 259) + ",-2"},
      // Failures: the standard arrow in the module state, the own-icon button still selected.
      {"C:\\Icons\\my.ico", 4, kShell32, 29, "", kShell32 + ",29"},
      {"C:\\Icons\\my.ico,x3", 4, kShell32, 29, "", kShell32 + ",29"},
      {longPath + ",3", 4, kShell32, 29, "", kShell32 + ",29"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored.substr(0, 40));
    ui::UserCheck(context.Get("rbShotcuts1"), true);
    Write(HKLM, kShellIcons, "29", c.stored);
    LoadServicePage(context);
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(Radio(n), n == c.radio) << n;
    EXPECT_EQ(BrowseEnabled(), c.radio == 4);
    EXPECT_EQ(context.state.iconFilePath, c.file);
    EXPECT_EQ(context.state.iconIndex, c.index);
    EXPECT_EQ(Shown(), c.shown);
    ApplyServicePage(context);
    EXPECT_EQ(Overlay(), c.written);
  }
}

TEST_F(ServicePage, OverlayOfAnotherTypeLoadsTheStandardArrow) {
  Store(HKLM, kShellIcons, [](RegStore& store) { store.WriteNumber("29", 5); });
  LoadServicePage(context);
  EXPECT_TRUE(Radio(4));
  EXPECT_EQ(context.state.iconFilePath, kShell32);
  EXPECT_EQ(context.state.iconIndex, 29);
}

TEST_F(ServicePage, IconPickerSetsTheModuleStateAndThePicture) {
  using prefix::DialogAnswer;
  ui::UserCheck(context.Get("rbShotcuts4"), true);
  machine.dialogs().QueueDialog({.kind = DialogAnswer::Kind::Icon, .path = kLibrary, .index = 8});
  ui::UserClick(context.Get("btnShotcutBrowse"));
  EXPECT_EQ(context.state.iconFilePath, kLibrary);
  EXPECT_EQ(context.state.iconIndex, 8);
  EXPECT_EQ(Shown(), kLibrary + ",8");

  // Cancelled, or a file name longer than the overlay holds: nothing changes.
  machine.dialogs().QueueDialog({.kind = DialogAnswer::Kind::Cancel});
  ui::UserClick(context.Get("btnShotcutBrowse"));
  machine.dialogs().QueueDialog(
      {.kind = DialogAnswer::Kind::Icon, .path = "C:\\" + std::string(300, 'i'), .index = 1});
  ui::UserClick(context.Get("btnShotcutBrowse"));
  EXPECT_EQ(context.state.iconFilePath, kLibrary);
  EXPECT_EQ(context.state.iconIndex, 8);

  // Index -1: taken, but the picture stays.
  machine.dialogs().QueueDialog({.kind = DialogAnswer::Kind::Icon, .path = kLibrary, .index = -1});
  ui::UserClick(context.Get("btnShotcutBrowse"));
  EXPECT_EQ(context.state.iconIndex, -1);
  EXPECT_EQ(Shown(), kLibrary + ",8");

  // The other buttons keep the chosen file and index.
  ui::UserCheck(context.Get("rbShotcuts2"), true);
  EXPECT_EQ(Shown(), kLibrary + ",7");
  EXPECT_EQ(context.state.iconFilePath, kLibrary);
  EXPECT_EQ(context.state.iconIndex, -1);
}

TEST_F(ServicePage, AutoClearLineIsMatchedWholeWithoutCaseAndRewrittenWithCrLf) {
  PutBatch("@ECHO OFF\nrem one\r" + std::string("deltree /Y c:\\windows\\temp\\*.*") +
           "\r\nPATH C:\\WINDOWS\r\n" + kLine);
  machine.platform().files->SetAttributes(kBatch, fileattr::Hidden | fileattr::System);
  LoadTempAutoClear(context);
  EXPECT_TRUE(AutoClear().Checked());
  EXPECT_TRUE(AutoClear().Enabled());
  EXPECT_EQ(BatchAttributes(), fileattr::ReadOnly | fileattr::Archive);

  ui::UserCheck(AutoClear(), false);
  ApplyTempAutoClear(context);  // the first copy goes, the second stays
  EXPECT_EQ(Batch(), "@ECHO OFF\r\nrem one\r\nPATH C:\\WINDOWS\r\n" + kLine + "\r\n");
  EXPECT_EQ(BatchAttributes(), fileattr::ReadOnly | fileattr::Archive);

  // A trailing blank is another line: unchecked, and checking appends the line.
  PutBatch(kLine + " \r\n");
  machine.platform().files->SetAttributes(kBatch, fileattr::Archive);
  LoadTempAutoClear(context);
  EXPECT_FALSE(AutoClear().Checked());
  ui::UserCheck(AutoClear(), true);
  ApplyTempAutoClear(context);
  ApplyTempAutoClear(context);
  EXPECT_EQ(Batch(), kLine + " \r\n" + kLine + "\r\n");
}

TEST_F(ServicePage, UnnamedTemporaryFolderNeverWritesOrMatchesALine) {
  Write(regroot::CurrentUser, "Environment", "TEMP", "TEMP");  // not a full path: no folder
  const std::string blankLine = "DELTREE /y  *.*";
  PutBatch("@ECHO OFF\r\n" + blankLine + "\r\n");
  AutoClear().SetChecked(true);
  LoadTempAutoClear(context);
  EXPECT_FALSE(AutoClear().Checked());
  EXPECT_FALSE(AutoClear().Enabled());
  EXPECT_NE(context.Get("lbDescriptionsAutoClear").Text().find("недоступна"), std::string::npos);
  AutoClear().SetChecked(true);
  ApplyTempAutoClear(context);
  EXPECT_EQ(Batch(), "@ECHO OFF\r\n" + blankLine + "\r\n");
  AutoClear().SetChecked(false);
  ApplyTempAutoClear(context);
  EXPECT_EQ(Batch(), "@ECHO OFF\r\n" + blankLine + "\r\n");
}

// Many machines have no Autoexec.bat: the box loads unchecked without an error, load-all and
// apply-all run to their end, and a file is made only when the box asks for the line.
TEST_F(ServicePage, MissingBatchFileIsNoLineAndIsMadeOnlyForTheLine) {
  std::filesystem::remove(BatchHost());
  AutoClear().SetChecked(true);
  EXPECT_NO_THROW(LoadAllPages(context));
  EXPECT_FALSE(AutoClear().Checked());
  ui::UserCheck(context.Get("rbShotcuts2"), true);
  machine.journal().TakeNew();
  EXPECT_NO_THROW(ApplyAllPages(context));
  EXPECT_EQ(Overlay(), kLibrary + ",7");
  bool broadcast = false;
  for (const auto& entry : machine.journal().TakeNew())
    broadcast = broadcast || entry.find("WM_WININICHANGE") != std::string::npos;
  EXPECT_TRUE(broadcast) << "apply-all stopped before its broadcast";
  EXPECT_FALSE(machine.platform().files->Exists(kBatch));

  AutoClear().SetChecked(true);
  ApplyTempAutoClear(context);
  std::string made;
  ASSERT_TRUE(machine.platform().textFiles->ReadWholeFile(kBatch, made));
  EXPECT_EQ(made, kLine + "\r\n");
  EXPECT_EQ(BatchAttributes(), fileattr::ReadOnly | fileattr::Archive);
}

// A batch file that is there but cannot be read still stops the load with its error.
TEST_F(ServicePage, UnreadableBatchFileStillReportsItsError) {
  std::filesystem::remove(BatchHost());
  std::filesystem::create_directory(BatchHost());
  try {
    LoadTempAutoClear(context);
    ADD_FAILURE() << "no error";
  } catch (const StoreError& error) {
    EXPECT_STREQ(error.what(), "Cannot open file C:\\Autoexec.bat");
  }
}

TEST_F(ServicePage, FailedWriteKeepsTheUsersBatchFile) {
  const std::string before = "@ECHO OFF\r\nPATH C:\\WINDOWS\r\n";
  PutBatch(before);
  AutoClear().SetChecked(true);
  prefix::SetWriteFaultHook([](prefix::WriteStep step) { return step != prefix::WriteStep::Rename; });
  try {
    ApplyTempAutoClear(context);
    ADD_FAILURE() << "no error";
  } catch (const StoreError& error) {
    EXPECT_STREQ(error.what(), "Unable to write to C:\\Autoexec.bat");
  }
  prefix::SetWriteFaultHook(nullptr);
  EXPECT_EQ(Batch(), before);
}

}  // namespace
}  // namespace vlx
