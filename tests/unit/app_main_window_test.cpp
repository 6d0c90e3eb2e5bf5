#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/cycles.h"
#include "app/error_box.h"
#include "app/help_button.h"
#include "app/main_window.h"
#include "app/page_switch.h"
#include "store/store_error.h"
#include "ui/user_action.h"
#include "unit/app_fakes.h"

namespace vlx {
namespace {

// Whole text files by path, as the Service page's boot batch file needs.
struct MemoryTextFiles : TextFiles {
  bool ReadWholeFile(const std::string& path, std::string& bytes) override {
    const auto found = files.find(path);
    if (found == files.end()) return false;
    bytes = found->second;
    return true;
  }
  bool ReplaceWholeFile(const std::string& path, std::string_view bytes) override {
    files[path] = bytes;
    return true;
  }
  std::map<std::string, std::string> files;
};

// The main window's machine with the boot drive's Autoexec.bat.
struct FakeMachine : apptest::FakeMachine {
  FakeMachine() {
    files.existing.insert("C:\\Autoexec.bat");
    text.files["C:\\Autoexec.bat"] = "@ECHO OFF\r\n";
    platform.textFiles = &text;
  }
  MemoryTextFiles text;
};
using apptest::Log;

const std::string kBroadcast = "broadcast 26 0 0";  // WM_WININICHANGE, 0, 0

// Every step of a sequence records its name in the log before it runs; `failAt` raises there.
void Record(Sequence& steps, Log& log, const std::string& failAt = "") {
  for (Step& step : steps) {
    auto original = step.run;
    step.run = [&log, original, name = step.name, failAt](Context& ctx) {
      log.push_back(name);
      if (name == failAt) throw StoreError::UnableToWrite("C:\\Autoexec.bat");
      original(ctx);
    };
  }
}

// The log without the image library's loads, which the built pages' load steps add.
Log WithoutLoads(const Log& log) {
  Log kept;
  for (const auto& entry : log)
    if (entry.rfind("load ", 0) != 0) kept.push_back(entry);
  return kept;
}

class MainWindowTest : public ::testing::Test {
 protected:
  // Start-up and show, with both sequences recorded; the log then holds what follows.
  void Start(const std::string& failAt = "") {
    ASSERT_TRUE(StartProgram(ctx));
    Record(ctx.loadAll, machine.log);
    Record(ctx.applyAll, machine.log, failAt);
    ShowMainWindow(ctx);
    machine.log.clear();
  }
  // What a person's click does through the window's event dispatch.
  void Click(const std::string& name) {
    RunEvent(ctx, [&] { ui::UserClick(ctx.Get(name)); });
  }
  Log Steps(const Sequence& sequence) {
    Log names;
    for (const Step& step : sequence) names.push_back(step.name);
    return names;
  }

