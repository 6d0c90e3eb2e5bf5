// The Internet Explorer page through the control model: the window title with its default box,
// and the two restriction flags.
#include "pages/internet.h"
#include "unit/rules_page_fixture.h"

namespace vlx {
namespace {

constexpr RegKey HKLM = regroot::LocalMachine;
constexpr RegKey HKCU = regroot::CurrentUser;
const std::string kMain = "SOFTWARE\\Microsoft\\Internet Explorer\\Main";
const std::string kRestrictions = "SOFTWARE\\Policies\\Microsoft\\Internet Explorer\\Restrictions";

class InternetPage : public rulestest::PageTest {
 protected:
  ui::Control& Edit() { return Get("edtInetWindowTitle"); }
  bool HasMainKey() {
    RegKey key = 0;
    if (machine.registry.OpenKey(HKLM, kMain, key) != winerr::Success) return false;
    machine.registry.CloseKey(key);
    return true;
  }
};

TEST_F(InternetPage, MissingKeyGivesTheDefaultTitleAndApplyWritesNone) {
  LoadInternetPage(context);
  EXPECT_EQ(Edit().Text(), kDefaultBrowserTitle);
  EXPECT_FALSE(Edit().Enabled());
  EXPECT_EQ(Edit().Color(), ui::colour::Silver);  // the click handler ran
  EXPECT_TRUE(Checked("cbIETextDefault"));
  ApplyInternetPage(context);
  EXPECT_FALSE(HasMainKey());  // nothing to write: no key made
  EXPECT_EQ(Stored(HKLM, kMain, "Window title"), nullptr);
}

TEST_F(InternetPage, StoredTitleIsShownAndWrittenBackUnchanged) {
  PutText(HKLM, kMain, "Window title", "Мой браузер");
  LoadInternetPage(context);
  EXPECT_EQ(Edit().Text(), "Мой браузер");
  EXPECT_TRUE(Edit().Enabled());
  EXPECT_FALSE(Checked("cbIETextDefault"));
  ApplyInternetPage(context);
  EXPECT_EQ(Stored(HKLM, kMain, "Window title")->data, std::string("Мой браузер") + '\0');
}

TEST_F(InternetPage, EditedTitlesOnApply) {
  struct Case {
    std::string typed;
    bool written;
  };
  const Case cases[] = {
      {"Другой", true},
      {"", false},
      {kDefaultBrowserTitle, false},
      {"microsoft internet explorer", true},  // compared case-sensitively
  };
  for (const auto& c : cases) {
    rulestest::PageHarness page;
    page.PutText(HKLM, kMain, "Window title", "Старый");
    LoadInternetPage(page.context);
    ui::UserType(page.Get("edtInetWindowTitle"), c.typed);
    ApplyInternetPage(page.context);
    const auto* stored = page.Stored(HKLM, kMain, "Window title");
    if (c.written) {
      ASSERT_NE(stored, nullptr) << c.typed;
      EXPECT_EQ(stored->data, c.typed + '\0');
    } else {
      EXPECT_EQ(stored, nullptr) << c.typed;
    }
  }
}

TEST_F(InternetPage, UncheckingTheDefaultBoxLetsTheUserTypeATitle) {
  LoadInternetPage(context);
  ui::UserCheck(Get("cbIETextDefault"), false);
  EXPECT_TRUE(Edit().Enabled());
  EXPECT_EQ(Edit().Color(), ui::colour::Window);
  EXPECT_EQ(Edit().Text(), kDefaultBrowserTitle);
  ui::UserType(Edit(), "Обозреватель");
  ApplyInternetPage(context);
  EXPECT_EQ(Stored(HKLM, kMain, "Window title")->data, std::string("Обозреватель") + '\0');
  ui::UserCheck(Get("cbIETextDefault"), true);
  EXPECT_EQ(Edit().Text(), kDefaultBrowserTitle);
  ApplyInternetPage(context);
  EXPECT_EQ(Stored(HKLM, kMain, "Window title"), nullptr);
}

TEST_F(InternetPage, ContextMenuFlagLoadsAndClears) {
  PutBinary(HKCU, kRestrictions, "NoBrowserContextMenu", 1);
  LoadInternetPage(context);
  EXPECT_FALSE(Checked("cbContextMenuIE"));
  EXPECT_TRUE(Checked("cbInternetExplorer1"));
  ui::UserCheck(Get("cbContextMenuIE"), true);
  ui::UserCheck(Get("cbInternetExplorer1"), false);
  ApplyInternetPage(context);
  EXPECT_EQ(Stored(HKCU, kRestrictions, "NoBrowserContextMenu"), nullptr);
  EXPECT_EQ(Stored(HKCU,
                   "SOFTWARE\\Policies\\Microsoft\\Internet Explorer\\Infodelivery\\Restrictions",
                   "NoBrowserSaveWebComplete")->data,
            std::string("\1\0\0\0", 4));
}

}  // namespace
}  // namespace vlx
