#include <gtest/gtest.h>

#include "app/cycles.h"
#include "store/store_error.h"
#include "tool_screendeath_fixture.h"
#include "tools/screendeath.h"
#include "ui/user_action.h"

namespace vlx {
namespace {

constexpr std::uint32_t kBlue = 0xFF0000, kWhite = 0xFFFFFF, kRed = 0x0000FF;
const std::string kIni = "WINDOWS/system.ini";

class DeathScreenPage : public ::testing::Test {
 protected:
  ui::CheckBox& UseDefault() { return m.Get<ui::CheckBox>("cbScrDeathDefault"); }
  ui::ComboBox& Back() { return m.Get<ui::ComboBox>("cbBackgraundColor"); }
  ui::ComboBox& Text() { return m.Get<ui::ComboBox>("cbTextColor"); }
  std::uint32_t PanelColour() { return m.Get("pDeathScreen").Color(); }
  std::uint32_t TextColour() { return m.Get("lbDeathScreenText").EffectiveFont().color; }

  pagetest::PageMachine m;
};

// What is stored, what the page shows, and what Apply leaves in the file.
TEST_F(DeathScreenPage, StoredColoursLoadAndApplyBack) {
  struct Case {
    const char* stored;  // system.ini, nullptr: no file
    bool useDefault;
    int back, text;
    std::uint32_t panel, label;
    const char* afterApply;  // nullptr: still no file
  } cases[] = {
      {"[386Enh]\r\nMessageBackColor=0\r\nMessageTextColor=0\r\n", true, 1, 7, kBlue, kWhite,
       "[386Enh]\r\nMessageBackColor=0\r\nMessageTextColor=0\r\n"},
      {nullptr, true, 1, 7, kBlue, kWhite, nullptr},
      {"[386Enh]\r\nMessageBackColor=4\r\n", false, 4, -1, kRed, kWhite,
       "[386Enh]\r\nMessageBackColor=4\r\n"},
      {"[386Enh]\r\nMessageBackColor=0x0F\r\nMessageTextColor=2\r\n", false, -1, 2, kBlue,
       0x008000, "[386Enh]\r\nMessageBackColor=0x0F\r\nMessageTextColor=2\r\n"},
      {"[386Enh]\r\nMessageBackColor=15\r\nMessageTextColor=$6\r\n", false, -1, 6, kBlue,
       0x7380A4, "[386Enh]\r\nMessageBackColor=15\r\nMessageTextColor=6\r\n"},
      // An absent key keeps the box without a selection, and Apply writes nothing for it.
      {"[boot]\r\nshell=Explorer.exe\r\n[386Enh]\r\nMessageTextColor=8\r\n", false, -1, 8,
       kBlue, 0x808080, "[boot]\r\nshell=Explorer.exe\r\n[386Enh]\r\nMessageTextColor=8\r\n"},
  };
  for (const auto& c : cases) {
    pagetest::PageMachine fresh;
    if (c.stored) fresh.Write(kIni, c.stored);
    LoadDeathScreenPage(fresh.ctx);
    const std::string what = c.stored ? c.stored : "(no system.ini)";
    auto& back = fresh.Get<ui::ComboBox>("cbBackgraundColor");
    auto& text = fresh.Get<ui::ComboBox>("cbTextColor");
    EXPECT_EQ(fresh.Get<ui::CheckBox>("cbScrDeathDefault").Checked(), c.useDefault) << what;
    EXPECT_EQ(back.ItemIndex(), c.back) << what;
    EXPECT_EQ(text.ItemIndex(), c.text) << what;
    EXPECT_EQ(back.Enabled(), !c.useDefault) << what;
    EXPECT_EQ(text.Enabled(), !c.useDefault) << what;
    EXPECT_EQ(fresh.Get("pDeathScreen").Color(), c.panel) << what;
    EXPECT_EQ(fresh.Get("lbDeathScreenText").EffectiveFont().color, c.label) << what;

    ApplyDeathScreenPage(fresh.ctx);
    if (c.afterApply) {
      EXPECT_EQ(fresh.Read(kIni), c.afterApply) << what;
    } else {
      EXPECT_FALSE(std::filesystem::exists(fresh.Host(kIni))) << what;
    }
  }
}

TEST_F(DeathScreenPage, DefaultBoxGreysTheBoxesAndRestoreRemovesNonZeroKeys) {
  m.Write(kIni, "[386Enh]\r\nMessageBackColor=4\r\nMessageTextColor=0\r\nOther=1\r\n");
  LoadDeathScreenPage(m.ctx);
  ASSERT_FALSE(UseDefault().Checked());
  EXPECT_EQ(Back().Color(), ui::colour::Window);

  ui::UserClick(UseDefault());
  EXPECT_EQ(Back().ItemIndex(), 1);
  EXPECT_EQ(Text().ItemIndex(), 7);
  EXPECT_EQ(Back().Color(), ui::colour::Silver);
  EXPECT_FALSE(Text().Enabled());
  EXPECT_EQ(PanelColour(), kBlue);
  EXPECT_EQ(TextColour(), kWhite);

  ApplyDeathScreenPage(m.ctx);
  EXPECT_EQ(m.Read(kIni), "[386Enh]\r\nMessageTextColor=0\r\nOther=1\r\n") << "a key of 0 stays";

  // Unchecked again: the boxes come back with the window colour and what is stored.
  ui::UserClick(UseDefault());
  EXPECT_TRUE(Back().Enabled());
  EXPECT_EQ(Back().Color(), ui::colour::Window);
  EXPECT_EQ(Back().ItemIndex(), 1) << "nothing stored: blue and white";
  EXPECT_EQ(Text().ItemIndex(), 7);
  ApplyDeathScreenPage(m.ctx);
  EXPECT_EQ(m.Read(kIni),
            "[386Enh]\r\nMessageTextColor=7\r\nOther=1\r\nMessageBackColor=1\r\n");
}

TEST_F(DeathScreenPage, RestoreRemovesAKeyThatHoldsNoNumber) {
  m.Write(kIni, "[386Enh]\r\nMessageBackColor=F\r\nMessageTextColor=3\r\n");
  LoadDeathScreenPage(m.ctx);
  ui::UserCheck(UseDefault(), true);
  ApplyDeathScreenPage(m.ctx);
  EXPECT_EQ(m.Read(kIni), "[386Enh]\r\n");
}

TEST_F(DeathScreenPage, UserSelectionMovesThePreviewOnly) {
  m.Write(kIni, "[386Enh]\r\nMessageBackColor=2\r\nMessageTextColor=3\r\n");
  LoadDeathScreenPage(m.ctx);
  ui::UserSelect(Back(), 4);
  ui::UserSelect(Text(), 0);
  EXPECT_EQ(PanelColour(), kRed);
  EXPECT_EQ(TextColour(), 0x000000u);
  EXPECT_EQ(m.Read(kIni), "[386Enh]\r\nMessageBackColor=2\r\nMessageTextColor=3\r\n");
  ApplyDeathScreenPage(m.ctx);
  EXPECT_EQ(m.Read(kIni), "[386Enh]\r\nMessageBackColor=4\r\nMessageTextColor=0\r\n");
}

TEST_F(DeathScreenPage, EveryUseLeavesSystemIniWithArchiveAlone) {
  m.Write(kIni, "[386Enh]\r\nMessageBackColor=4\r\nMessageTextColor=7\r\n");
  const std::uint32_t locked = fileattr::ReadOnly | fileattr::Hidden | fileattr::System;
  ASSERT_TRUE(prefix::WriteDosAttributes(m.Host(kIni), locked));
  LoadDeathScreenPage(m.ctx);
  EXPECT_EQ(m.Attributes(kIni), fileattr::Archive);

  ASSERT_TRUE(prefix::WriteDosAttributes(m.Host(kIni), locked));
  ui::UserSelect(Back(), 8);
  ApplyDeathScreenPage(m.ctx);
  EXPECT_EQ(m.Attributes(kIni), fileattr::Archive);
  EXPECT_EQ(m.Read(kIni), "[386Enh]\r\nMessageBackColor=8\r\nMessageTextColor=7\r\n");
}

// A profile that refuses every write, as on a read-only medium.
struct RefusingProfile : Profile {
  explicit RefusingProfile(Profile& inner) : inner(inner) {}
  std::uint32_t GetString(const char* s, const char* k, const char* d, std::string& r,
                          std::uint32_t n, const std::string& f) override {
    return inner.GetString(s, k, d, r, n, f);
  }
  bool WriteString(const char*, const char*, const char*, const char*) override { return false; }
  Profile& inner;
};

TEST_F(DeathScreenPage, AFailedWriteEndsApplyAllAndLeavesTheAttributesCleared) {
  m.Write(kIni, "[386Enh]\r\nMessageBackColor=4\r\n");
  ASSERT_TRUE(prefix::WriteDosAttributes(m.Host(kIni), fileattr::ReadOnly));
  LoadDeathScreenPage(m.ctx);
  ASSERT_TRUE(prefix::WriteDosAttributes(m.Host(kIni), fileattr::ReadOnly));
  RefusingProfile refusing(m.profile);
  m.platform.profile = &refusing;
  bool later = false;
  m.ctx.applyAll = {{"ApplyDeathScreenPage", [](Context& ctx) { ApplyDeathScreenPage(ctx); }},
                    {"later", [&](Context&) { later = true; }}};
  try {
    ApplyAllPages(m.ctx);
    ADD_FAILURE() << "the write error must leave apply-all";
  } catch (const StoreError& error) {
    EXPECT_STREQ(error.what(), "Unable to write to C:\\WINDOWS\\system.ini");
  }
  EXPECT_FALSE(later);
  EXPECT_EQ(m.Attributes(kIni) & fileattr::ReadOnly, 0u);
}

TEST(DeathScreenColours, ItemsAndTheirSwatches) {
  pagetest::PageMachine m;
  const auto& items = m.Get<ui::ComboBox>("cbTextColor").Items();
  ASSERT_EQ(items.size(), 9u);
  EXPECT_EQ(items[0].text, "Ченый");
  EXPECT_EQ(items[6].text, "Коричневый");
  EXPECT_EQ(screendeath::ColourOf(6), 0x7380A4u);  // 164, 128, 115
  EXPECT_TRUE(m.Get<ui::ComboBox>("cbBackgraundColor").OwnerDraw());

  const auto drawing = screendeath::DrawColourItem(3, "Бирюзовый", {5, 26, 120, 13});
  EXPECT_EQ(drawing.fill, (ui::Rect{5, 26, 120, 13}));
  EXPECT_EQ(drawing.textX, 30);
  EXPECT_EQ(drawing.textY, 26);
  EXPECT_EQ(drawing.swatchLeft, 7);
  EXPECT_EQ(drawing.swatchTop, 28);
  EXPECT_EQ(drawing.swatchRight, 24) << "a fixed right edge, not an offset from left";
  EXPECT_EQ(drawing.swatchBottom, 41);
  EXPECT_EQ(drawing.swatchColour, 0x808000u);
}

}  // namespace
}  // namespace vlx
