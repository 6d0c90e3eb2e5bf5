#include "tools/repair.h"

#include <stdexcept>

#include "app/image_library.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "rules/rule_engine.h"
#include "store/folders.h"
#include "store/store_routine.h"
#include "text/integer_text.h"

namespace vlx {

namespace {

using ui::Kind;

constexpr std::uintptr_t kSetNonClientMetrics = 42;     // SPI_SETNONCLIENTMETRICS
constexpr std::uint32_t kBroadcastTimeoutMs = 10000;
constexpr std::uint32_t kHiddenArchive = 0x22;
const char* const kMetricsKey = "Control Panel\\Desktop\\WindowMetrics";
const char* const kIconSize = "Shell Icon Size";
const char* const kMachineClasses = "\\Software\\CLASSES";
const char* const kAssociationBoxes[] = {"cbAssociateEXE", "cbAssociateCAB", "cbAssociateINF",
                                         "cbAssociateLaserPlayer"};

struct ItemText {
  const char* caption;
  std::vector<const char*> lines;
};

const std::vector<ItemText>& Items() {
  static const std::vector<ItemText> items = {
      {"Починить значки",
       {"Восстанавливает все значки Проводника и удаляет", "ненужные значки из памяти.", "",
        "Восстановление значков нужно в том случае, если",
        "Проводник показывает неверный значок для", "программы или ярлыка."}},
      {"Починить ассоциации",
       {"Восстанавливает стандартные ассоциации для", "стандартных типов файлов.", "",
        "Выберите ассоциации, которые хотите починить:"}},
      {"Починить миниатюры",
       {"Восстанавливает отображение стандартных", "графических файлов в виде миниатюр в левой",
        "части окна Проводника.", "", "Данное восстановление нужно в том случае, если",
        "стандартные графические файлы перестали отображатся",
        "в виде миниатюр в левой части окна Проводника при",
        "включеном режиме просмотра \"Как веб-страница\"."}},
      {"Починить \"Корзину\"",
       {"Восстанавливает значок \"Корзины\" в окне Проводника.", "",
        "Восстановление значка \"Корзины\" нужно в том случае,",
        "если он стал отображаться как обычная скрытая папка."}},
      {"Починить папку шрифтов",
       {"Восстанавливает функциональность папки шрифтов.", "",
        "Исправление папки шрифтов требуется в том случае,",
        "если папка шрифтов стала вести себя как обычная", "скрытая папка."}},
  };
  return items;
}

ui::ControlSpec AssociationBox(std::string_view name, int row, std::string_view caption) {
  return {.kind = Kind::CheckBox, .name = name, .parent = "gbDescriptionRepairs",
          .bounds = {12, 110 + 20 * row, 290, 17}, .caption = caption, .visible = false};
}

const std::vector<ui::ControlSpec>& Controls() {
  static const std::vector<ui::ControlSpec> specs = [] {
    std::vector<std::string_view> captions;
    for (const auto& item : Items()) captions.push_back(item.caption);
    return std::vector<ui::ControlSpec>{
        {.kind = Kind::Label, .name = "lbRepairCaption", .parent = "TabSheet8",
         .bounds = {56, 12, 270, 26},
         .caption = "\"Volnerix\" может попытаться восстановить \r\nследующие компоненты вашей "
                    "системы..."},
        {.kind = Kind::Image, .name = "ImgRepairIcon", .parent = "TabSheet8",
         .bounds = {12, 8, 32, 32}},
        {.kind = Kind::Label, .name = "lbShowResult", .parent = "TabSheet8",
         .bounds = {12, 52, 120, 13}, .caption = "Выберите элемент:"},
        {.kind = Kind::ComboBox, .name = "cbRepairSelected", .parent = "TabSheet8",
         .bounds = {12, 68, 313, 21}, .items = captions},
        {.kind = Kind::GroupBox, .name = "gbDescriptionRepairs", .parent = "TabSheet8",
         .bounds = {8, 100, 321, 192}, .caption = "Описание:"},
        {.kind = Kind::Label, .name = "lbSelectDescriptions1", .parent = "gbDescriptionRepairs",
         .bounds = {12, 20, 300, 86}},
        AssociationBox("cbAssociateEXE", 0, "Связь .EXE файлов"),
        AssociationBox("cbAssociateCAB", 1, "Связь .CAB файлов"),
        AssociationBox("cbAssociateINF", 2, "Связь .INF файлов"),
        AssociationBox("cbAssociateLaserPlayer", 3, "Связь \"Лазерного проигрывателя\""),
        {.kind = Kind::Button, .name = "btnRepair", .parent = "TabSheet8",
         .bounds = {232, 300, 97, 25}, .caption = "Ремонт !"},
    };
  }();
  return specs;
}

// A text whose data starts with one of the machine folders.
enum class Base { None, Windows, System };

struct RowValue {
  std::string name;  // empty: the key's default value
  bool binary = false;
  std::uint32_t number = 0;  // binary values: 4 bytes, least significant first
  Base base = Base::None;
  std::string text{};
};

struct Row {
  std::string path;
  std::vector<RowValue> values{};
};

RowValue Text(std::string name, std::string text, Base base = Base::None) {
  return {std::move(name), false, 0, base, std::move(text)};
}
RowValue Flags(std::uint32_t number) { return {"EditFlags", true, number}; }

const std::vector<Row>& ExeRows() {
  static const std::vector<Row> rows = {
      {"\\.exe", {Text("", "exefile"), Text("Content Type", "application/x-msdownload")}},
      {"\\exefile\\shellex\\PropertySheetHandlers\\{86F19A00-42A0-1069-A2E9-08002B30309D}"},
      {"\\exefile\\shellex\\PropertySheetHandlers\\{B41DB860-8EE4-11D2-9906-E49FADC173CA}"},
      {"\\exefile\\shellex\\ContextMenuHandlers\\{762F86D0-B3EA-11d2-84D3-0080AD160D07}"},
      {"\\exefile\\DefaultIcon", {Text("", "%1")}},
      {"\\exefile\\shell\\Open\\Command", {Text("", "\"%1\" %*")}},
      {"\\exefile", {Text("", "Приложение"), Flags(2008)}},
  };
  return rows;
}

const std::vector<Row>& CabRows() {
  static const std::string clsid = "\\CLSID\\{0CD7A5C0-9F37-11CE-AE65-08002B2E1262}";
  static const std::vector<Row> rows = {
      {"\\.cab", {Text("", "CLSID\\{0CD7A5C0-9F37-11CE-AE65-08002B2E1262}")}},
      {clsid, {Text("", "Cabinet"), Flags(0)}},
      {clsid + "\\InProcServer32",
       {Text("", "\\ShellExt\\cabview.dll", Base::System), Text("ThreadingModel", "Apartment")}},
      {clsid + "\\DefaultIcon", {Text("", "\\ShellExt\\cabview.dll", Base::System)}},
      {clsid + "\\Shell", {Text("", "Вид")}},
      {clsid + "\\Shell\\Вид", {Flags(1)}},
      {clsid + "\\Shell\\Вид\\command",
       {Text("", "explorer /root,{0CD7A5C0-9F37-11CE-AE65-08002B2E1262},%1")}},
  };
  return rows;
}

const std::vector<Row>& InfRows() {
  static const std::vector<Row> rows = {
      {"\\.inf", {Text("", "inffile")}},
      {"\\inffile", {Text("", "Сведения для установки"), Flags(0)}},
      {"\\inffile\\DefaultIcon", {Text("", "\\shell32.dll,-151", Base::System)}},
      {"\\inffile\\shell\\open\\command", {Text("", "\\NOTEPAD.EXE %1", Base::Windows)}},
      {"\\inffile\\shell\\print\\command", {Text("", "\\NOTEPAD.EXE /p %1", Base::Windows)}},
      {"\\inffile\\shell\\install", {Text("", "Устан&овить")}},
      {"\\inffile\\shell\\install\\command",
       {Text("", "\\rundll.exe setupx.dll,InstallHinfSection DefaultInstall 132 %1",
             Base::Windows)}},
  };
  return rows;
}

const std::vector<Row>& AudioCdRows() {
  static const std::string audio = "\\Software\\CLASSES\\AudioCD";
  static const std::string cda = "\\Software\\CLASSES\\cdafile";
  static const std::vector<Row> rows = {
      {audio, {Text("", "Компакт-диск (аудио)"), Flags(2)}},
      {audio + "\\DefaultIcon", {Text("", "\\shell32.dll,40", Base::System)}},
      {audio + "\\shell", {Text("", "play")}},
      {audio + "\\shell\\Воспроизвести", {Flags(1)}},
      {audio + "\\shell\\Воспроизвести\\command",
       {Text("", "\\cdplayer.exe -play %1", Base::Windows)}},
      {cda, {Text("", "Аудиозапись на компакт-диске"), Flags(0)}},
      {cda + "\\DefaultIcon", {Text("", "\\cdplayer.exe,1", Base::Windows)}},
      {cda + "\\shell", {Text("", "play")}},
      {cda + "\\shell\\play", {Text("", "&Воспроизвести"), Flags(1)}},
      {cda + "\\shell\\play\\command", {Text("", "\\cdplayer.exe -play %1", Base::Windows)}},
  };
  return rows;
}

// Opens each row's key with creation and writes its values in order; a key that does not open
// skips its row, a refused write raises.
void WriteRows(Platform& platform, RegKey root, const std::string& prefix,
               const std::vector<Row>& rows) {
  const std::string windows = GetWindowsDir(*platform.system);
  const std::string system = GetSystemDir(*platform.system);
  RunStoreRoutine(*platform.registry, root, [&](RegStore& store) {
    for (const Row& row : rows) {
      if (!store.OpenPath(prefix + row.path, true)) continue;
      for (const RowValue& value : row.values) {
        if (value.binary) {
          const unsigned char bytes[4] = {
              static_cast<unsigned char>(value.number), static_cast<unsigned char>(value.number >> 8),
              static_cast<unsigned char>(value.number >> 16),
              static_cast<unsigned char>(value.number >> 24)};
          store.WriteBytes(value.name, bytes, sizeof bytes);
          continue;
        }
        const std::string& base = value.base == Base::Windows  ? windows
                                  : value.base == Base::System ? system
                                                               : std::string();
        store.WriteText(value.name, base + value.text);
      }
      store.ClosePath();
    }
  });
}

const std::vector<Row>& RowsOf(Association association) {
  switch (association) {
    case Association::Exe: return ExeRows();
    case Association::Cab: return CabRows();
    case Association::Inf: return InfRows();
  }
  return ExeRows();
}

void RepairAssociations(Context& context) {
  bool any = false;
  for (const char* box : kAssociationBoxes) any = any || context.Get<ui::CheckBox>(box).Checked();
  if (!any) {
    context.platform.dialogs->ShowMessage("Volnerix",
                                          "Выберите ассоциации, которые хотите починить.",
                                          mb::Ok | mb::IconQuestion | mb::TaskModal);
    return;
  }
  const Association kinds[] = {Association::Exe, Association::Cab, Association::Inf};
  for (int n = 0; n < 3; ++n) {
    if (!context.Get<ui::CheckBox>(kAssociationBoxes[n]).Checked()) continue;
    RepairAssociation(context.platform, kinds[n], regroot::ClassesRoot);
    RepairAssociation(context.platform, kinds[n], regroot::LocalMachine);
  }
  if (context.Get<ui::CheckBox>("cbAssociateLaserPlayer").Checked())
    RepairAudioCdAssociation(context.platform);
}

// Clears the attributes of an existing file so it can be replaced, writes the resource, and
// hides the result.
void ReplaceViewFile(Platform& platform, const std::string& path, const char* resource) {
  auto& files = *platform.files;
  if (files.Exists(path)) files.SetAttributes(path, 0);
  ExtractResourceToFile(platform, "FOLDERSTYLE", resource, path);
  if (files.Exists(path)) files.SetAttributes(path, kHiddenArchive);
}

ui::ComboBox& Selector(Context& context) { return context.Get<ui::ComboBox>("cbRepairSelected"); }

}  // namespace

std::span<const ui::ControlSpec> RepairPageControls() { return Controls(); }

void BindRepairPage(Context& context) {
  Selector(context).onChange = [&context] { cbRepairSelectedChange(context); };
  context.Get("btnRepair").onClick = [&context] { btnRepairClick(context); };
}

std::string RepairDescription(RepairItem item) {
  std::string text;
  const auto& lines = Items().at(static_cast<std::size_t>(item)).lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\r';
    text += lines[i];
  }
  return text;
}