  FakeMachine machine;
  Context ctx{machine.platform, apptest::kProgramDir};
};

TEST_F(MainWindowTest, SequencesRunInTheirFixedOrders) {
  EXPECT_EQ(
      Steps(LoadAllSteps()),
      (Log{"LoadRepairSelector", "LoadExplorerPage", "SetFaultLogCaption", "LoadControlPanelPage",
           "LoadDeathScreenPage", "LoadStartMenuPage", "LoadDesktopPage",
           "ShowScreenSaverTimeState", "LoadInternetPage", "LoadGeneralPage", "LoadServicePage",
           "LoadFolderProtection", "SetAutoClearCaption", "LoadTempAutoClear", "LoadDesktopColour",
           "CheckEdits", "DrawColourCursor", "ShowCopyStatusHint", "ClearIconRefreshPending"}));
  const Log applyOrder{"ApplyStartMenuPage", "ApplyDesktopPage",     "ApplyControlPanelPage",
                       "ApplyExplorerPage",  "ApplyGeneralPage",     "ApplyInternetPage",
                       "ApplyServicePage",   "ApplyDeathScreenPage", "ApplyFolderProtection",
                       "ApplyTempAutoClear", "ApplyDesktopColour",   "BroadcastSettingsChange"};

  // Showing the window runs load-all, then the library checks (both present: no message).
  ASSERT_TRUE(StartProgram(ctx));
  Record(ctx.loadAll, machine.log);
  Record(ctx.applyAll, machine.log);
  machine.log.clear();
  ShowMainWindow(ctx);
  EXPECT_EQ(WithoutLoads(machine.log), Steps(LoadAllSteps()));
  machine.log.clear();

  // Apply: every write, then one broadcast; no icon refresh while the flag is clear.
  Click("btnSave");
  Log expected = applyOrder;
  expected.push_back(kBroadcast);
  EXPECT_EQ(machine.log, expected);
  machine.log.clear();

  // The flag set since the last apply: the icon refresh runs after the broadcast, once.
  ctx.state.iconRefreshPending = true;
  Click("btnSave");
  expected.push_back("RefreshShellIcons");
  EXPECT_EQ(machine.log, expected);
  EXPECT_FALSE(ctx.state.iconRefreshPending);
  machine.log.clear();
  Click("btnSave");
  EXPECT_EQ(std::count(machine.log.begin(), machine.log.end(), "RefreshShellIcons"), 0);
  EXPECT_EQ(std::count(machine.log.begin(), machine.log.end(), kBroadcast), 1);
}

TEST_F(MainWindowTest, TheFileKillerCursorComesFromTheRunningFileEvenRenamed) {
  ctx.state.moduleFile = std::string(apptest::kProgramDir) + "tuner.exe";
  ASSERT_TRUE(StartProgram(ctx));
  const std::string origin = ctx.state.moduleFile + ",PROPERTY";
  EXPECT_EQ(ctx.state.cursorSlot10.origin, origin);
  EXPECT_EQ(ctx.Get<ui::Image>("ImgSource").cursor.origin, origin);
  EXPECT_EQ(ctx.Get<ui::Image>("ImgDestination").cursor.origin, origin);
}

TEST_F(MainWindowTest, LoadAllClearsTheIconFlagItsRadioButtonsSet) {
  ASSERT_TRUE(StartProgram(ctx));
  ctx.loadAll.insert(ctx.loadAll.begin() + 10,
                     {"SelectArrow", [](Context& c) { c.state.iconRefreshPending = true; }});
  ShowMainWindow(ctx);
  EXPECT_FALSE(ctx.state.iconRefreshPending);
}

TEST_F(MainWindowTest, AnErrorEscapingApplyShowsTheBoxAndSkipsTheRest) {
  Start("ApplyTempAutoClear");
  ctx.state.iconRefreshPending = true;
  Click("btnSaveAndClose");
  const Log expected{"ApplyStartMenuPage",
                     "ApplyDesktopPage",
                     "ApplyControlPanelPage",
                     "ApplyExplorerPage",
                     "ApplyGeneralPage",
                     "ApplyInternetPage",
                     "ApplyServicePage",
                     "ApplyDeathScreenPage",
                     "ApplyFolderProtection",
                     "ApplyTempAutoClear",
                     "message Volnerix | Unable to write to C:\\Autoexec.bat. | 16"};
  EXPECT_EQ(machine.log, expected);
  EXPECT_TRUE(ctx.state.iconRefreshPending) << "the flag reset comes after the apply";
  EXPECT_FALSE(MainWindowClosed(ctx)) << "OK closes only after a whole apply";
}

TEST_F(MainWindowTest, CancelClosesWithoutApplying) {
  Start();
  Click("btnSave");
  machine.log.clear();
  Click("btnClose");
  EXPECT_TRUE(machine.log.empty());
  EXPECT_TRUE(MainWindowClosed(ctx));
}

TEST(ErrorBox, FullStopOnlyAfterACharacterAboveTheFullStop) {
  struct Case {
    std::string message, shown;
  } cases[] = {
      {"Cannot open file C:\\Autoexec.bat", "Cannot open file C:\\Autoexec.bat."},
      {"Invalid data type for 'NoRun'", "Invalid data type for 'NoRun'"},
      {"'x' is not a valid integer value", "'x' is not a valid integer value."},
      {"Done.", "Done."},
      {"Code 5", "Code 5."},
      {"(C:)", "(C:)"},
      {"path/", "path/."},
      {"Ошибка записи", "Ошибка записи."},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}

TEST(LibraryChecks, BothMissingVlximgFirstThenTheOtherThenTheEnd) {
  const std::string vlximg =
      "message Volnerix | Файл \"vlximg.dll\" не найден в каталоге с программой !\r\r"
      "Работа программы будет прервана без согласия пользователя.\r"
      "Для устранения неполадки переустановите \"Volnerix\"\r"
      "или достаньте из дистрибутива файл \"vlximg.dll\" и поместите в\r"
      "каталог с программой. | 8256";  // MB_OK | MB_ICONINFORMATION | MB_TASKMODAL
  std::string vxeject = vlximg;
  for (auto at = vxeject.find("vlximg"); at != std::string::npos; at = vxeject.find("vlximg")) {
    vxeject.replace(at, 6, "vxeject");
  }

  struct Case {
    std::vector<std::string> present;
    Log messages;
    bool closed;
  } cases[] = {
      {{}, {vlximg, vxeject}, true},
      {{"vxeject.dll"}, {vlximg}, true},
      {{"vlximg.dll"}, {vxeject}, true},
      {{"vlximg.dll", "vxeject.dll"}, {}, false},
  };
  for (const auto& c : cases) {
    FakeMachine machine;
    machine.files.existing.clear();
    for (const auto& file : c.present) machine.files.existing.insert(apptest::kProgramDir + file);
    Context ctx{machine.platform, apptest::kProgramDir};
    ASSERT_TRUE(StartProgram(ctx));
    ctx.loadAll.push_back({"loaded", [&](Context&) { machine.log.push_back("loaded"); }});
    machine.log.clear();
    ShowMainWindow(ctx);
    Log expected{"loaded"};  // load-all has run before the checks
    expected.insert(expected.end(), c.messages.begin(), c.messages.end());
    EXPECT_EQ(WithoutLoads(machine.log), expected);
    EXPECT_EQ(MainWindowClosed(ctx), c.closed);

    machine.log.clear();
    FormActivate(ctx);  // activation runs its checks once
    EXPECT_TRUE(machine.log.empty());
  }
}

TEST(SingleInstance, SecondCopySendsTheInstanceMessageAndBuildsNothing) {
  FakeMachine machine;
  machine.desktop.anotherCopy = true;
  Context ctx{machine.platform, apptest::kProgramDir};
  EXPECT_FALSE(StartProgram(ctx));
  EXPECT_EQ(machine.log, (Log{"mutex VolnerixByKorvaneSoftware",
                              "register VolnerixByKorvaneSoftware", "broadcast 49443 0 0"}));
  EXPECT_TRUE(ctx.frmMain.Controls().empty());

  // The running copy restores itself on that message and on no other.
  FakeMachine first;
  Context running{first.platform, apptest::kProgramDir};
  ASSERT_TRUE(StartProgram(running));
  first.log.clear();
  EXPECT_FALSE(HandleInstanceMessage(running, 0x1A));
  EXPECT_TRUE(HandleInstanceMessage(running, 0xC123));
  EXPECT_EQ(first.log, Log{"restore"});
}

TEST_F(MainWindowTest, MainFormAsDescribed) {
  Start();
  const ui::Form& form = ctx.frmMain;
  EXPECT_EQ(form.Text(), "Volnerix");
  EXPECT_EQ(form.ClientWidth(), 361);
  EXPECT_EQ(form.ClientHeight(), 472);
  EXPECT_EQ(form.EffectiveFont().name, "Tahoma");

  auto& tabs = ctx.Get<ui::TabControl>("pgSelectedPage");
  const Log captions{
      "Установка/Удаление", "Процесс",      "\"Экран смерти\"", "Меню \"Пуск\"", "Рабочий стол",
      "Панель управления",  "Пользователь", "Ремонт",           "Общие",         "Проводник",
      "Internet Explorer",  "Сервис",       "О программе...",   "File Killer",   "Цвет",
      "Информация",         "Значки"};
  ASSERT_EQ(tabs.TabCount(), 17);
  for (int i = 0; i < 17; ++i) {
    EXPECT_EQ(tabs.TabCaption(i), captions[static_cast<std::size_t>(i)]);
    EXPECT_EQ(tabs.Sheets()[static_cast<std::size_t>(i)]->Name(),
              "TabSheet" + std::to_string(i + 1));
  }
  EXPECT_EQ(tabs.ActivePage()->Name(), "TabSheet9");

  // Left to right OK, Отмена, Применить; tab order Применить, Отмена, OK.
  const ui::Control& ok = ctx.Get("btnSaveAndClose");
  const ui::Control& cancel = ctx.Get("btnClose");
  const ui::Control& apply = ctx.Get("btnSave");
  EXPECT_EQ(ok.Bounds(), (ui::Rect{120, 440, 75, 25}));
  EXPECT_EQ(cancel.Bounds(), (ui::Rect{199, 440, 75, 25}));
  EXPECT_EQ(apply.Bounds(), (ui::Rect{278, 440, 75, 25}));
  EXPECT_LT(apply.TabOrder(), cancel.TabOrder());
  EXPECT_LT(cancel.TabOrder(), ok.TabOrder());
  // Enter presses OK, Escape Отмена; no other button of the window stands for either key.
  for (const ui::Control* control : ctx.frmMain.Controls())
    if (const auto* button = dynamic_cast<const ui::Button*>(control)) {
      EXPECT_EQ(button->isDefault, control == &ok) << control->Name();
      EXPECT_EQ(button->cancel, control == &cancel) << control->Name();
    }

  EXPECT_EQ(ctx.Get("lbCaptionProgramm").Text(), "Volnerix v1.2");
  EXPECT_TRUE(ctx.Get("lbCaptionProgramm").EffectiveFont().bold);
  EXPECT_EQ(ctx.Get("lbCaptionProgramm").EffectiveFont().height, 15);
  EXPECT_EQ(ctx.Get("lbDescriptionProgramm").Text(), "\"Тонкая\" настройка системы...");
  EXPECT_EQ(ctx.Get("ImgAbout").Parent()->Name(), "TabSheet13");
}

TEST_F(MainWindowTest, PageSwitchesRunTheirWorkEachTime) {
  Start();
  auto& tabs = ctx.Get("pgSelectedPage");
  const std::string library = std::string(apptest::kProgramDir) + "vlximg.dll";
  ui::UserSelect(tabs, 12);  // "О программе..."
  EXPECT_EQ(machine.log, Log{"load " + library + ",BACKGROUND"});
  EXPECT_EQ(ctx.Get<ui::Image>("ImgAbout").GetPicture().origin, library + ",BACKGROUND");
  ui::UserSelect(tabs, 8);  // "Общие": no work
  ui::UserSelect(tabs, 12);
  EXPECT_EQ(machine.log.size(), 2u) << "the picture is loaded again on each switch";
}

TEST_F(MainWindowTest, ContextHelpTakesTheNearestNumber) {
  Start();
  ctx.frmMain.Add({.kind = ui::Kind::Label, .name = "lbPlain", .parent = "TabSheet13"});
  EXPECT_EQ(ShowContextHelp(ctx, ctx.Get("lbPlain"), 10, 20), 75);
  EXPECT_EQ(ShowContextHelp(ctx, ctx.Get("btnSave"), 30, 40), 0);
  EXPECT_EQ(machine.log, Log{"help " + std::string(apptest::kProgramDir) + "volnrx.hlp 75 10,20"});
}

TEST(HelpButton, RectangleLeftOfMinimiseAndItsMouseRules) {
  HelpButtonState button;
  PlaceHelpButton(button, 367, {.cxFrame = 3, .cyFrame = 3, .cxSize = 18, .cySize = 18});
  EXPECT_EQ(button.left, 367 - 3 - 72 + 2);
  EXPECT_EQ(button.top, 4);
  EXPECT_EQ(button.right - button.left, 17);
  EXPECT_EQ(button.bottom - button.top, 14);

  struct Case {
    int x, y;
    bool inside;
  } cases[] = {{294, 4, true},   {310, 17, true},  {311, 4, false},
               {293, 10, false}, {300, 18, false}, {300, 3, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(InHelpButton(button, c.x, c.y), c.inside) << c.x << "," << c.y;
    EXPECT_EQ(HelpButtonHitTest(button, c.x, c.y, 2), c.inside ? kHitBorder : 2);
  }

  EXPECT_TRUE(HelpButtonDown(button, 300, 10));
  EXPECT_TRUE(button.pressed);
  EXPECT_FALSE(HelpButtonUp(button, 100, 100)) << "released elsewhere: no help mode";
  EXPECT_TRUE(HelpButtonCancel(button)) << "released over the client area: drawn unpressed";
  EXPECT_FALSE(button.pressed);
  EXPECT_TRUE(HelpButtonDown(button, 300, 10));
  EXPECT_TRUE(HelpButtonUp(button, 300, 10));
  EXPECT_FALSE(button.pressed);
}

TEST_F(MainWindowTest, LoadAllStepsOfThisWindowOnPageControls) {
  ASSERT_TRUE(StartProgram(ctx));
  const ui::ControlSpec pageControls[] = {
      {.kind = ui::Kind::CheckBox, .name = "cbErrorFileYes", .parent = "TabSheet7"},
      {.kind = ui::Kind::CheckBox, .name = "cbScreenSaverActive", .parent = "TabSheet5"},
      {.kind = ui::Kind::SpinEdit, .name = "seTimeScreenSaverOn", .parent = "TabSheet5"},
      {.kind = ui::Kind::Label, .name = "lbDescriptionsAutoClear", .parent = "TabSheet12"},
  };
  for (const auto& spec : pageControls)  // those of pages already built are there
    if (!ctx.frmMain.Find(std::string(spec.name))) ctx.frmMain.Add(spec);
  ShowMainWindow(ctx);
  EXPECT_EQ(ctx.Get("cbErrorFileYes").Text(), "Протокол ошибок C:\\WINDOWS\\FAULTLOG.TXT");
  EXPECT_FALSE(ctx.Get("seTimeScreenSaverOn").Enabled());
  EXPECT_EQ(ctx.Get("seTimeScreenSaverOn").Color(), 0xC0C0C0u);
  EXPECT_EQ(
      ctx.Get("lbDescriptionsAutoClear").Text(),
      "(При загрузке компьютера будет автоматически\rочищаться каталог C:\\WINDOWS\\TEMP\\ )");
  const auto& canvas = ctx.Get<ui::Image>("ImgCursorLoad").Canvas();
  ASSERT_EQ(canvas.size(), 1u);
  EXPECT_EQ(canvas[0].picture.origin, std::string(apptest::kProgramDir) + "vlximg.dll,SELECTCOLOR");
  EXPECT_EQ(canvas[0].x, 14);
  EXPECT_EQ(canvas[0].y, 10);
  EXPECT_EQ(ctx.Get("lbCopyStatus").Text(), "Здесь будет отображен результат !");
}

}  // namespace
}  // namespace vlx
