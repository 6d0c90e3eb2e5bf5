#include "pages/startmenu.h"

#include "rules/form_controls.h"
#include "rules/master_switch.h"

namespace vlx {

namespace {

using ui::Kind;

constexpr RegKey HKLM = regroot::LocalMachine;
constexpr RegKey HKCU = regroot::CurrentUser;
const char* const kPolicyKey = kStartMenuPolicyKey;
const char* const kVerbs = "\\Software\\CLASSES\\Directory\\shell\\";

ui::Font Bold() {
  ui::Font font;
  font.bold = true;
  return font;
}

// Item boxes over the Start menu picture, right of the row icons: six rows of 25 pixels, then
// two below the menu's separator.
ui::ControlSpec Item(std::string_view name, int row, std::string_view caption) {
  const int top = row < 6 ? 20 + 25 * row : 178 + 25 * (row - 6);
  return {.kind = Kind::CheckBox, .name = name, .parent = "TabSheet4",
          .bounds = {58, top, 180, 17}, .caption = caption, .color = ui::colour::Silver};
}

ui::ControlSpec Verb(std::string_view name, int row, std::string_view caption) {
  return {.kind = Kind::CheckBox, .name = name, .parent = "pStartContextMenu",
          .bounds = {12, 10 + 23 * row, 290, 17}, .caption = caption};
}

const std::vector<ui::ControlSpec>& Controls() {
  static const std::vector<ui::ControlSpec> specs = {
      {.kind = Kind::Image, .name = "ImgStartMenu", .parent = "TabSheet4",
       .bounds = {8, 8, 240, 250}, .stretch = true},
      {.kind = Kind::SpeedButton, .name = "spidbtnStartMenu", .parent = "TabSheet4",
       .bounds = {256, 8, 73, 25}, .caption = "Пуск", .checked = true, .groupIndex = 1,
       .allowAllUp = true, .font = Bold()},
      Item("cbStartMenuItem1", 0, "Папка \"Принтеры\""),
      Item("cbStartMenuItem2", 1, "Папка \"Панель управление\""),
      Item("cbStartMenuItem3", 2, "Пункт \"Избранное\""),
      Item("cbStartMenuItem4", 3, "Пункт \"Документы\""),
      Item("cbStartMenuItem5", 4, "Пункт \"Найти\""),
      Item("cbStartMenuItem6", 5, "Пункт \"Выполнить\""),
      Item("cbStartMenuItem7", 6, "Пункт \"Завершение сеанса...\""),
      Item("cbStartMenuItem8", 7, "Пункт \"Завершение работы...\""),
      {.kind = Kind::Label, .name = "lbSpeedDescription", .parent = "TabSheet4",
       .bounds = {8, 264, 321, 13}, .caption = "&Скорость \"выпадания\" меню (в секундах):"},
      {.kind = Kind::TrackBar, .name = "trkbarMenuSpeed", .parent = "TabSheet4",
       .bounds = {8, 280, 321, 30}, .help = 56, .min = 0, .max = 5000, .position = 0,
       .frequency = 1000, .pageSize = 500},
      {.kind = Kind::Label, .name = "lbSpeedFrecuency", .parent = "TabSheet4",
       .bounds = {18, 311, 305, 13},
       .caption = "0 ' ' ' ' ' ' ' 1 ' ' ' ' ' ' ' 2 ' ' ' ' ' ' ' 3 ' ' ' ' ' ' ' 4 ' ' ' ' ' ' ' 5"},
      {.kind = Kind::CheckBox, .name = "cbContexMenuOnOff", .parent = "TabSheet4",
       .bounds = {8, 12, 240, 17}, .caption = "Контекстное меню кнопки \"Пуск\"", .visible = false},
      {.kind = Kind::Panel, .name = "pStartContextMenu", .parent = "TabSheet4",
       .bounds = {8, 40, 321, 150}, .visible = false},
      Verb("cbContextMenuIndex1", 0, "Параметр \"Редактор реестра\""),
      Verb("cbContextMenuIndex2", 1, "Параметр \"Программа настройки системы\""),
      Verb("cbContextMenuIndex3", 2, "Параметр \"Редактор файлов настройки\""),
      Verb("cbContextMenuIndex4", 3, "Параметр \"Проверка системных файлов\""),
      Verb("cbContextMenuIndex5", 4, "Параметр \"Проверка диска\""),
      Verb("cbContextMenuIndex6", 5, "Параметр \"Volnerix\""),
      {.kind = Kind::GroupBox, .name = "gbStartMenuOther", .parent = "TabSheet4",
       .bounds = {8, 200, 321, 130}, .caption = "&Сервис", .visible = false},
      {.kind = Kind::CheckListBox, .name = "clbStartmainServis", .parent = "gbStartMenuOther",
       .bounds = {8, 18, 305, 102}, .help = 55,
       .items = {"Добавление истории в пункт \"Документы\"", "Свойства: Панель задач",
                 "День недели в подсказке часов", "Разложение пункта \"Программы\" по ширине",
                 "Перетаскивание пунктов"}},
  };
  return specs;
}

TweakRule Flag(ControlRef control, RegKey root, std::string key, std::string value) {
  return Rule(std::move(control), root, std::move(key), std::move(value), PolicyFlag{});
}

TweakRule StartMenuFlag(ControlRef control, std::string value) {
  return Flag(std::move(control), HKLM, kPolicyKey, std::move(value));
}

TweakRule FolderVerb(std::string box, const std::string& verb, std::string caption,
                     std::string command) {
  return Rule({std::move(box)}, HKLM, kVerbs + verb, "",
              ShellVerb{std::move(caption), std::move(command)});
}

TweakRule StartMenuFolder(std::string box, std::string folder) {
  return Rule({std::move(box)}, 0, "", "", FolderPresence{csidl::StartMenu, std::move(folder)});
}

const MasterSwitch& ContextMenuSwitch() {
  static const MasterSwitch rule{"cbContexMenuOnOff", "cbContextMenuIndex%d", 1, 6,
                                 {"pStartContextMenu"}};
  return rule;
}

}  // namespace

std::span<const ui::ControlSpec> StartMenuPageControls() { return Controls(); }

std::string LongDateMarker() {
  const std::string era = "г.";
  std::string quoted = "'";
  for (char c : era) {
    quoted += c;
    if (c == '\'') quoted += c;
  }
  return "dddd, d MMMM yyyy " + quoted + "'";
}

std::vector<TweakRule> StartMenuRules(const std::string& programFile) {
  return {
      StartMenuFolder("cbStartMenuItem1", "Принтеры.{2227A280-3AEA-1069-A2DE-08002B30309D}"),
      StartMenuFolder("cbStartMenuItem2", "Панель управления.{21EC2020-3AEA-1069-A2DD-08002B30309D}"),
      StartMenuFlag({"cbStartMenuItem3"}, "NoFavoritesMenu"),
      StartMenuFlag({"cbStartMenuItem4"}, "NoRecentDocsMenu"),
      StartMenuFlag({"cbStartMenuItem5"}, "NoFind"),
      StartMenuFlag({"cbStartMenuItem6"}, "NoRun"),
      StartMenuFlag({"cbStartMenuItem7"}, "NoLogoff"),
      StartMenuFlag({"cbStartMenuItem8"}, "NoClose"),
      StartMenuFlag({"clbStartmainServis", 0}, "NoRecentDocsHistory"),
      StartMenuFlag({"clbStartmainServis", 1}, "NoSetTaskbar"),
      FolderVerb("cbContextMenuIndex1", "Regedit", "&Редактор реестра", "Regedit.exe"),
      FolderVerb("cbContextMenuIndex2", "Msconfig", "Программа настройки &системы", "Msconfig.exe"),
      FolderVerb("cbContextMenuIndex3", "Sysedit", "Редактор &файлов настройки", "Sysedit.exe"),
      FolderVerb("cbContextMenuIndex4", "Sfc", "&Проверка системных файлов", "Sfc.exe"),
      FolderVerb("cbContextMenuIndex5", "Scandskw", "Проверка &диска", "Scandskw.exe"),
      FolderVerb("cbContextMenuIndex6", "Volnrx", "&Volnerix", programFile),
      Flag({"cbContexMenuOnOff"}, HKCU,
           "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
           "NoTrayContextMenu"),
      Rule({"clbStartmainServis", 2}, HKCU, "\\Control Panel\\International", "sLongDate",
       MarkerValue{.storage = Storage::Text, .marker = StoredValue::Text(LongDateMarker())}),
      Rule({"trkbarMenuSpeed"}, HKCU, "\\Control Panel\\Desktop", "MenuShowDelay",
       NumberString{400, spi::SetMenuShowDelay, spif::SendWinIniChange}),
      StartMenuFlag({"clbStartmainServis", 4}, "NoChangeStartMenu"),
  };
}

const TweakRule& StartMenuScrollRule() {
  static const TweakRule rule = Rule(
      {"clbStartmainServis", 3}, HKLM,
      "\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Advanced",
      "StartMenuScrollPrograms",
      MarkerValue{.storage = Storage::Text,
                  .marker = StoredValue::Text("False"),
                  .askFirst = true,
                  .absentKey = LoadState::Unchecked,
                  // The shell reads a yes/no text without regard to case; anything else,
                  // like no value at all, scrolls.
                  .checkedTexts = {"false", "no"}});
  return rule;
}

void BindStartMenuPage(Context& context) {
  context.Get("spidbtnStartMenu").onClick = [&context] { spidbtnStartMenuClick(context); };
  context.Get("cbContexMenuOnOff").onClick = [&context] { cbContexMenuOnOffClick(context); };
}

void LoadStartMenuPage(Context& context) {
  LoadFormRules(context.frmMain, context.platform, StartMenuRules(context.ModuleFile()));
}

void ApplyStartMenuPage(Context& context) {
  ApplyFormRules(context.frmMain, context.platform, StartMenuRules(context.ModuleFile()));
}

void spidbtnStartMenuClick(Context& context) {
  const bool menuView = context.Get<ui::SpeedButton>("spidbtnStartMenu").Down();
  context.Get("ImgStartMenu").SetVisible(menuView);
  context.Get("pStartContextMenu").SetVisible(!menuView);
  context.Get("cbContexMenuOnOff").SetVisible(!menuView);
  context.Get("lbSpeedDescription").SetVisible(menuView);
  context.Get("trkbarMenuSpeed").SetVisible(menuView);
  context.Get("lbSpeedFrecuency").SetVisible(menuView);
  context.Get("gbStartMenuOther").SetVisible(!menuView);
  for (int n = 1; n <= 8; ++n)
    context.Get(FormatName("cbStartMenuItem%d", n)).SetVisible(menuView);
}

void cbContexMenuOnOffClick(Context& context) {
  FormControls controls(context.frmMain);
  UpdateDependents(ContextMenuSwitch(), controls);
}

}  // namespace vlx