void LoadRepairSelector(Context& context) {
  Selector(context).SetItemIndex(0);
  context.Get("lbSelectDescriptions1").SetText(RepairDescription(RepairItem::Icons));
}

void cbRepairSelectedChange(Context& context) {
  const int index = Selector(context).ItemIndex();
  if (index < 0 || index >= static_cast<int>(RepairItem::Count)) return;
  const auto item = static_cast<RepairItem>(index);
  context.Get("lbSelectDescriptions1").SetText(RepairDescription(item));
  for (const char* box : kAssociationBoxes)
    context.Get(box).SetVisible(item == RepairItem::Associations);
}

void btnRepairClick(Context& context) {
  switch (static_cast<RepairItem>(Selector(context).ItemIndex())) {
    case RepairItem::Icons: RefreshShellIcons(context.platform); break;
    case RepairItem::Associations: RepairAssociations(context); break;
    case RepairItem::Thumbnails:
      RepairThumbnails(context.platform, regroot::ClassesRoot);
      RepairThumbnails(context.platform, regroot::LocalMachine);
      break;
    case RepairItem::RecycleBin: RepairRecycleBin(context); break;
    case RepairItem::Fonts: RepairFontsFolder(context); break;
    default: break;
  }
}

bool RefreshShellIcons(Platform& platform) {
  return RunStoreRoutine(*platform.registry, regroot::CurrentUser, [&](RegStore& store) {
    if (!store.OpenPath(kMetricsKey, false)) return false;
    const std::string size = store.ReadText(kIconSize);
    store.ClosePath();
    if (size.empty()) return false;
    const auto number = TryParseInteger(size);
    if (!number) throw std::invalid_argument("'" + size + "' is not a valid integer value");
    if (store.OpenPath(kMetricsKey, false)) {
      store.WriteText(kIconSize, std::to_string(static_cast<std::int64_t>(*number) - 1));
      store.ClosePath();
      BroadcastMetricsChange(*platform.desktop);
    }
    if (!store.OpenPath(kMetricsKey, false)) return false;
    store.WriteText(kIconSize, size);
    store.ClosePath();
    BroadcastMetricsChange(*platform.desktop);
    return true;
  });
}

