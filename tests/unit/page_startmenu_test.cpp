// The Start menu page through the control model: its rows against the store, the views and the
// context-menu master switch.
#include "unit/rules_page_fixture.h"

namespace vlx {
namespace {

constexpr RegKey HKLM = regroot::LocalMachine;
constexpr RegKey HKCU = regroot::CurrentUser;
const std::string kPolicy = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\explorer";
const std::string kVolnrxVerb = "Software\\CLASSES\\Directory\\shell\\Volnrx";

using StartMenuPage = rulestest::PageTest;

TEST_F(StartMenuPage, NoRunLoadsFromEitherFourByteFormAndApplyKeepsIt) {
  PutBinary(HKLM, kPolicy, "NoRun", 1);
  LoadStartMenuPage(context);
  EXPECT_FALSE(Checked("cbStartMenuItem6"));
  EXPECT_TRUE(Checked("cbStartMenuItem5"));

  ui::UserCheck(Get("cbStartMenuItem6"), true);
  ui::UserCheck(Get("cbStartMenuItem3"), false);
  ApplyStartMenuPage(context);
  EXPECT_EQ(Stored(HKLM, kPolicy, "NoRun"), nullptr);
  EXPECT_EQ(Stored(HKLM, kPolicy, "NoFavoritesMenu")->data, std::string("\1\0\0\0", 4));

  machine.registry.Put(HKLM, kPolicy, "NoRun", regtype::Dword, std::string("\1\0\0\0", 4));
  LoadStartMenuPage(context);
  EXPECT_FALSE(Checked("cbStartMenuItem6"));  // the shell hides Run for a REG_DWORD 1 too
  ApplyStartMenuPage(context);
  EXPECT_EQ(Stored(HKLM, kPolicy, "NoRun")->type, regtype::Dword);  // as loaded: kept
}

TEST_F(StartMenuPage, ProgramVerbFollowsTheRunningProgramsPath) {
  const std::string self = context.ModuleFile();
  EXPECT_EQ(self, "C:\\Program Files\\Volnerix\\volnrx.exe");
  PutText(HKLM, kVolnrxVerb + "\\command", "", "C:\\Old\\volnrx.exe");
  LoadStartMenuPage(context);
  EXPECT_FALSE(Checked("cbContextMenuIndex6"));  // the program was moved

  ui::UserClick(Get("spidbtnStartMenu"));  // the service view
  ui::UserCheck(Get("cbContexMenuOnOff"), true);
  ui::UserCheck(Get("cbContextMenuIndex6"), true);
  ApplyStartMenuPage(context);
  EXPECT_EQ(Stored(HKLM, kVolnrxVerb, "")->data, std::string("&Volnerix") + '\0');
  EXPECT_EQ(Stored(HKLM, kVolnrxVerb + "\\command", "")->data, self + '\0');
  LoadStartMenuPage(context);
  EXPECT_TRUE(Checked("cbContextMenuIndex6"));

  ui::UserCheck(Get("cbContextMenuIndex6"), false);
  ApplyStartMenuPage(context);
  EXPECT_FALSE(machine.registry.KeyExists(HKLM, kVolnrxVerb));

  // Started from a file of another name: the command is that file, not "volnrx.exe".
  context.state.moduleFile = "C:\\Tools\\VLX.EXE";
  ui::UserCheck(Get("cbContextMenuIndex6"), true);
  ApplyStartMenuPage(context);
  EXPECT_EQ(Stored(HKLM, kVolnrxVerb + "\\command", "")->data,
            std::string("C:\\Tools\\VLX.EXE") + '\0');
}

TEST_F(StartMenuPage, ContextMenuSwitchEnablesThePanelOnlyWhenItsStateChanges) {
  // Flag set: the master loads unchecked, which is no change, so the panel stays as it was.
  PutBinary(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
            "NoTrayContextMenu", 1);
  LoadStartMenuPage(context);
  EXPECT_FALSE(Checked("cbContexMenuOnOff"));
  EXPECT_TRUE(Get("pStartContextMenu").Enabled());
  EXPECT_TRUE(Get("cbContextMenuIndex3").Enabled());

  ui::UserClick(Get("spidbtnStartMenu"));  // to the service view, where the switch is
  ui::UserCheck(Get("cbContexMenuOnOff"), true);
  ui::UserCheck(Get("cbContexMenuOnOff"), false);
  EXPECT_FALSE(Get("pStartContextMenu").Enabled());
  for (int n = 1; n <= 6; ++n)
    EXPECT_FALSE(Get("cbContextMenuIndex" + std::to_string(n)).Enabled()) << n;

  ui::UserCheck(Get("cbContexMenuOnOff"), true);
  EXPECT_TRUE(Get("cbContextMenuIndex3").Enabled());
  ApplyStartMenuPage(context);
  EXPECT_EQ(Stored(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                   "NoTrayContextMenu"),
            nullptr);
}

TEST_F(StartMenuPage, ViewSwitchShowsOneViewAtATime) {
  const char* menuView[] = {"ImgStartMenu", "lbSpeedDescription", "trkbarMenuSpeed",
                            "lbSpeedFrecuency", "cbStartMenuItem1", "cbStartMenuItem8"};
  const char* serviceView[] = {"pStartContextMenu", "cbContexMenuOnOff", "gbStartMenuOther"};
  for (bool down : {false, true}) {
    ui::UserClick(Get("spidbtnStartMenu"));
    EXPECT_EQ(Get<ui::SpeedButton>("spidbtnStartMenu").Down(), down);
    for (const char* name : menuView) EXPECT_EQ(Get(name).Visible(), down) << name;
    for (const char* name : serviceView) EXPECT_EQ(Get(name).Visible(), !down) << name;
  }
}

TEST_F(StartMenuPage, LongDateMarkerAndMenuDelay) {
  const std::string marker = LongDateMarker();
  EXPECT_EQ(marker.size(), 22u);
  EXPECT_EQ(marker, "dddd, d MMMM yyyy 'г.'");
  EXPECT_EQ(static_cast<unsigned char>(marker[19]), 0xE3);

  // Missing International key: item 2 keeps its state, and apply makes the key.
  Get<ui::ListControl>("clbStartmainServis").SetItemChecked(2, true);
  PutText(HKCU, "Control Panel\\Desktop", "MenuShowDelay", "9000");
  LoadStartMenuPage(context);
  EXPECT_TRUE(ItemChecked("clbStartmainServis", 2));
  EXPECT_EQ(Get<ui::RangeControl>("trkbarMenuSpeed").Position(), 5000);
  ApplyStartMenuPage(context);
  EXPECT_EQ(Stored(HKCU, "Control Panel\\International", "sLongDate")->data, marker + '\0');
  EXPECT_EQ(Stored(HKCU, "Control Panel\\Desktop", "MenuShowDelay")->data, std::string("5000") + '\0');
  ASSERT_FALSE(machine.parameters.sets.empty());
  EXPECT_EQ(machine.parameters.sets.back().action, spi::SetMenuShowDelay);
  EXPECT_EQ(machine.parameters.sets.back().param, 5000u);
}

TEST_F(StartMenuPage, ScrollItemBelongsToTheDesktopSteps) {
  PutText(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Advanced",
          "StartMenuScrollPrograms", "False");
  LoadStartMenuPage(context);
  EXPECT_FALSE(ItemChecked("clbStartmainServis", 3));
  LoadDesktopPage(context);
  EXPECT_TRUE(ItemChecked("clbStartmainServis", 3));
}

TEST_F(StartMenuPage, StartMenuFoldersAreMadeAndRemoved) {
  const std::string printers =
      "C:\\WINDOWS\\Start Menu\\Принтеры.{2227A280-3AEA-1069-A2DE-08002B30309D}";
  LoadStartMenuPage(context);
  EXPECT_FALSE(Checked("cbStartMenuItem1"));
  ui::UserCheck(Get("cbStartMenuItem1"), true);
  ApplyStartMenuPage(context);
  EXPECT_TRUE(machine.files.Exists(printers));
  ApplyStartMenuPage(context);  // already there: nothing happens
  ui::UserCheck(Get("cbStartMenuItem1"), false);
  ApplyStartMenuPage(context);
  EXPECT_FALSE(machine.files.Exists(printers));
}

}  // namespace
}  // namespace vlx
