// The Control panel page through the control model: the Internet Options master and its
// all-flags write, the four master switches and the group buttons.
#include "unit/rules_page_fixture.h"

namespace vlx {
namespace {

constexpr RegKey HKCU = regroot::CurrentUser;
const std::string kInternet = "SOFTWARE\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
const char* const kTabValues[] = {"GeneralTab", "SecurityTab", "ContentTab", "ConnectionsTab",
                                  "ProgramsTab", "AdvancedTab"};
const std::string kFlag("\1\0\0\0", 4);

using ControlPanelPage = rulestest::PageTest;

TEST_F(ControlPanelPage, UncheckedInternetMasterWritesAllSevenFlags) {
  LoadControlPanelPage(context);
  EXPECT_TRUE(Checked("cbInternetSetting"));
  ui::UserClick(Get("spbtnCplSelect7"));
  ui::UserCheck(Get("cbInternetSetting"), false);
  ApplyControlPanelPage(context);
  for (const char* value : kTabValues) EXPECT_EQ(Stored(HKCU, kInternet, value)->data, kFlag) << value;
  EXPECT_EQ(Stored(HKCU, kInternet, "HomePage")->data, kFlag);

  rulestest::PageHarness next;  // the next start
  std::swap(next.machine.registry, machine.registry);
  LoadControlPanelPage(next.context);
  EXPECT_FALSE(next.Checked("cbInternetSetting"));
  for (int n = 1; n <= 7; ++n) {
    EXPECT_FALSE(next.Checked("cbInternetSetting" + std::to_string(n))) << n;
    EXPECT_FALSE(next.Get("cbInternetSetting" + std::to_string(n)).Enabled()) << n;
  }
}

TEST_F(ControlPanelPage, InternetMasterIsDerivedFromTheSixTabBoxes) {
  for (const char* value : kTabValues) PutBinary(HKCU, kInternet, value, 1);
  LoadControlPanelPage(context);
  EXPECT_TRUE(Checked("cbInternetSetting7"));
  EXPECT_FALSE(Checked("cbInternetSetting1"));
  EXPECT_FALSE(Checked("cbInternetSetting"));
  ApplyControlPanelPage(context);  // unchanged, yet the home page flag is written too
  EXPECT_EQ(Stored(HKCU, kInternet, "HomePage")->data, kFlag);

  rulestest::PageHarness other;
  other.PutBinary(HKCU, kInternet, "SecurityTab", 1);
  LoadControlPanelPage(other.context);
  EXPECT_TRUE(other.Checked("cbInternetSetting"));
  EXPECT_FALSE(other.Checked("cbInternetSetting2"));
  ApplyControlPanelPage(other.context);
  EXPECT_EQ(other.Stored(HKCU, kInternet, "SecurityTab")->data, kFlag);
  EXPECT_EQ(other.Stored(HKCU, kInternet, "GeneralTab"), nullptr);
  EXPECT_EQ(other.Stored(HKCU, kInternet, "HomePage"), nullptr);
}

TEST_F(ControlPanelPage, MastersDisableTheirGroupsOnceAnyMasterRuns) {
  const std::string system = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
  PutBinary(HKCU, system, "NoDispCPL", 1);
  LoadControlPanelPage(context);
  EXPECT_FALSE(Checked("cbDicpleyProperty1"));
  for (int n = 2; n <= 5; ++n)
    EXPECT_FALSE(Get("cbDicpleyProperty" + std::to_string(n)).Enabled()) << n;
  EXPECT_TRUE(Get("cbSecurityPass2").Enabled());

  // With every master unchecked no handler runs and the dependents stay enabled.
  rulestest::PageHarness locked;
  for (const char* value : {"NoDispCPL", "NoSecCPL"}) locked.PutBinary(HKCU, system, value, 1);
  locked.PutBinary(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Network",
                   "NoNetSetup", 1);
  for (const char* value : kTabValues) locked.PutBinary(HKCU, kInternet, value, 1);
  LoadControlPanelPage(locked.context);
  EXPECT_TRUE(locked.Get("cbDicpleyProperty2").Enabled());
  EXPECT_TRUE(locked.Get("cbNetworkSetting4").Enabled());

  // Applying ignores Enabled.
  ui::UserClick(Get("spbtnCplSelect2"));
  ui::UserCheck(Get("cbDicpleyProperty1"), true);
  ui::UserCheck(Get("cbDicpleyProperty3"), false);
  ui::UserCheck(Get("cbDicpleyProperty1"), false);
  ApplyControlPanelPage(context);
  EXPECT_EQ(Stored(HKCU, system, "NoDispBackgroundPage")->data, kFlag);
}

TEST_F(ControlPanelPage, SetFoldersFlagLandsInThePrinterKey) {
  LoadControlPanelPage(context);
  ui::UserClick(Get("spbtnCplSelect1"));
  ui::UserCheck(Get("cbCntlPanelAndPrinters"), false);
  ApplyControlPanelPage(context);
  EXPECT_EQ(Stored(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                   "NoSetFolders")->data,
            kFlag);
}

TEST_F(ControlPanelPage, GroupButtonsShowOneGroup) {
  for (int pressed : {5, 5, 2}) {
    ui::UserClick(Get("spbtnCplSelect" + std::to_string(pressed)));
    EXPECT_TRUE(Get<ui::SpeedButton>("spbtnCplSelect" + std::to_string(pressed)).Down());
    for (int n = 1; n <= 7; ++n)
      EXPECT_EQ(Get("gbControlPanel" + std::to_string(n)).Visible(), n == pressed) << n;
  }
}

}  // namespace
}  // namespace vlx
