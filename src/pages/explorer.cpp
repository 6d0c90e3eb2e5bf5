#include "pages/explorer.h"

#include "app/image_library.h"
#include "app/main_window.h"
#include "pages/user.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/library.h"
#include "rules/form_controls.h"
#include "store/folders.h"
#include "store/store_routine.h"

namespace vlx {

namespace {

using ui::Kind;

const char* const kAdvanced = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
const char* const kVerbKey = "\\*\\Shell\\Открыть в &Блокноте";
const char* const kVerbCommand = "\\*\\Shell\\Открыть в &Блокноте\\command";
const char* const kEjectClass = "CLSID\\{8E8E8F8A-8FCC-88CE-BCB8-B8FD8E88888A}";
const char* const kEjectLibrary = "vxeject.dll";
const char* const kList = "clbExplorerSetting";

ui::ControlSpec Radio(std::string_view name, int row, std::string_view caption, int help) {
  return {.kind = Kind::RadioButton, .name = name, .parent = "gbFilesSetting",
          .bounds = {12, 28 + 20 * row, 297, 17}, .caption = caption, .help = help};
}

const std::vector<ui::ControlSpec>& Controls() {
  static const std::vector<ui::ControlSpec> specs = {
      {.kind = Kind::GroupBox, .name = "gbExplorerSettings", .parent = "TabSheet10",
       .bounds = {8, 4, 321, 205}, .caption = "Управление оболочкой:"},
      {.kind = Kind::CheckListBox, .name = kList, .parent = "gbExplorerSettings",
       .bounds = {8, 16, 305, 183}, .help = 11,
       .items = {"Проводник как два отдельных процесса", "Имена в верхнем регистре",
                 "Настройка вида папок", "Помнить установки вида для каждой папки",
                 "Префикс \"Ярлык для...\" при создании ярлыков", "Автообновление окна проводника",
                 "Сохранение настроек при выходе", "Контекстное меню \"Проводника\"",
                 "Пункт \"Открыть в Блокноте\" в контекстном меню",
                 "Пункт \"Закрыть\" в контекстном меню", "Отображать на аудиодиске WAV-файлы",
                 "Исправленный драйвер vfat.vxd"}},
      {.kind = Kind::GroupBox, .name = "gbFilesSetting", .parent = "TabSheet10",
       .bounds = {8, 213, 321, 110}, .caption = "Файлы:"},
      {.kind = Kind::CheckBox, .name = "cbExplorer3", .parent = "gbFilesSetting",
       .bounds = {12, 16, 297, 28}, .caption = "Отображение расширений зарегистрированных файлов",
       .help = 19},
      Radio("rbExplorer2", 1, "Не отображать скрытые файлы", 20),
      Radio("rbExplorer1", 2, "Не отображать скрытые и системные файлы", 21),
      Radio("rbExplorer3", 3, "Отображать все файлы", 22),
  };
  return specs;
}

ControlRef Item(int index) { return {kList, index}; }

TweakRule TwoState(ControlRef control, RegKey root, const char* key, const char* value,
                   Storage storage, std::uint32_t on, std::uint32_t off, bool referenceIsOn,
                   LoadState missing) {
  TwoStateValue kind;
  kind.storage = storage;
  kind.on = StoredValue::Number(on);
  kind.off = StoredValue::Number(off);
  kind.referenceIsOn = referenceIsOn;
  kind.absentKey = kind.absentValue = kind.fallback = missing;
  return Rule(std::move(control), root, key, value, kind);
}

TweakRule Flag(ControlRef control, RegKey root, const char* key, const char* value) {
  return Rule(std::move(control), root, key, value, PolicyFlag{});
}

TweakRule HiddenFiles() {
  RadioValue radio;
  radio.buttons = {{{"rbExplorer1"}, 0}, {{"rbExplorer2"}, 2}, {{"rbExplorer3"}, 1}};
  radio.defaultButton = 0;
  return Rule({}, regroot::CurrentUser, kAdvanced, "Hidden", radio);
}

// Checked while the value holds 1; unchecked deletes it.
TweakRule SeparateProcess() {
  MarkerValue marker;
  marker.storage = Storage::Binary;
  marker.marker = StoredValue::Number(1);
  marker.testBits = kAllBits;  // the shell starts a separate process for any number but 0
  marker.absentKey = LoadState::Unchecked;
  marker.fallback = LoadState::Unchecked;
  return Rule(Item(0), regroot::CurrentUser, kAdvanced, "SeparateProcess", marker);
}

bool ItemChecked(Context& context, int index) {
  return context.Get<ui::ListControl>(kList).ItemChecked(index);
}
void SetItem(Context& context, int index, bool checked) {
  context.Get<ui::ListControl>(kList).SetItemChecked(index, checked);
}

void LoadNotepadVerb(Context& context) {
  bool present = false;
  RunRegistryRule(*context.platform.registry, regroot::ClassesRoot,
                  [&](RegStore& store) { present = store.OpenPath(kVerbCommand, false); });
  SetItem(context, 8, present);
}

// A command key that is there already loads checked and is kept as it is; unchecked removes the
// verb key also when it has no command (a menu entry of this name that runs nothing). Nothing is
// created unless the command is written.
void ApplyNotepadVerb(Context& context) {
  const bool checked = ItemChecked(context, 8);
  RunRegistryRule(*context.platform.registry, regroot::ClassesRoot, [&](RegStore& store) {
    if (checked) {
      if (!store.OpenPath(kVerbCommand, false) && store.OpenPath(kVerbCommand, true))
        store.WriteText("", "notepad.exe %1");
      return;
    }
    if (store.HasKey(kVerbKey)) store.RemoveKeyTree(kVerbKey);
  });
}

// The driver files of rules 14 and 15.
struct DriverPaths {
  std::string cdfs, backup, vfat;
};

DriverPaths Drivers(Context& context) {
  const std::string system = GetSystemDir(*context.platform.system);
  return {system + "\\IOSUBSYS\\Cdfs.vxd", system + "\\IOSUBSYS\\Cdfs.vxd.bak",
          system + "\\VMM32\\Vfat.vxd"};
}

// A driver rule about to write a driver out of the image library asks this first: false when
// the library carries stand-ins instead of real drivers; the user is told once per apply.
class DriverGuard {
 public:
  explicit DriverGuard(Context& context) : context_(context) {}
  bool Real(std::initializer_list<const char*> resources) {
    for (const char* name : resources) {
      const auto bytes = ReadImageResource(*context_.platform.library, "VXD", name);
      if (bytes && IsStandInDriver(*bytes)) {
        Notify();
        return false;
      }
    }
    return true;
  }