void BroadcastMetricsChange(Desktop& desktop) {
  desktop.BroadcastWithTimeout(wm::WinIniChange, kSetNonClientMetrics, 0, smto::AbortIfHung,
                               kBroadcastTimeoutMs);
}

void RepairAssociation(Platform& platform, Association association, RegKey root) {
  WriteRows(platform, root, root == regroot::LocalMachine ? kMachineClasses : "",
            RowsOf(association));
}

void RepairAudioCdAssociation(Platform& platform) {
  WriteRows(platform, regroot::LocalMachine, "", AudioCdRows());
}

void RepairThumbnails(Platform& platform, RegKey root) {
  const char* const extensions[] = {".bmp", ".dib", ".art", ".gif", ".jfif",
                                    ".jpe", ".jpeg", ".jpg", ".png"};
  std::vector<Row> rows;
  for (const char* extension : extensions)
    rows.push_back({std::string("\\") + extension +
                        "\\ShellEx\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}",
                    {Text("", "{7376D660-C583-11d0-A3A5-00C04FD706EC}")}});
  WriteRows(platform, root, root == regroot::LocalMachine ? kMachineClasses : "", rows);
}

void RepairRecycleBin(Context& context) {
  const std::string drive = GetBootDrive(*context.platform.system);
  if (drive.empty()) return;  // no path from a Windows folder the system cannot name
  ReplaceViewFile(context.platform, drive + "\\Recycled\\Desktop.ini", "desktoprecycled");
}

void RepairFontsFolder(Context& context) {
  std::string fonts;
  if (!GetSpecialFolderPath(*context.platform.shell, csidl::Fonts, fonts) || fonts.empty()) {
    // Said, not skipped silently: with no path the file would go to the current drive's root.
    context.platform.dialogs->ShowMessage(
        "Volnerix", "Не удалось найти папку шрифтов: папка шрифтов не восстановлена.",
        mb::Ok | mb::IconWarning | mb::TaskModal);
    return;
  }
  ReplaceViewFile(context.platform, fonts + "\\Desktop.ini", "desktopfonts");
}

}  // namespace vlx

namespace vlx {

// Apply-all's step while the shortcut overlay changed.
void RefreshShellIcons(Context& context) { RefreshShellIcons(context.platform); }

}  // namespace vlx
