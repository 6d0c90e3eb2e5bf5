#include <gtest/gtest.h>

#include "tools/process.h"

namespace vlx {
namespace {

using namespace process;

TEST(ProcessRows, IdentifiersPrioritiesAndNamesAsTheListShowsThem) {
  struct IdCase {
    std::uint32_t id;
    const char* text;
  } ids[] = {{0, "$0"}, {0x1A, "$1A"}, {0xFFFE44F9u, "$FFFE44F9"}, {0x80000000u, "$80000000"}};
  for (const auto& c : ids) {
    EXPECT_EQ(FormatProcessId(c.id), c.text);
    EXPECT_EQ(ParseProcessId(c.text), c.id) << c.text;  // the top bit survives the round trip
  }
  for (const char* bad : {"", "$", "1A", "$1G", "$100000000", "$-1"})
    EXPECT_EQ(ParseProcessId(bad), std::nullopt) << bad;

  struct PriorityCase {
    std::int32_t base;
    const char* text;
  } priorities[] = {{4, "4 (Idle)"}, {8, "8 (Norm)"}, {13, "13 (High)"}, {24, "24 (Real)"},
                    {7, "7"},        {10, "10"},      {0, "0"}};
  for (const auto& c : priorities) EXPECT_EQ(PriorityText(c.base), c.text);

  EXPECT_EQ(ModuleName("C:\\WINDOWS\\EXPLORER.EXE"), "EXPLORER.EXE");
  EXPECT_EQ(ModuleName("C:KRNL386.EXE"), "KRNL386.EXE");
  EXPECT_EQ(ModuleName("SYSTEM"), "SYSTEM");
  EXPECT_EQ(ModuleName("C:\\DIR\\"), "");
}

TEST(ProcessRows, WindowHandlesAreSignedDecimalsReadBackSignExtended) {
  EXPECT_EQ(FormatWindowHandle(0x4A6), "1190");
  EXPECT_EQ(FormatWindowHandle(0xFFFFFFFFFFFF8A20ull), "-30176");
  EXPECT_EQ(ParseWindowHandle("-30176"), WindowHandle(0xFFFFFFFFFFFF8A20ull));
  EXPECT_EQ(ParseWindowHandle("1190"), WindowHandle(0x4A6));
  for (const char* bad : {"", "12a", "$4A6", "99999999999"})
    EXPECT_EQ(ParseWindowHandle(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace vlx

#include "tool_page_fixture.h"

namespace vlx {
namespace {

TEST(ToolPages, ControlsCarryTheirHelpNumbers) {
  testing::ToolPageFixture f;
  struct Case {
    const char* control;
    int topic;
  } cases[] = {{"lstProgramms", 29},        {"lvProcess", 30},           {"lvWindows", 30},
               {"btnBrowseSourceFile", 58}, {"btnBrowseDestinationFile", 59},
               {"edtSourceFile", 60},       {"edtDestinationFile", 61},  {"rbDeleteSourceFile", 62},
               {"rbReplaceFile", 63},       {"cbBackUpFile", 64},        {"btnReplaceFile", 65},
               {"btnKillFile", 66},         {"tbSelectProcess", 75}};
  for (const auto& c : cases)
    EXPECT_EQ(ui::Form::HelpContextFor(f.ctx.frmMain.Get(c.control)), c.topic) << c.control;
}

}  // namespace
}  // namespace vlx
