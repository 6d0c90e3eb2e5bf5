// The General page's registry rules through the control model: the audio CD verb compared
// exactly, the autorun mask replaced whole when unchecked, and failed reads giving the fallback
// while the unread value is kept.
#include "pages/general.h"
#include "unit/rules_page_fixture.h"

namespace vlx {
namespace {

constexpr RegKey HKLM = regroot::LocalMachine;
constexpr RegKey HKCU = regroot::CurrentUser;
const std::string kAudio = "Software\\Classes\\AudioCD\\Shell";
const std::string kExplorer = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const std::string kWinOldApp = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\WinOldApp";

using GeneralPage = rulestest::PageTest;

TEST_F(GeneralPage, AudioCdVerbIsComparedAsTheShellMatchesVerbs) {
  PutText(HKLM, kAudio, "", "Play");
  LoadGeneralPage(context);
  EXPECT_TRUE(Checked("cbAutoranCDmusic"));
  ApplyGeneralPage(context);
  EXPECT_EQ(Stored(HKLM, kAudio, "")->data, std::string("Play") + '\0');  // as loaded: kept

  ui::UserCheck(Get("cbAutoranCDmusic"), false);
  ApplyGeneralPage(context);
  EXPECT_EQ(Stored(HKLM, kAudio, "")->data, std::string(1, '\0'));
  ui::UserCheck(Get("cbAutoranCDmusic"), true);
  ApplyGeneralPage(context);
  EXPECT_EQ(Stored(HKLM, kAudio, "")->data, std::string("play") + '\0');
  rulestest::PageHarness next;
  std::swap(next.machine.registry, machine.registry);
  LoadGeneralPage(next.context);
  EXPECT_TRUE(next.Checked("cbAutoranCDmusic"));
}

TEST_F(GeneralPage, MissingAudioCdKeyKeepsTheBoxAndApplyCreatesIt) {
  Get<ui::CheckBox>("cbAutoranCDmusic").SetChecked(true);
  LoadGeneralPage(context);
  EXPECT_TRUE(Checked("cbAutoranCDmusic"));
  ApplyGeneralPage(context);
  EXPECT_EQ(Stored(HKLM, kAudio, "")->data, std::string("play") + '\0');
}

TEST_F(GeneralPage, AutorunMaskIsReplacedWholeWhenUnchecked) {
  PutBinary(HKCU, kExplorer, "NoDriveTypeAutoRun", 0x95);
  LoadGeneralPage(context);
  EXPECT_TRUE(Checked("cbAutoranCDdata"));
  ApplyGeneralPage(context);
  EXPECT_EQ(Stored(HKCU, kExplorer, "NoDriveTypeAutoRun")->data, std::string("\x95\0\0\0", 4));

  PutBinary(HKCU, kExplorer, "NoDriveTypeAutoRun", 0x20);
  LoadGeneralPage(context);
  EXPECT_FALSE(Checked("cbAutoranCDdata"));
  PutBinary(HKCU, kExplorer, "NoDriveTypeAutoRun", 0x95);
  ApplyGeneralPage(context);
  EXPECT_EQ(Stored(HKCU, kExplorer, "NoDriveTypeAutoRun")->data, std::string("\x20\0\0\0", 4));
}

TEST_F(GeneralPage, RestrictionsOfEitherFourByteFormLoadSetAndKeepTheirType) {
  machine.registry.Put(HKCU, kWinOldApp, "Disabled", regtype::Dword, std::string("\1\0\0\0", 4));
  PutBinary(HKCU, kWinOldApp, "NoRealMode", 1);  // binary under a dword rule: read as the shell does
  PutBinary(HKCU, kExplorer, "NoDriveTypeAutoRun", 0x20);
  machine.registry.Put(HKCU, kExplorer, "NoDriveTypeAutoRun", regtype::Dword,
                       std::string("\x20\0\0\0", 4));
  LoadGeneralPage(context);
  EXPECT_FALSE(Checked("cbMsdosSeans"));
  EXPECT_FALSE(Checked("cbRestartInMsdos"));
  EXPECT_FALSE(Checked("cbAutoranCDdata"));
  ui::UserCheck(Get("cbRegeditOff"), false);
  ApplyGeneralPage(context);
  const auto* regedit = Stored(
      HKCU, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "DisableRegistryTools");
  ASSERT_NE(regedit, nullptr);
  EXPECT_EQ(regedit->type, regtype::Dword);
  EXPECT_EQ(Stored(HKCU, kWinOldApp, "NoRealMode")->type, regtype::Binary);
  EXPECT_EQ(Stored(HKCU, kExplorer, "NoDriveTypeAutoRun")->type, regtype::Dword);
}

}  // namespace
}  // namespace vlx
