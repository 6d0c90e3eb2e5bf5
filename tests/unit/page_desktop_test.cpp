// The Desktop page through the control model: the stored background colour, the colour
// controls, the screen saver and the desktop items.
#include "unit/rules_page_fixture.h"

namespace vlx {
namespace {

constexpr RegKey HKLM = regroot::LocalMachine;
constexpr RegKey HKCU = regroot::CurrentUser;

class Page : public rulestest::PageHarness {
 public:
  int Slider(const char* name) { return Get<ui::RangeControl>(name).Position(); }
  std::string Labels() {
    return Get("lbRed").Text() + "," + Get("lbGreen").Text() + "," + Get("lbBlue").Text();
  }
  // A known state before a load: sliders 1, 2, 3 shown, default box unchecked.
  void Prime() {
    ui::UserSet(Get("trbRed"), 1);
    ui::UserSet(Get("trbGreen"), 2);
    ui::UserSet(Get("trbBlue"), 3);
  }
};

class DesktopPage : public ::testing::Test, public Page {};

TEST_F(DesktopPage, BackgroundTextsLoadFieldByField) {
  struct Case {
    const char* stored;  // nullptr: absent
    int red, green, blue;
    const char* labels;
    bool isDefault;
    std::uint32_t panel;
  } cases[] = {
      {"0 128 128", 0, 128, 128, "0,128,128", true, 0x00808000},
      {"255 0 0", 255, 0, 0, "255,0,0", false, 0x000000FF},
      {nullptr, 1, 2, 3, "1,2,3", false, 0x00030201},  // nothing changes
      {"", 1, 2, 3, "1,2,3", false, 0x00030201},
      {"12 34", 12, 34, 3, "1,2,3", false, 0x00030201},  // ends at the empty third field
      {"0 400 0", 0, 255, 0, "0,255,0", false, 0x0000FF00},
  };
  for (const auto& c : cases) {
    Page page;
    page.machine.registry.MakeKey(HKCU, "Control Panel\\Colors");
    if (c.stored) page.PutText(HKCU, "Control Panel\\Colors", "Background", c.stored);
    page.Prime();
    LoadDesktopColour(page.context);
    const std::string what = c.stored ? c.stored : "(absent)";
    EXPECT_EQ(page.Slider("trbRed"), c.red) << what;
    EXPECT_EQ(page.Slider("trbGreen"), c.green) << what;
    EXPECT_EQ(page.Slider("trbBlue"), c.blue) << what;
    EXPECT_EQ(page.Labels(), c.labels) << what;
    EXPECT_EQ(page.Checked("cbDesktopColorDefault"), c.isDefault) << what;
    EXPECT_EQ(page.Get("trbRed").Enabled(), !c.isDefault) << what;
    EXPECT_EQ(page.Get("btnColorSelect").Enabled(), !c.isDefault) << what;
    EXPECT_EQ(page.Get("panDesktop").Color(), c.panel) << what;
    page.PutText(HKCU, "Control Panel\\Colors", "Background", "x");
    ApplyDesktopColour(page.context);
    EXPECT_EQ(page.Stored(HKCU, "Control Panel\\Colors", "Background")->data,
              std::to_string(c.red) + " " + std::to_string(c.green) + " " +
                  std::to_string(c.blue) + '\0')
        << what;
  }
}

TEST_F(DesktopPage, DefaultBoxAndColourDialog) {
  PutText(HKCU, "Control Panel\\Colors", "Background", "10 20 30");
  LoadDesktopColour(context);
  ui::UserCheck(Get("cbDesktopColorDefault"), true);
  EXPECT_EQ(Labels(), "0,128,128");
  EXPECT_EQ(Get("panDesktop").Color(), 0x00808000u);
  EXPECT_FALSE(Get("trbBlue").Enabled());
  ApplyDesktopColour(context);
  EXPECT_EQ(Stored(HKCU, "Control Panel\\Colors", "Background")->data, std::string("0 128 128") + '\0');

  PutText(HKCU, "Control Panel\\Colors", "Background", "10 20 30");
  ui::UserCheck(Get("cbDesktopColorDefault"), false);  // back to the stored colour
  EXPECT_EQ(Labels(), "10,20,30");
  EXPECT_TRUE(Get("btnColorSelect").Enabled());

  machine.dialogs.colour = 0x00332211;
  ui::UserClick(Get("btnColorSelect"));
  EXPECT_EQ(machine.dialogs.openedWith, 0x001E140Au);
  EXPECT_EQ(Labels(), "17,34,51");
  EXPECT_EQ(Get("panDesktop").Color(), 0x00332211u);
  machine.dialogs.cancel = true;
  ui::UserClick(Get("btnColorSelect"));
  EXPECT_EQ(Labels(), "17,34,51");

  ui::UserSet(Get("trbGreen"), 255);  // the user moves a slider: label and panel follow
  EXPECT_EQ(Labels(), "17,255,51");
  EXPECT_EQ(Get("panDesktop").Color(), 0x0033FF11u);
}

TEST_F(DesktopPage, ScreenSaverInMinutes) {
  machine.parameters.values[spi::GetScreenSaveActive] = 1;
  machine.parameters.values[spi::GetScreenSaveTimeout] = 90;
  LoadDesktopPage(context);
  EXPECT_TRUE(Checked("cbScreenSaverActive"));
  EXPECT_EQ(Get<ui::RangeControl>("seTimeScreenSaverOn").Position(), 1);
  EXPECT_TRUE(Get("seTimeScreenSaverOn").Enabled());
  ui::UserCheck(Get("cbScreenSaverActive"), false);
  EXPECT_FALSE(Get("seTimeScreenSaverOn").Enabled());
  EXPECT_EQ(Get("seTimeScreenSaverOn").Color(), ui::colour::Silver);

  machine.parameters.sets.clear();
  ApplyDesktopPage(context);
  // The timeout was left as it loads (90 s shown as 1 minute): the system keeps its 90 s.
  ASSERT_EQ(machine.parameters.sets.size(), 1u);
  EXPECT_EQ(machine.parameters.sets[0].action, spi::SetScreenSaveActive);
  EXPECT_EQ(machine.parameters.sets[0].param, 0u);
  EXPECT_EQ(machine.parameters.sets[0].flags, spif::UpdateIniFile);

  ui::UserCheck(Get("cbScreenSaverActive"), true);
  ui::UserType(Get("seTimeScreenSaverOn"), "3");
  ApplyDesktopPage(context);
  EXPECT_EQ(machine.parameters.sets.back().action, spi::SetScreenSaveTimeout);
  EXPECT_EQ(machine.parameters.sets.back().param, 180u);
  EXPECT_EQ(machine.parameters.sets.back().flags, spif::UpdateIniFile);
  ui::UserType(Get("seTimeScreenSaverOn"), "abc");  // no number: read as 0
  ApplyDesktopPage(context);
  EXPECT_EQ(machine.parameters.sets.back().param, 0u);
}

TEST_F(DesktopPage, ShowInfoTipAbsentLoadsCheckedAndIsWrittenAsShown) {
  LoadDesktopPage(context);
  EXPECT_TRUE(ItemChecked("clbDesctopSetting", 5));
  ApplyDesktopPage(context);
  EXPECT_EQ(Stored(HKCU, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                   "ShowInfoTip")->data,
            std::string("\1\0\0\0", 4));
}

// Item 1 follows the shell's desktop list view; where there is none, the stored policy. Only a
// changed item writes the policy and shows or hides the desktop.
TEST(DesktopItems, LoadAsTheDesktopShowsAndWriteOnlyWhenChanged) {
  const std::string policy = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\explorer";
  const std::string flag("\1\0\0\0", 4);
  enum Desktop { Visible, Hidden, NoListView };
  const struct {
    const char* what;
    Desktop desktop;
    std::uint32_t type;  // of the stored NoDesktop; regtype::None: absent
    std::string data;
    bool loaded;
  } cases[] = {
      {"shown, no policy", Visible, regtype::None, "", true},
      {"hidden by the policy", Hidden, regtype::Binary, flag, false},
      {"shown, the policy waiting for the shell's next start", Visible, regtype::Binary, flag, true},
      {"no desktop window, no policy", NoListView, regtype::None, "", true},
      {"no desktop window, the policy", NoListView, regtype::Binary, flag, false},
      {"no desktop window, the policy as a REG_DWORD", NoListView, regtype::Dword, flag, false},
      {"no desktop window, the policy 0", NoListView, regtype::Binary, std::string(4, '\0'), true},
  };
  for (const auto& c : cases) {
    for (bool change : {false, true}) {
      rulestest::PageHarness page;
      auto& windows = page.machine.windows;
      if (c.desktop == Hidden) windows.visible[2] = false;
      if (c.desktop == NoListView) windows.listClass = "Static";
      if (c.type != regtype::None) page.machine.registry.Put(HKLM, policy, "NoDesktop", c.type, c.data);
      auto& list = page.Get<ui::ListControl>("clbDesctopSetting");
      list.SetItemChecked(1, !c.loaded);
      LoadDesktopItems(page.context);
      EXPECT_EQ(list.ItemChecked(1), c.loaded) << c.what;
      if (change) ui::UserCheckItem(list, 1, !c.loaded);
      ApplyDesktopItems(page.context);
      const auto* stored = page.Stored(HKLM, policy, "NoDesktop");
      const std::string what = std::string(c.what) + (change ? ", changed" : ", untouched");
      if (!change) {
        EXPECT_TRUE(windows.shows.empty()) << what;
        if (c.type == regtype::None) {
          EXPECT_FALSE(page.machine.registry.KeyExists(HKLM, policy)) << what;
        } else {
          ASSERT_NE(stored, nullptr) << what;
          EXPECT_EQ(stored->type, c.type) << what;
          EXPECT_EQ(stored->data, c.data) << what;
        }
        continue;
      }
      ASSERT_EQ(windows.shows.size(), 1u) << what;
      EXPECT_EQ(windows.shows[0].second, c.loaded ? sw::Hide : sw::Show) << what;
      if (c.loaded) {
        ASSERT_NE(stored, nullptr) << what;
        EXPECT_EQ(stored->type, regtype::Binary) << what;
        EXPECT_EQ(stored->data, flag) << what;
      } else {
        EXPECT_EQ(stored, nullptr) << what;
      }
    }
  }
}

TEST_F(DesktopPage, CacheAndRecycleBinItems) {
  const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\explorer";
  const std::string recycle = "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\ShellFolder";
  const auto expectStored = [&](const std::string& cache, const std::string& attributes) {
    EXPECT_EQ(Stored(HKLM, explorer, "Max Cached Icons")->data, cache + '\0');
    EXPECT_EQ(Stored(HKLM, "Software\\Classes\\" + recycle, "Attributes")->data, attributes);
  };
  PutText(HKLM, explorer, "Max Cached Icons", "2048");
  PutBinary(regroot::ClassesRoot, recycle, "Attributes", 0x20000150);
  LoadDesktopPage(context);
  EXPECT_FALSE(ItemChecked("clbDesctopSetting", 7));
  EXPECT_TRUE(ItemChecked("clbDesctopSetting", 0));
  ApplyDesktopPage(context);  // both as loaded: kept
  expectStored("2048", std::string("\x50\x01\x00\x20", 4));
  ui::UserCheckItem(Get("clbDesctopSetting"), 7, true);
  ui::UserCheckItem(Get("clbDesctopSetting"), 0, false);
  ApplyDesktopPage(context);
  expectStored("1024", std::string("\x40\x01\x00\x20", 4));
}

}  // namespace
}  // namespace vlx
