#include "app/help_numbers.h"

#include "ui/form.h"

namespace vlx {

namespace {

constexpr HelpNumber kHelpNumbers[] = {
    {"cbAutoranCDdata", 9},
    {"clbExplorerSetting", 11},
    {"cbAutoranCDmusic", 12},
    {"cbMsdosSeans", 13},
    {"cbRegeditOff", 14},
    {"cbRestartInMsdos", 15},
    {"cbCachPass", 16},
    {"cbViewWindowsFiles", 17},
    {"cbViewSystemsFiles", 18},
    {"cbExplorer3", 19},
    {"rbExplorer2", 20},
    {"rbExplorer1", 21},
    {"rbExplorer3", 22},
    {"edtInetWindowTitle", 23},
    {"cbIETextDefault", 24},
    {"cbInternetExplorer1", 25},
    {"cbContextMenuIE", 26},
    {"gbShotcuts", 27},
    {"cbAutoClearTempFolder", 28},
    {"lstProgramms", 29},
    {"lvProcess", 30},
    {"lvWindows", 30},
    {"rbShotcuts1", 31},
    {"rbShotcuts2", 32},
    {"rbShotcuts3", 33},
    {"rbShotcuts4", 34},
    {"pDeathScreen", 35},
    {"cbTextColor", 36},
    {"cbBackgraundColor", 37},
    {"cbScrDeathDefault", 38},
    {"clbDesctopSetting", 39},
    {"cbScreenSaverActive", 40},
    {"seTimeScreenSaverOn", 41},
    {"trbRed", 42},
    {"trbGreen", 43},
    {"trbBlue", 44},
    {"cbDesktopColorDefault", 45},
    {"btnColorSelect", 46},
    {"edtCurrentUser", 47},
    {"edtCurrentOrganisation", 48},
    {"cbErrorFileYes", 49},
    {"edtCommandLine", 50},
    {"SeletTuOpen", 51},
    {"btnRunCommandLine", 52},
    {"cbRepairSelected", 53},
    {"btnRepair", 54},
    {"clbStartmainServis", 55},
    {"trkbarMenuSpeed", 56},
    {"btnBrowseSourceFile", 58},
    {"btnBrowseDestinationFile", 59},
    {"edtSourceFile", 60},
    {"edtDestinationFile", 61},
    {"rbDeleteSourceFile", 62},
    {"rbReplaceFile", 63},
    {"cbBackUpFile", 64},
    {"btnReplaceFile", 65},
    {"btnKillFile", 66},
    {"btnGetColor", 67},
    {"editTColor", 68},
    {"editHtml", 69},
    {"editRgb", 70},
    {"gbRamInfo", 71},
    {"gbROtherInfo", 72},
    {"gbPFInfo", 73},
    {"gbHDDInfo", 74},
    {"pgSelectedPage", 75},
    {"edtFolder", 85},
    {"memInfoTipFolder", 95},
    {"btnSetIcon", 100},
    {"btnDelIcon", 102},
    {"edtIconFile", 105},
};

}  // namespace

std::span<const HelpNumber> HelpNumbers() { return kHelpNumbers; }

int ApplyHelpNumbers(ui::Form& form) {
  int found = 0;
  for (const HelpNumber& entry : kHelpNumbers) {
    if (ui::Control* control = form.Find(entry.control)) {
      control->SetHelpContext(entry.topic);
      ++found;
    }
  }
  return found;
}

}  // namespace vlx
