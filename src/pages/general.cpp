#include "pages/general.h"

#include "app/image_library.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "rules/form_controls.h"
#include "store/folders.h"

namespace vlx {

namespace {

using ui::Kind;

const char* const kExplorerPolicies =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char* const kWinOldApp = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\WinOldApp";
constexpr std::uint32_t kHiddenArchive = 0x22;

ui::ControlSpec Box(std::string_view name, std::string_view group, int row,
                    std::string_view caption, int help) {
  return {.kind = Kind::CheckBox, .name = name, .parent = group,
          .bounds = {12, 20 + 22 * row, 300, 17}, .caption = caption, .help = help};
}

const std::vector<ui::ControlSpec>& Controls() {
  static const std::vector<ui::ControlSpec> specs = {
      {.kind = Kind::GroupBox, .name = "gbCDautoran", .parent = "TabSheet9",
       .bounds = {8, 4, 321, 100}, .caption = "Действия, происходящие без ведома пользователя:"},
      Box("cbAutoranCDmusic", "gbCDautoran", 0, "Автоматически запускать аудио компакт-диски", 12),
      Box("cbAutoranCDdata", "gbCDautoran", 1, "Автоматически запускать компакт-диски с данными",
          9),
      {.kind = Kind::Label, .name = "lbCDdescription", .parent = "gbCDautoran",
       .bounds = {4, 66, 315, 26},
       .caption = "(Требуетьса включить функцию автораспазнования диска \r\nв свойствах CD-ROM.)"},
      {.kind = Kind::GroupBox, .name = "gbAdminSet", .parent = "TabSheet9",
       .bounds = {8, 108, 321, 112}, .caption = "Администрирование:"},
      Box("cbRegeditOff", "gbAdminSet", 0, "Редактирование Реестра", 14),
      Box("cbMsdosSeans", "gbAdminSet", 1, "Сеанс MS-DOS", 13),
      Box("cbRestartInMsdos", "gbAdminSet", 2, "Перезагрузка компьютера в режиме MS-DOS", 15),
      Box("cbCachPass", "gbAdminSet", 3, "Кеширование пароля", 16),
      {.kind = Kind::GroupBox, .name = "gbViewFilesinSysfld", .parent = "TabSheet9",
       .bounds = {8, 224, 321, 100}, .caption = "Защита:"},
      Box("cbViewWindowsFiles", "gbViewFilesinSysfld", 0,
          "Слова \"Показать файлы\" в папке Windows", 17),
      Box("cbViewSystemsFiles", "gbViewFilesinSysfld", 1,
          "Слова \"Показать файлы\" в папке System", 18),
      {.kind = Kind::Label, .name = "lbDescriptViewFiles", .parent = "gbViewFilesinSysfld",
       .bounds = {4, 66, 315, 26},
       .caption = "(Эти слова видны при включенном режиме просмотра \r\n\"Как веб-страница\".)"},
  };
  return specs;
}

TweakRule Flag(std::string box, RegKey root, const char* key, std::string value, Storage storage) {
  PolicyFlag flag;
  flag.storage = storage;
  return Rule({std::move(box)}, root, key, std::move(value), flag);
}

TweakRule AudioCdRule() {
  TwoStateValue state;
  state.storage = Storage::Text;
  state.on = StoredValue::Text("play");
  state.off = StoredValue::Text("");
  state.absentKey = LoadState::Unchanged;
  state.absentValue = LoadState::Unchecked;
  state.fallback = LoadState::Unchanged;
  state.ignoreCase = true;  // the shell matches a default verb to its key without regard to case
  return Rule({"cbAutoranCDmusic"}, regroot::LocalMachine, "\\Software\\Classes\\AudioCD\\Shell",
              "", state);
}

struct ProtectedFolder {
  const char* box;
  bool system;  // the System folder, else the Windows folder
  const char* templateResource;
  const char* settingsResource;
};

constexpr ProtectedFolder kFolders[] = {
    {"cbViewWindowsFiles", false, "folderwin", "desktopwin"},
    {"cbViewSystemsFiles", true, "foldersys", "desktopsys"},
};

std::string FolderOf(Context& context, const ProtectedFolder& folder) {
  auto& system = *context.platform.system;
  return folder.system ? GetSystemDir(system) : GetWindowsDir(system);
}

void PlaceFile(Context& context, const std::string& path, const char* resource) {
  auto& files = *context.platform.files;
  if (files.Exists(path)) return;
  ExtractResourceToFile(context.platform, "FOLDERSTYLE", resource, path);
  files.SetAttributes(path, kHiddenArchive);
}

}  // namespace

std::span<const ui::ControlSpec> GeneralPageControls() { return Controls(); }

const std::vector<TweakRule>& GeneralRules() {
  static const std::vector<TweakRule> rules = {
      AudioCdRule(),
      Flag("cbCachPass", regroot::LocalMachine,
           "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Network",
           "DisablePwdCaching", Storage::Binary),
      [] {
        TweakRule rule = Flag("cbAutoranCDdata", regroot::CurrentUser, kExplorerPolicies,
                              "NoDriveTypeAutoRun", Storage::Binary);
        // The shell tests the CD-ROM bit of the drive type mask alone.
        std::get<PolicyFlag>(rule.kind).flag = std::get<PolicyFlag>(rule.kind).testBits = 32;
        return rule;
      }(),
      Flag("cbMsdosSeans", regroot::CurrentUser, kWinOldApp, "Disabled", Storage::Dword),
      Flag("cbRestartInMsdos", regroot::CurrentUser, kWinOldApp, "NoRealMode", Storage::Dword),
      Flag("cbRegeditOff", regroot::CurrentUser,
           "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
           "DisableRegistryTools", Storage::Dword),
  };
  return rules;
}

void LoadGeneralPage(Context& context) {
  LoadFormRules(context.frmMain, context.platform, GeneralRules());
}

void ApplyGeneralPage(Context& context) {
  ApplyFormRules(context.frmMain, context.platform, GeneralRules());
}

void LoadFolderProtection(Context& context) {
  for (const auto& folder : kFolders) {
    const std::string dir = FolderOf(context, folder);
    const bool present = !dir.empty() && context.platform.files->Exists(dir + "\\folder.htt");
    context.Get<ui::CheckBox>(folder.box).SetChecked(present);
  }
}

void ApplyFolderProtection(Context& context) {
  for (const auto& folder : kFolders) {
    const std::string dir = FolderOf(context, folder);
    if (dir.empty()) continue;  // no path is built from a folder the system cannot name
    const std::string templateFile = dir + "\\folder.htt";
    const std::string settingsFile = dir + "\\desktop.ini";
    if (context.Get<ui::CheckBox>(folder.box).Checked()) {
      PlaceFile(context, templateFile, folder.templateResource);
      PlaceFile(context, settingsFile, folder.settingsResource);
      continue;
    }
    auto& files = *context.platform.files;
    if (files.Exists(templateFile)) context.platform.fileOps->Delete(templateFile);
    if (files.Exists(settingsFile)) context.platform.fileOps->Delete(settingsFile);
  }
}

}  // namespace vlx
