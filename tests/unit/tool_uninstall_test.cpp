#include <gtest/gtest.h>

#include "tool_page_fixture.h"
#include "store/reg_store.h"
#include "tools/uninstall.h"

namespace vlx {
namespace {

using testing::ToolPageFixture;
constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr std::uint32_t kQuestion = mb::YesNo | mb::IconQuestion | mb::DefButton2 | mb::TaskModal;
constexpr std::uint32_t kNotice = mb::Ok | mb::IconInformation | mb::TaskModal;

class UninstallPage : public ::testing::Test, public ToolPageFixture {
 protected:
  void Entry(const std::string& subkey, const std::string& name, const char* command = nullptr) {
    const std::string path = std::string(kKey) + "\\" + subkey;
    registry.MakeKey(regroot::LocalMachine, path);
    if (!name.empty() || command == nullptr)
      registry.Put(regroot::LocalMachine, path, "DisplayName", regtype::Sz, name + '\0');
    if (command)
      registry.Put(regroot::LocalMachine, path, "UninstallString", regtype::Sz,
                   std::string(command) + '\0');
  }
  bool Exists(const std::string& subkey) {
    return registry.KeyExists(regroot::LocalMachine, std::string(kKey) + "\\" + subkey);
  }
  std::string Value(const std::string& subkey, const char* name) {
    const auto* v = registry.Get(regroot::LocalMachine, std::string(kKey) + "\\" + subkey, name);
    return v ? v->data : "<none>";
  }
  ui::ListControl& List() { return Main<ui::ListControl>("lstProgramms"); }
  std::vector<std::string> Items() {
    std::vector<std::string> items;
    for (const auto& item : List().Items()) items.push_back(item.text);
    return items;
  }
  void Select(const std::string& text) { ui::UserSelect(List(), List().IndexOf(text)); }
  void Menu(const char* item) { ui::UserClick(Main(item)); }
};

TEST_F(UninstallPage, ListsDescribedEntriesSortedAndKeepsTheStoredOrder) {
  Entry("zeta", "Zeta Player", "zeta.exe /u");
  Entry("nodesc", "");                      // no DisplayName at all
  Entry("empty", "", "empty.exe");          // DisplayName missing, command present
  Entry("alpha", "Alpha Tools");
  Entry("dup2", "Alpha Tools");
  LoadUninstallList(ctx);
  EXPECT_EQ(Items(), (std::vector<std::string>{"Alpha Tools", "Alpha Tools", "Zeta Player"}));
  EXPECT_EQ(ctx.uninstall.keyNames,
            (std::vector<std::string>{"zeta", "nodesc", "empty", "alpha", "dup2"}));

  // A description stored as a number ends the listing silently with what it had.
  registry.Put(regroot::LocalMachine, std::string(kKey) + "\\empty", "DisplayName",
               regtype::Dword, std::string("\1\0\0\0", 4));
  LoadUninstallList(ctx);
  EXPECT_EQ(Items(), (std::vector<std::string>{"Zeta Player"}));
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(UninstallPage, MenuCommandsNeedASelectionButRefreshDoesNot) {
  Entry("a", "Alpha", "alpha.exe");
  LoadUninstallList(ctx);
  for (const char* item : {"nDelete", "nChange", "nNew", "nUninstall"}) Menu(item);
  ui::UserDoubleClick(List());
  ui::UserKey(List(), 13);
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(processes.log.empty());
  EXPECT_FALSE(ctx.frmChange.Visible());
  EXPECT_TRUE(ctx.uninstall.editMode.empty());

  Entry("b", "Beta");
  Menu("nRefrash");
  EXPECT_EQ(Items(), (std::vector<std::string>{"Alpha", "Beta"}));
}

TEST_F(UninstallPage, DeleteAsksOncePerMatchAndStopsAtTheFirstNo) {
  Entry("one", "Same", "one.exe");
  Entry("two", "Same", "two.exe");
  LoadUninstallList(ctx);
  Entry("late", "Late");  // appears only when the list is rebuilt

  Select("Same");
  dialogs.answers = {idanswer::No};
  Menu("nDelete");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].title, "Volnerix");
  EXPECT_EQ(dialogs.shown[0].text,
            "Вы уверены, что хотите удалить \"Same\" ?\r\r"
            "Это удалит запись из реестра, но не саму программу !");
  EXPECT_EQ(dialogs.shown[0].flags, kQuestion);
  EXPECT_TRUE(Exists("one"));
  EXPECT_TRUE(Exists("two"));
  EXPECT_EQ(Items(), (std::vector<std::string>{"Same", "Same"}));  // not rebuilt

