#include "pages/controlpanel.h"

#include "rules/form_controls.h"
#include "store/store_routine.h"

namespace vlx {

namespace {

using ui::Kind;

constexpr int kGroups = 7;
constexpr std::size_t kFirstInternetRow = 20;  // row 21, 0-based
const char* const kSystemKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
const char* const kNetworkKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Network";
const char* const kExplorerKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char* const kInternetKey = "\\SOFTWARE\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
const char* const kInternetValues[] = {"GeneralTab",     "HomePage",    "SecurityTab", "ContentTab",
                                       "ConnectionsTab", "ProgramsTab", "AdvancedTab"};

ui::ControlSpec Selector(std::string_view name, int n, std::string_view hint) {
  return {.kind = Kind::SpeedButton, .name = name, .parent = "TabSheet6",
          .bounds = {8 + 46 * n, 8, 40, 40}, .checked = n == 0, .groupIndex = 1,
          .hint = hint};
}

ui::ControlSpec Group(std::string_view name, int n, std::string_view caption) {
  return {.kind = Kind::GroupBox, .name = name, .parent = "TabSheet6",
          .bounds = {8, 56, 321, 266}, .caption = caption, .visible = n == 0};
}

ui::ControlSpec Box(std::string_view name, std::string_view group, int row,
                    std::string_view caption) {
  return {.kind = Kind::CheckBox, .name = name, .parent = group,
          .bounds = {12, 22 + 26 * row, 300, 17}, .caption = caption};
}

const std::vector<ui::ControlSpec>& Controls() {
  static const std::vector<ui::ControlSpec> specs = {
      Selector("spbtnCplSelect1", 0, "Панель управления"),
      Selector("spbtnCplSelect2", 1, "Свойства: Экран"),
      Selector("spbtnCplSelect3", 2, "Свойства: Пароли"),
      Selector("spbtnCplSelect4", 3, "Свойства: Система"),
      Selector("spbtnCplSelect5", 4, "Сеть"),
      Selector("spbtnCplSelect6", 5, "Принтеры"),
      Selector("spbtnCplSelect7", 6, "Свойства: Интернет"),
      Group("gbControlPanel1", 0, "Панель управления"),
      Box("cbCntlPanelAndPrinters", "gbControlPanel1", 0,
          "Папки \"Панель управления\" и \"Принтеры\""),
      Group("gbControlPanel2", 1, "Свойства: Экран"),
      Box("cbDicpleyProperty1", "gbControlPanel2", 0, "Доступ к апплету \"Свойства: Экран\""),
      Box("cbDicpleyProperty2", "gbControlPanel2", 1, "Вкладка \"Оформление\""),
      Box("cbDicpleyProperty3", "gbControlPanel2", 2, "Вкладка \"Фон\""),
      Box("cbDicpleyProperty4", "gbControlPanel2", 3, "Вкладка \"Заставка\""),
      Box("cbDicpleyProperty5", "gbControlPanel2", 4,
          "Вкладки \"Эффекты\", \"Интернет\", \"Настройка\""),
      Group("gbControlPanel3", 2, "Свойства: Пароли"),
      Box("cbSecurityPass1", "gbControlPanel3", 0, "Доступ к апплету \"Свойства: Пароли\""),
      Box("cbSecurityPass2", "gbControlPanel3", 1, "Вкладка \"Смена паролей\""),
      Box("cbSecurityPass3", "gbControlPanel3", 2, "Вкладка \"Профили пользователей\""),
      Group("gbControlPanel4", 3, "Свойства: Система"),
      Box("cbAboutSystem1", "gbControlPanel4", 0, "Вкладка \"Профили оборудования\""),
      Box("cbAboutSystem2", "gbControlPanel4", 1, "Вкладка \"Устройства\""),
      Box("cbAboutSystem3", "gbControlPanel4", 2, "Кнопка \"Файловая система...\""),
      Box("cbAboutSystem4", "gbControlPanel4", 3, "Кнопка \"Виртуальная память...\""),
      Group("gbControlPanel5", 4, "Сеть"),
      Box("cbNetworkSetting1", "gbControlPanel5", 0, "Доступ к апплету \"Сеть\""),
      Box("cbNetworkSetting2", "gbControlPanel5", 1, "Вкладка \"Идентификация\""),
      Box("cbNetworkSetting3", "gbControlPanel5", 2, "Кнопка \"Доступ к файлам и принтерам...\""),
      Box("cbNetworkSetting4", "gbControlPanel5", 3, "Вкладка \"Управление доступом\""),
      Group("gbControlPanel6", 5, "Принтеры"),
      Box("cbPrinterSetting1", "gbControlPanel6", 0,
          "Вкладки \"Общие\" и \"Сведения\" в свойствах принтера"),
      Box("cbPrinterSetting2", "gbControlPanel6", 1, "Добавление новых принтеров"),
      Box("cbPrinterSetting3", "gbControlPanel6", 2, "Удаление принтеров"),
      Group("gbControlPanel7", 6, "Свойства: Интернет"),
      Box("cbInternetSetting1", "gbControlPanel7", 0, "Вкладка \"Общие\""),
      Box("cbInternetSetting7", "gbControlPanel7", 1, "Изменение Домашней страницы"),
      Box("cbInternetSetting2", "gbControlPanel7", 2, "Вкладка \"Безопасность\""),
      Box("cbInternetSetting3", "gbControlPanel7", 3, "Вкладка \"Содержание\""),
      Box("cbInternetSetting4", "gbControlPanel7", 4, "Вкладка \"Подключение\""),
      Box("cbInternetSetting5", "gbControlPanel7", 5, "Вкладка \"Программы\""),
      Box("cbInternetSetting6", "gbControlPanel7", 6, "Вкладка \"Дополнительно\""),
      Box("cbInternetSetting", "gbControlPanel7", 7, "Доступ к апплету \"Свойства: Интернет\""),
  };
  return specs;
}

TweakRule Flag(std::string box, const char* key, std::string value) {
  return Rule({std::move(box)}, regroot::CurrentUser, key, std::move(value), PolicyFlag{});
}

void RunRows(Context& context, std::size_t first, std::size_t last, bool load) {
  const auto rows = std::span<const TweakRule>(ControlPanelRules()).subspan(first, last - first);
  load ? LoadFormRules(context.frmMain, context.platform, rows)
       : ApplyFormRules(context.frmMain, context.platform, rows);
}

}  // namespace

std::span<const ui::ControlSpec> ControlPanelPageControls() { return Controls(); }

const std::vector<TweakRule>& ControlPanelRules() {
  static const std::vector<TweakRule> rules = {
      Flag("cbDicpleyProperty1", kSystemKey, "NoDispCPL"),
      Flag("cbDicpleyProperty2", kSystemKey, "NoDispAppearancePage"),
      Flag("cbDicpleyProperty3", kSystemKey, "NoDispBackgroundPage"),
      Flag("cbDicpleyProperty4", kSystemKey, "NoDispScrSavPage"),
      Flag("cbDicpleyProperty5", kSystemKey, "NoDispSettingsPage"),
      Flag("cbSecurityPass1", kSystemKey, "NoSecCPL"),
      Flag("cbSecurityPass2", kSystemKey, "NoPwdPage"),
      Flag("cbSecurityPass3", kSystemKey, "NoProfilePage"),
      Flag("cbAboutSystem1", kSystemKey, "NoConfigPage"),
      Flag("cbAboutSystem2", kSystemKey, "NoDevMgrPage"),
      Flag("cbAboutSystem3", kSystemKey, "NoFileSysPage"),
      Flag("cbAboutSystem4", kSystemKey, "NoVirtMemPage"),
      Flag("cbNetworkSetting1", kNetworkKey, "NoNetSetup"),
      Flag("cbNetworkSetting2", kNetworkKey, "NoNetSetupIDPage"),
      Flag("cbNetworkSetting3", kNetworkKey, "NoFileSharingControl"),
      Flag("cbNetworkSetting4", kNetworkKey, "NoNetSetupSecurityPage"),
      Flag("cbPrinterSetting1", kExplorerKey, "NoPrinterTabs"),
      Flag("cbPrinterSetting2", kExplorerKey, "NoAddPrinter"),
      Flag("cbPrinterSetting3", kExplorerKey, "NoDeletePrinter"),
      Flag("cbCntlPanelAndPrinters",
           "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoSetFolders"),
      Flag("cbInternetSetting1", kInternetKey, "GeneralTab"),
      Flag("cbInternetSetting7", kInternetKey, "HomePage"),
      Flag("cbInternetSetting2", kInternetKey, "SecurityTab"),
      Flag("cbInternetSetting3", kInternetKey, "ContentTab"),
      Flag("cbInternetSetting4", kInternetKey, "ConnectionsTab"),
      Flag("cbInternetSetting5", kInternetKey, "ProgramsTab"),
      Flag("cbInternetSetting6", kInternetKey, "AdvancedTab"),
  };
  return rules;
}

const std::vector<MasterSwitch>& ControlPanelMasters() {
  static const std::vector<MasterSwitch> masters = {
      {"cbDicpleyProperty1", "cbDicpleyProperty%d", 2, 5},
      {"cbSecurityPass1", "cbSecurityPass%d", 2, 3},
      {"cbNetworkSetting1", "cbNetworkSetting%d", 2, 4},
      {"cbInternetSetting", "cbInternetSetting%d", 1, 7},
  };
  return masters;
}

void BindControlPanelPage(Context& context) {
  for (int n = 1; n <= kGroups; ++n)
    context.Get(FormatName("spbtnCplSelect%d", n)).onClick = [&context, n] {
      SelectCplGroup(context, n);
    };
  for (const auto& master : ControlPanelMasters())
    context.Get(master.master).onClick = [&context] { UpdateCplDependents(context); };
}

void LoadControlPanelPage(Context& context) {
  RunRows(context, 0, ControlPanelRules().size(), true);
  bool anyTab = false;
  for (int n = 1; n <= 6; ++n)
    anyTab = anyTab || context.Get<ui::CheckBox>(FormatName("cbInternetSetting%d", n)).Checked();
  context.Get<ui::CheckBox>("cbInternetSetting").SetChecked(anyTab);
}

void ApplyControlPanelPage(Context& context) {
  RunRows(context, 0, kFirstInternetRow, false);
  if (!context.Get<ui::CheckBox>("cbInternetSetting").Checked()) {
    WriteAllInternetTabFlags(context);
    return;
  }
  RunRows(context, kFirstInternetRow, ControlPanelRules().size(), false);
}

void UpdateCplDependents(Context& context) {
  FormControls controls(context.frmMain);
  for (const auto& master : ControlPanelMasters()) UpdateDependents(master, controls);
}

void WriteAllInternetTabFlags(Context& context) {
  RunRegistryRule(*context.platform.registry, regroot::CurrentUser, [](RegStore& store) {
    if (!store.OpenPath(kInternetKey, true)) return;
    const unsigned char flag[4] = {1, 0, 0, 0};
    for (const char* value : kInternetValues) store.WriteBytes(value, flag, sizeof flag);
  });
}

void SelectCplGroup(Context& context, int group) {
  for (int n = 1; n <= kGroups; ++n)
    context.Get(FormatName("gbControlPanel%d", n)).SetVisible(n == group);
}

}  // namespace vlx
