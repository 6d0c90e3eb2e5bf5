#include <gtest/gtest.h>

#include "store/store_error.h"
#include "tool_screendeath_fixture.h"
#include "tools/iconfolder.h"
#include "ui/user_action.h"

namespace vlx {
namespace {

constexpr const char* kIni = "Data/Desktop.ini";

class IconFolderTest : public ::testing::Test {
 protected:
  IconFolderTest() { std::filesystem::create_directories(m.Host("Data")); }
  // The folder browser answers with C:\Data.
  void ChooseFolder(const char* folder = "C:\\Data") {
    m.dialogs.folders.push_back(folder);
    ui::UserClick(m.Get("sbtnOpenFolder"));
  }
  std::string Text(const char* name) { return m.Get(name).Text(); }
  bool Enabled(const char* name) { return m.Get(name).Enabled(); }
  const Picture& Icon() { return m.Get<ui::Image>("imgIconsView").GetPicture(); }

  pagetest::PageMachine m;
};

TEST_F(IconFolderTest, SetWritesDesktopIniAndLeavesOnlyTheSystemAttribute) {
  EXPECT_FALSE(Enabled("memInfoTipFolder"));
  EXPECT_FALSE(Enabled("sbtnSelectIcon"));
  ASSERT_TRUE(prefix::WriteDosAttributes(m.Host("Data"),
                                         fileattr::Directory | fileattr::Hidden | fileattr::ReadOnly));
  ChooseFolder();
  EXPECT_EQ(Text("edtFolder"), "C:\\Data");
  EXPECT_TRUE(Enabled("memInfoTipFolder"));
  EXPECT_EQ(m.Get("edtIconFile").Color(), ui::colour::Window);
  EXPECT_TRUE(Enabled("sbtnSelectIcon"));
  EXPECT_FALSE(Enabled("btnDelIcon"));

  // The chooser starts in the System folder's shell32.dll when no icon file is named.
  m.dialogs.icons.push_back({"C:\\WINDOWS\\SYSTEM\\shell32.dll", 41});
  ui::UserClick(m.Get("sbtnSelectIcon"));
  EXPECT_EQ(m.dialogs.iconRequests.back(), "C:\\WINDOWS\\SYSTEM\\shell32.dll,0");
  EXPECT_EQ(Text("edtIconFile"), "C:\\WINDOWS\\SYSTEM\\shell32.dll");
  EXPECT_EQ(Icon().origin, "C:\\WINDOWS\\SYSTEM\\shell32.dll,41");
  EXPECT_TRUE(Enabled("btnSetIcon"));

  // Line breaks of the memo do not reach the file as lines of their own.
  ui::UserType(m.Get("memInfoTipFolder"), "Мои документы\r\nи письма");
  ui::UserClick(m.Get("btnSetIcon"));
  EXPECT_EQ(m.Read(kIni),
            "[.ShellClassInfo]\r\nIconFile=C:\\WINDOWS\\SYSTEM\\shell32.dll\r\nIconIndex=41\r\n"
            "InfoTip=Мои документы и письма\r\n");
  EXPECT_EQ(m.Attributes("Data"), fileattr::Directory | fileattr::System);
  EXPECT_FALSE(Enabled("btnSetIcon"));
  EXPECT_FALSE(Enabled("btnDelIcon")) << "writing does not enable removing";

  ChooseFolder();
  EXPECT_TRUE(Enabled("btnDelIcon")) << "choosing the folder again does";
  EXPECT_EQ(Text("memInfoTipFolder"), "Мои документы и письма");
}

TEST_F(IconFolderTest, ReadingAnExistingDesktopIni) {
  struct Case {
    const char* ini;
    const char *tip, *iconFile, *picture;
    bool removable;
  } cases[] = {
      {"[.ShellClassInfo]\r\nIconFile=C:\\icons.dll\r\nIconIndex=3\r\nInfoTip=Tip\r\n", "Tip",
       "C:\\icons.dll", "C:\\icons.dll,3", true},
      {"[.ShellClassInfo]\r\niconfile=C:\\icons.dll\r\nICONINDEX=0x10\r\n", "", "C:\\icons.dll",
       "C:\\icons.dll,16", true},
      {"[.ShellClassInfo]\r\nIconFile=C:\\icons.dll\r\nInfoTip=Only a file\r\n", "Only a file", "",
       "", false},
      {"[ExtShellFolderViews]\r\nDefault={5984FFE0-28D4-11CF-AE66-08002B2E1262}\r\n", "", "", "",
       false},
  };
  for (const auto& c : cases) {
    pagetest::PageMachine fresh;
    fresh.Write(kIni, c.ini);
    fresh.dialogs.folders.push_back("C:\\Data");
    ui::UserClick(fresh.Get("sbtnOpenFolder"));
    EXPECT_EQ(fresh.Get("memInfoTipFolder").Text(), c.tip) << c.ini;
    EXPECT_EQ(fresh.Get("edtIconFile").Text(), c.iconFile) << c.ini;
    EXPECT_EQ(fresh.Get<ui::Image>("imgIconsView").GetPicture().origin, c.picture) << c.ini;
    EXPECT_EQ(fresh.Get("btnDelIcon").Enabled(), c.removable) << c.ini;
  }
}

TEST_F(IconFolderTest, CancelledBrowserReadsTheNamedFolderAgain) {
  ui::UserType(m.Get("edtFolder"), "C:\\Data");
  EXPECT_EQ(m.Get("edtFolder").OwnerForm()->FocusedControl(), &m.Get("memInfoTipFolder"));
  m.Write(kIni, "[.ShellClassInfo]\r\nIconFile=C:\\a.ico\r\nIconIndex=0\r\nInfoTip=Hi\r\n");
  ui::UserClick(m.Get("sbtnOpenFolder"));  // cancelled
  EXPECT_EQ(m.dialogs.folderRequests.back(), "Выберите каталог...|C:\\Data");
  EXPECT_EQ(Text("memInfoTipFolder"), "Hi");
  EXPECT_TRUE(Enabled("btnDelIcon"));

  // A folder without Desktop.ini empties the page.
  std::filesystem::create_directories(m.Host("Empty"));
  ChooseFolder("C:\\Empty");
  EXPECT_EQ(Text("memInfoTipFolder"), "");
  EXPECT_EQ(Text("edtIconFile"), "");
  EXPECT_TRUE(Icon().Empty());
  EXPECT_FALSE(Enabled("btnDelIcon"));
}

TEST_F(IconFolderTest, RemoveKeepsOtherEntriesAndTheAttributeOnlyWithFolderViews) {
  struct Case {
    const char *ini, *after;
    std::uint32_t attributes;
  } cases[] = {
      {"[.ShellClassInfo]\r\nIconFile=C:\\a.ico\r\nIconIndex=2\r\nInfoTip=x\r\nConfirmFileOp=0\r\n",
       "[.ShellClassInfo]\r\nConfirmFileOp=0\r\n", fileattr::Directory},
      {"[.ShellClassInfo]\r\nIconFile=C:\\a.ico\r\nIconIndex=2\r\n[ExtShellFolderViews]\r\n"
       "Default={5984FFE0-28D4-11CF-AE66-08002B2E1262}\r\n",
       "[.ShellClassInfo]\r\n[ExtShellFolderViews]\r\nDefault={5984FFE0-28D4-11CF-AE66-08002B2E1262}\r\n",
       fileattr::Directory | fileattr::System},
  };
  for (const auto& c : cases) {
    pagetest::PageMachine fresh;
    fresh.Write(kIni, c.ini);
    ASSERT_TRUE(prefix::WriteDosAttributes(fresh.Host("Data"), fileattr::Directory | fileattr::System));
    fresh.dialogs.folders.push_back("C:\\Data");
    ui::UserClick(fresh.Get("sbtnOpenFolder"));
    ASSERT_TRUE(fresh.Get("btnDelIcon").Enabled()) << c.ini;
    ui::UserClick(fresh.Get("btnDelIcon"));
    EXPECT_EQ(fresh.Read(kIni), c.after);
    EXPECT_EQ(fresh.Attributes("Data"), c.attributes) << c.ini;
    EXPECT_EQ(fresh.Get("edtIconFile").Text(), "");
    EXPECT_TRUE(fresh.Get<ui::Image>("imgIconsView").GetPicture().Empty());
    EXPECT_FALSE(fresh.Get("btnDelIcon").Enabled());
  }
}

TEST_F(IconFolderTest, IconChooserStartsFromAnExistingIconFile) {
  ChooseFolder();
  m.Write("Icons/set.dll", "MZ");
  ui::UserType(m.Get("edtIconFile"), "C:\\Icons\\missing.dll");
  EXPECT_TRUE(Enabled("btnSetIcon"));
  ui::UserClick(m.Get("sbtnSelectIcon"));  // cancelled: nothing changes
  EXPECT_EQ(m.dialogs.iconRequests.back(), "C:\\WINDOWS\\SYSTEM\\shell32.dll,0");
  EXPECT_EQ(Text("edtIconFile"), "C:\\Icons\\missing.dll");

  ui::UserType(m.Get("edtIconFile"), "C:\\Icons\\set.dll");
  m.dialogs.icons.push_back({"C:\\Icons\\set.dll", -1});
  ui::UserClick(m.Get("sbtnSelectIcon"));
  EXPECT_EQ(m.dialogs.iconRequests.back(), "C:\\Icons\\set.dll,0");
  EXPECT_TRUE(Icon().Empty()) << "index -1 is no choice";

  ui::UserType(m.Get("edtFolder"), "");
  EXPECT_TRUE(Enabled("memInfoTipFolder")) << "an emptied folder text changes nothing";
}

}  // namespace
}  // namespace vlx

namespace vlx {
namespace {

TEST(IconFolderFailure, AnUnwritableDesktopIniLeavesTheFolderAndTheButton) {
  pagetest::PageMachine m;
  ui::UserType(m.Get("edtFolder"), "C:\\Gone");
  m.dialogs.icons.push_back({"C:\\WINDOWS\\SYSTEM\\shell32.dll", 4});
  ui::UserClick(m.Get("sbtnSelectIcon"));
  try {
    ui::UserClick(m.Get("btnSetIcon"));
    ADD_FAILURE() << "the write error must reach the window";
  } catch (const StoreError& error) {
    EXPECT_STREQ(error.what(), "Unable to write to C:\\Gone\\Desktop.ini");
  }
  EXPECT_TRUE(m.Get("btnSetIcon").Enabled());
  EXPECT_FALSE(std::filesystem::exists(m.Host("Gone")));
}

}  // namespace
}  // namespace vlx