  Select("Same");
  dialogs.answers = {idanswer::Yes, idanswer::Yes};
  Menu("nDelete");
  EXPECT_EQ(dialogs.shown.size(), 3u);
  EXPECT_FALSE(Exists("one"));
  EXPECT_FALSE(Exists("two"));
  EXPECT_EQ(Items(), (std::vector<std::string>{"Late"}));
}

struct UndeletableRegistry : testing::FakeRegistry {
  long DeleteKey(RegKey, const std::string&) override { return winerr::AccessDenied; }
};

TEST(UninstallDelete, AFailedDeletionIsReportedAndTheScanGoesOn) {
  struct Fixture : ToolPageFixture {
    UndeletableRegistry stubborn;
    Fixture() { platform.registry = &stubborn; }
  } f;
  for (const char* key : {"x", "y"}) {
    const std::string path = std::string(kKey) + "\\" + key;
    f.stubborn.Put(regroot::LocalMachine, path, "DisplayName", regtype::Sz, std::string("X\0", 2));
  }
  LoadUninstallList(f.ctx);
  auto& list = f.Main<ui::ListControl>("lstProgramms");
  ui::UserSelect(list, 0);
  f.dialogs.answers = {idanswer::Yes, idanswer::Ok, idanswer::Yes, idanswer::Ok};
  ui::UserClick(f.Main("nDelete"));
  ASSERT_EQ(f.dialogs.shown.size(), 4u);
  EXPECT_EQ(f.dialogs.shown[1].text, "Невозможно удалить запись !");
  EXPECT_EQ(f.dialogs.shown[1].flags, kNotice);
  EXPECT_EQ(list.Count(), 2);
}

TEST_F(UninstallPage, ChangeEditsTheLastMatchInTheDialog) {
  Entry("first", "Dup", "first.exe");
  Entry("second", "Dup", "second.exe");
  LoadUninstallList(ctx);
  ctx.frmMain.SetBounds({100, 50, 369, 499});
  Select("Dup");
  ui::UserDoubleClick(List());
  EXPECT_TRUE(ctx.frmChange.Visible());
  EXPECT_EQ(ctx.frmChange.Bounds().left, 140);
  EXPECT_EQ(ctx.frmChange.Bounds().top, 280);
  EXPECT_EQ(ctx.uninstall.editMode, "Change");
  EXPECT_EQ(ctx.uninstall.editedKeyPath, std::string("\\") + kKey + "\\second");
  EXPECT_EQ(Change("txtUnstr").Text(), "second.exe");
  EXPECT_TRUE(Change("btnChange").Enabled());

  ui::UserType(Change("txtDn"), "Renamed");
  ui::UserType(Change("txtUnstr"), "C:\\new.exe /x");
  ui::UserKey(Change("txtUnstr"), 13);  // Enter acts as OK
  EXPECT_FALSE(ctx.frmChange.Visible());
  EXPECT_EQ(Value("second", "DisplayName"), std::string("Renamed\0", 8));
  EXPECT_EQ(Value("second", "UninstallString"), std::string("C:\\new.exe /x\0", 14));
  EXPECT_EQ(Value("first", "UninstallString"), std::string("first.exe\0", 10));
  EXPECT_EQ(Items(), (std::vector<std::string>{"Dup", "Renamed"}));
}

TEST_F(UninstallPage, OkNeedsBothTextsAndEscapeWritesNothing) {
  Entry("bare", "Bare");  // no UninstallString
  LoadUninstallList(ctx);
  Select("Bare");
  Menu("nChange");
  EXPECT_EQ(Change("txtUnstr").Text(), "");
  EXPECT_FALSE(Change("btnChange").Enabled());
  ui::UserType(Change("txtUnstr"), "x");
  EXPECT_TRUE(Change("btnChange").Enabled());
  ui::UserType(Change("txtUnstr"), "");
  EXPECT_FALSE(Change("btnChange").Enabled());
  ui::UserKey(Change("txtUnstr"), 13);  // OK disabled: Enter does nothing
  EXPECT_TRUE(ctx.frmChange.Visible());

  ui::UserType(Change("txtUnstr"), "y");
  ui::UserKey(Change("txtDn"), 27);
  EXPECT_FALSE(ctx.frmChange.Visible());
  EXPECT_EQ(Value("bare", "UninstallString"), "<none>");

  Menu("nChange");
  ui::UserClick(Change("btnClose"));
  EXPECT_FALSE(ctx.frmChange.Visible());
  EXPECT_EQ(Value("bare", "UninstallString"), "<none>");
}

TEST_F(UninstallPage, ChangingAnEntryDeletedMeanwhileMakesItAgain) {
  Entry("gone", "Gone", "g.exe");
  LoadUninstallList(ctx);
  Select("Gone");
  Menu("nChange");
  RegStore(registry).RemoveKeyTree(std::string("\\") + kKey + "\\gone");  // another program
  ui::UserClick(Change("btnChange"));
  EXPECT_EQ(Value("gone", "UninstallString"), std::string("g.exe\0", 6));
}

TEST_F(UninstallPage, NewEntryIsNamedAfterTheLocalTime) {
  Entry("a", "Alpha");
  LoadUninstallList(ctx);
  clock.now = {.year = 2026, .month = 12, .dayOfWeek = 0, .day = 6, .hour = 18, .minute = 5,
               .second = 9, .milliseconds = 123};
  Select("Alpha");
  Menu("nNew");
  EXPECT_EQ(ctx.uninstall.editMode, "New");
  EXPECT_EQ(Change("txtDn").Text(), "");
  EXPECT_FALSE(Change("btnChange").Enabled());
  ui::UserType(Change("txtDn"), "Мой редактор");
  ui::UserType(Change("txtUnstr"), "C:\\EDIT\\UNINST.EXE");
  ui::UserClick(Change("btnChange"));
  EXPECT_EQ(Value("VOLNRX-12/6/2026(18:5:9)", "DisplayName"), std::string("Мой редактор") + '\0');
  EXPECT_EQ(Items(), (std::vector<std::string>{"Alpha", "Мой редактор"}));
  EXPECT_FALSE(ctx.frmChange.Visible());
}

TEST_F(UninstallPage, UninstallerRunsOrOffersToDeleteTheEntry) {
  Entry("ok", "Works", "C:\\works\\uninst.exe");
  Entry("broken", "Broken", "C:\\gone\\uninst.exe");
  Entry("twin", "Broken", "C:\\twin\\uninst.exe");
  processes.programs = {"C:\\works\\uninst.exe"};
  LoadUninstallList(ctx);
  Entry("late", "Late");

  Select("Works");
  Menu("nUninstall");
  EXPECT_EQ(processes.log, std::vector<std::string>{"run C:\\works\\uninst.exe"});
  EXPECT_NE(List().IndexOf("Late"), -1);  // rebuilt after the wait
  EXPECT_TRUE(dialogs.shown.empty());

  Select("Broken");
  dialogs.answers = {idanswer::No};
  Menu("nUninstall");
  EXPECT_EQ(processes.log.back(), "run C:\\twin\\uninst.exe");  // the last match's command
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Программа деинсталляции не найдена !\r\rХотите удалить запись ?");
  EXPECT_EQ(dialogs.shown[0].flags, kQuestion);
  EXPECT_TRUE(Exists("twin"));

  dialogs.answers = {idanswer::Yes};
  Menu("nUninstall");
  EXPECT_FALSE(Exists("twin"));
  EXPECT_TRUE(Exists("broken"));
  EXPECT_EQ(Items(), (std::vector<std::string>{"Broken", "Late", "Works"}));
}

TEST_F(UninstallPage, MouseDownSelectsTheItemUnderThePointer) {
  Entry("a", "A");
  Entry("b", "B");
  LoadUninstallList(ctx);
  ASSERT_TRUE(List().onMouseDown);  // the list's press event reaches the page
  List().onMouseDown(1);
  EXPECT_EQ(List().ItemIndex(), 1);
  List().onMouseDown(0);
  EXPECT_EQ(List().ItemIndex(), 0);
  List().onMouseDown(-1);  // below the last item
  EXPECT_EQ(List().ItemIndex(), -1);
}

}  // namespace
}  // namespace vlx
