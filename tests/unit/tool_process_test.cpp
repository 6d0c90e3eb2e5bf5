#include <gtest/gtest.h>

#include "tool_page_fixture.h"
#include "tools/process.h"

namespace vlx {
namespace {

class ProcessPage : public ::testing::Test, public testing::ToolPageFixture {
 protected:
  ProcessPage() {
    processes.table = {
        {0xFFFE44F9u, 9, 8, "C:\\WINDOWS\\EXPLORER.EXE"},
        {0x2A0, 1, 24, "C:\\WINDOWS\\SYSTEM\\RT.EXE"},
        {0x10, 2, 7, "C:\\WINDOWS\\EXPLORER.EXE"},  // a second copy
        {0x11, 1, 8, "C:\\TOOLS\\EXPLORER.EXE"},
    };
    library.withIcons = {"C:\\WINDOWS\\EXPLORER.EXE"};
    windows.windows = {
        {0x4A0, 0x10, "zeta", true},
        {0x4A2, 0xFFFE44F9u, "", true},    // no title: not listed
        {0x4A4, 0x99, "Alpha", false},     // its process is not in the list
        {0x4A6, 0x11, "alpha", false},
        {0xFFFF8A20u, 0x2A0, "Beta", false},
    };
  }
  ui::ListView& Processes() { return Main<ui::ListView>("lvProcess"); }
  ui::ListView& Windows() { return Main<ui::ListView>("lvWindows"); }
  std::string Status() { return Main("lbMessages").Text(); }
  std::vector<std::string> Row(ui::ListView& list, int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < static_cast<int>(list.Columns().size()); ++c)
      cells.push_back(list.CellText(row, c));
    return cells;
  }
};

TEST_F(ProcessPage, ProcessRowsFollowTheSnapshot) {
  LoadProcessList(ctx);
  ASSERT_EQ(Processes().Count(), 4);
  EXPECT_EQ(Row(Processes(), 0), (std::vector<std::string>{"EXPLORER.EXE", "$FFFE44F9", "8 (Norm)",
                                                           "9", "C:\\WINDOWS\\EXPLORER.EXE"}));
  EXPECT_EQ(Row(Processes(), 1)[2], "24 (Real)");
  EXPECT_EQ(Row(Processes(), 2)[2], "7");
  EXPECT_EQ(Processes().Item(0).icon.origin, "C:\\WINDOWS\\EXPLORER.EXE,0");
  EXPECT_EQ(Processes().Item(1).icon.origin, "IDI_WINLOGO");  // no icon of its own

  processes.snapshotFails = true;
  Main("lbMessages").SetText("");
  LoadProcessList(ctx);
  EXPECT_EQ(Status(), "Внутренняя ошибка !");
  EXPECT_EQ(Processes().Count(), 4);  // the old rows stay
}

TEST_F(ProcessPage, WindowRowsAreTitledSortedAndNamedAfterTheirProcess) {
  LoadProcessList(ctx);
  LoadWindowList(ctx);
  ASSERT_EQ(Windows().Count(), 4);
  // lstrcmp: a lower-case letter before its capital.
  EXPECT_EQ(Row(Windows(), 0), (std::vector<std::string>{"alpha", "1190", "$11", "EXPLORER.EXE"}));
  EXPECT_EQ(Row(Windows(), 1), (std::vector<std::string>{"Alpha", "1188", "$99", ""}));
  EXPECT_EQ(Row(Windows(), 2), (std::vector<std::string>{"Beta", "-30176", "$2A0", "RT.EXE"}));
  EXPECT_EQ(Row(Windows(), 3)[0], "zeta");
  EXPECT_EQ(Windows().Item(3).icon.origin, "class zeta");
  EXPECT_TRUE(Windows().Item(0).icon.Empty());

  // Owner names come from the process rows as they stand.
  processes.table.clear();
  LoadWindowList(ctx);
  EXPECT_EQ(Row(Windows(), 2)[3], "RT.EXE");
}

TEST_F(ProcessPage, KillReportsAndReloadsBothLists) {
  LoadProcessList(ctx);
  LoadWindowList(ctx);
  ui::UserClick(Main("nKillProcess"));
  EXPECT_EQ(Status(), "Выберите процесс для завершения...");
  EXPECT_TRUE(processes.log.empty());

  ui::UserSelect(Processes(), 1);
  ui::UserClick(Main("nKillProcess"));
  EXPECT_EQ(processes.log, std::vector<std::string>{"terminate 672 0"});
  EXPECT_EQ(Status(), "Процесс успешно завершен !");
  EXPECT_EQ(clock.slept, std::vector<std::uint32_t>{500});
  EXPECT_EQ(Processes().Count(), 3);
  EXPECT_EQ(Row(Windows(), 2)[3], "");  // "Beta" lost its owner's name

  processes.refuseTerminate = true;
  ui::UserSelect(Processes(), 0);
  ui::UserClick(Main("nKillProcess"));
  EXPECT_EQ(processes.log.back(), "terminate 4294853881 0");  // the top bit read back
  EXPECT_EQ(Status(), "Невозможно завершить процесс: \"EXPLORER.EXE\" !");
}

TEST_F(ProcessPage, CloseRequestsAndAlwaysReportsSuccess) {
  LoadProcessList(ctx);
  LoadWindowList(ctx);
  ui::UserClick(Main("nCloseWindows"));
  EXPECT_EQ(Status(), "Выберите окно для закрытия...");
  EXPECT_TRUE(windows.posted.empty());

  ui::UserSelect(Main<ui::TabControl>("tbSelectProcess"), 1);
  ui::UserSelect(Windows(), 2);  // "Beta", a handle with the top bit of its low half set
  windows.windows.pop_back();    // the window is gone before the request arrives
  ui::UserClick(Main("nCloseWindows"));
  ASSERT_EQ(windows.posted.size(), 1u);
  EXPECT_EQ(windows.posted[0].first, WindowHandle(0xFFFFFFFFFFFF8A20ull));
  EXPECT_EQ(windows.posted[0].second, wm::Close);
  EXPECT_EQ(Status(), "Окно успешно закрыто !");
  EXPECT_EQ(Windows().Count(), 3);
}

TEST_F(ProcessPage, TabSetSwitchesTheShownListWithoutReloading) {
  auto& tabs = Main<ui::TabControl>("tbSelectProcess");
  EXPECT_EQ(tabs.ActiveIndex(), 0);
  EXPECT_TRUE(Processes().Visible());
  EXPECT_FALSE(Windows().Visible());
  ui::UserSelect(tabs, 1);
  EXPECT_FALSE(Processes().Visible());
  EXPECT_TRUE(Windows().Visible());
  EXPECT_EQ(Status(), "Выберите окно для закрытия...");
  EXPECT_EQ(Processes().Count(), 0);
  ui::UserSelect(tabs, 0);
  EXPECT_EQ(Status(), "Выберите процесс для завершения...");
}

}  // namespace
}  // namespace vlx