 private:
  void Notify() {
    if (told_) return;
    told_ = true;
    context_.platform.dialogs->ShowMessage(
        "Volnerix",
        "Эта копия программы не содержит файлов драйверов.\rДрайверы не изменены.",
        mb::Ok | mb::IconInformation | mb::TaskModal);
  }
  Context& context_;
  bool told_ = false;
};

bool IsReplacement(Context& context, const std::string& path) {
  return GetFileSizeByName(*context.platform.fileOps, path) == kReplacementCdDriverSize;
}

void LoadCdDriver(Context& context) {
  const std::string path = Drivers(context).cdfs;
  SetItem(context, 10, context.platform.files->Exists(path) && IsReplacement(context, path));
}

void ApplyCdDriver(Context& context, DriverGuard& guard) {
  const DriverPaths paths = Drivers(context);
  auto& files = *context.platform.files;
  FileOps* ops = context.platform.fileOps;  // reached only when a driver file is changed
  const bool exists = files.Exists(paths.cdfs);
  const bool replacement = exists && IsReplacement(context, paths.cdfs);
  if (ItemChecked(context, 10)) {
    if (replacement || !guard.Real({"CDFS"})) return;
    if (exists) ops->Rename(paths.cdfs, paths.backup);  // a failure keeps the old backup
    ExtractResourceToFile(context.platform, "VXD", "CDFS", paths.cdfs);
    return;
  }
  // Unchecked is what the item loads as unless the replacement is there: only then did the user
  // change it, and only then is a driver file touched.
  if (!replacement) return;
  // Taking the replacement away and putting the backup back writes nothing out of the library.
  ops->Delete(paths.cdfs);
  if (files.Exists(paths.backup)) {
    ops->Rename(paths.backup, paths.cdfs);
    return;
  }
  if (guard.Real({"NORMALCDFS"}))
    ExtractResourceToFile(context.platform, "VXD", "NORMALCDFS", paths.cdfs);
}

void LoadFatDriver(Context& context) {
  SetItem(context, 11, context.platform.files->Exists(Drivers(context).vfat));
}

void ApplyFatDriver(Context& context, DriverGuard& guard) {
  const std::string path = Drivers(context).vfat;
  const bool exists = context.platform.files->Exists(path);
  if (ItemChecked(context, 11)) {
    if (!exists && guard.Real({"VFAT"}))
      ExtractResourceToFile(context.platform, "VXD", "VFAT", path);
    return;
  }
  if (exists) context.platform.fileOps->Delete(path);
}

bool EjectRegistered(Context& context) {
  return !ReadClassDefault(*context.platform.registry, regroot::ClassesRoot, kEjectClass).empty();
}

void LoadShellExtension(Context& context) { SetItem(context, 9, EjectRegistered(context)); }

void ApplyShellExtension(Context& context) {
  const std::string library = context.ProgramFile(kEjectLibrary);
  if (!context.platform.files->Exists(library)) {
    const int answer = context.platform.dialogs->ShowMessage(
        "Volnerix", MissingLibraryText(kEjectLibrary),
        mb::Ok | mb::IconInformation | mb::TaskModal);
    if (answer == idanswer::Ok) CloseMainWindow(context);
    return;
  }
  const bool checked = ItemChecked(context, 9);
  const bool registered = EjectRegistered(context);
  if (checked && !registered) CallRegistrationEntry(*context.platform.library, library, 1);
  if (!checked && registered) CallRegistrationEntry(*context.platform.library, library, 0);
}

}  // namespace

std::span<const ui::ControlSpec> ExplorerPageControls() { return Controls(); }

const std::vector<TweakRule>& ExplorerRulesBeforeUser() {
  static const std::vector<TweakRule> rules = {
      HiddenFiles(),
      TwoState(Item(1), regroot::CurrentUser, kAdvanced, "DontPrettyPath", Storage::Dword, 1, 0,
               false, LoadState::Unchecked),
      TwoState({"cbExplorer3"}, regroot::CurrentUser, kAdvanced, "HideFileExt", Storage::Dword, 0,
               1, true, LoadState::Unchecked),
      TwoState(Item(3), regroot::CurrentUser, kAdvanced, "ClassicViewState", Storage::Dword, 0, 1,
               true, LoadState::Checked),
      SeparateProcess(),
      Flag(Item(2), regroot::CurrentUser,
           "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
           "NoCustomizeWebView"),
      // "Link" is the shell's count down to dropping the shortcut name prefix: any number but 0,
      // and no value (the shell starts the count itself), keeps the prefix.
      TwoState(Item(4), regroot::CurrentUser, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer",
               "Link", Storage::Binary, 1, 0, false, LoadState::Checked),
      Flag(Item(7), regroot::CurrentUser,
           "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
           "NoViewContextMenu"),
  };
  return rules;
}

const std::vector<TweakRule>& ExplorerUpdateModeRule() {
  static const std::vector<TweakRule> rules = {
      TwoState(Item(5), regroot::LocalMachine, "\\System\\CurrentControlSet\\Control\\Update",
               "UpdateMode", Storage::Binary, 0, 1, true, LoadState::Checked),
  };
  return rules;
}

const std::vector<TweakRule>& ExplorerSaveSettingsRule() {
  static const std::vector<TweakRule> rules = {
      Flag(Item(6), regroot::LocalMachine,
           "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\explorer", "NoSaveSettings"),
  };
  return rules;
}

void LoadExplorerPage(Context& context) {
  LoadFormRules(context.frmMain, context.platform, ExplorerRulesBeforeUser());
  LoadUserPage(context);
  LoadFormRules(context.frmMain, context.platform, ExplorerUpdateModeRule());
  LoadNotepadVerb(context);
  LoadFormRules(context.frmMain, context.platform, ExplorerSaveSettingsRule());
  LoadCdDriver(context);
  LoadFatDriver(context);
  LoadShellExtension(context);
}

void ApplyExplorerPage(Context& context) {
  ApplyFormRules(context.frmMain, context.platform, ExplorerRulesBeforeUser());
  ApplyUserPage(context);
  ApplyFormRules(context.frmMain, context.platform, ExplorerUpdateModeRule());
  ApplyNotepadVerb(context);
  ApplyFormRules(context.frmMain, context.platform, ExplorerSaveSettingsRule());
  DriverGuard guard(context);
  ApplyCdDriver(context, guard);
  ApplyFatDriver(context, guard);
  ApplyShellExtension(context);
}

std::string ReadClassDefault(Registry& registry, RegKey root, const std::string& keyPath) {
  RegKey key = 0;
  if (registry.OpenKey(root, keyPath, key) != winerr::Success) return {};
  std::uint32_t type = 0, size = 0;
  std::string text;
  if (registry.QueryValue(key, "", &type, nullptr, &size) == winerr::Success && size > 0) {
    std::string data(size, '\0');
    if (registry.QueryValue(key, "", &type, reinterpret_cast<unsigned char*>(data.data()),
                            &size) == winerr::Success) {
      data.resize(size);
      text = data.substr(0, data.find('\0'));
    }
  }
  registry.CloseKey(key);
  return text;
}

std::int64_t GetFileSizeByName(FileOps& fileOps, const std::string& path) {
  FoundFile found;
  if (!fileOps.FindFirst(path, found)) return -1;
  return static_cast<std::int64_t>(found.size);
}

bool CallRegistrationEntry(Library& library, const std::string& path, int entry) {
  std::int32_t result = -1;
  const char* name = entry == 0 ? "DllUnregisterServer" : "DllRegisterServer";
  return library.CallEntry(path, name, result) == LibraryResult::Ok && result == 0;
}

}  // namespace vlx
