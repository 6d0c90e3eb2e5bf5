#include "pages/service.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/image_library.h"
#include "store/folders.h"
#include "store/store_error.h"
#include "store/store_routine.h"
#include "store/text_file.h"
#include "text/cp1251.h"
#include "text/integer_text.h"

namespace vlx {

namespace {

using ui::Kind;

const char* const kShellIcons =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Icons";
const char* const kOverlayValue = "29";
constexpr int kStandardArrow = 29;
constexpr int kSmallArrow = 7;
constexpr int kNoArrow = 8;
constexpr std::uint32_t kReadOnlyArchive = fileattr::ReadOnly | fileattr::Archive;

const std::vector<ui::ControlSpec>& Controls() {
  static const std::vector<ui::ControlSpec> specs = {
      {.kind = Kind::GroupBox, .name = "gbShotcuts", .parent = "TabSheet12",
       .bounds = {8, 4, 321, 124}, .caption = "Распознавание ярлыков:", .help = 27},
      {.kind = Kind::RadioButton, .name = "rbShotcuts1", .parent = "gbShotcuts",
       .bounds = {16, 20, 150, 17}, .caption = "Стрелка", .help = 31, .checked = true},
      {.kind = Kind::RadioButton, .name = "rbShotcuts2", .parent = "gbShotcuts",
       .bounds = {16, 44, 150, 17}, .caption = "Маленька стрелка", .help = 32},
      {.kind = Kind::RadioButton, .name = "rbShotcuts3", .parent = "gbShotcuts",
       .bounds = {16, 68, 150, 17}, .caption = "Нет", .help = 33},
      {.kind = Kind::RadioButton, .name = "rbShotcuts4", .parent = "gbShotcuts",
       .bounds = {16, 92, 90, 17}, .caption = "Выбрать", .help = 34},
      {.kind = Kind::Button, .name = "btnShotcutBrowse", .parent = "gbShotcuts",
       .bounds = {112, 88, 75, 25}, .caption = "Обзор...", .enabled = false},
      {.kind = Kind::Image, .name = "ImgShotcut2", .parent = "gbShotcuts",
       .bounds = {256, 48, 32, 32}, .transparent = true},
      {.kind = Kind::GroupBox, .name = "gbServicesOther", .parent = "TabSheet12",
       .bounds = {8, 136, 321, 92}, .caption = "Сервис:"},
      {.kind = Kind::CheckBox, .name = "cbAutoClearTempFolder", .parent = "gbServicesOther",
       .bounds = {12, 20, 300, 17}, .caption = "Автоочистка папки временных файлов при загрузке",
       .help = 28},
      {.kind = Kind::Label, .name = "lbDescriptionsAutoClear", .parent = "gbServicesOther",
       .bounds = {12, 44, 300, 39}},
  };
  return specs;
}

ui::RadioButton& Radio(Context& context, int number) {
  return context.Get<ui::RadioButton>("rbShotcuts" + std::to_string(number));
}

std::string StandardArrowFile(Context& context) {
  return GetSystemDir(*context.platform.system) + "\\Shell32.dll";
}

// The "29" text of an overlay icon of the image library.
std::string LibraryOverlay(Context& context, int index) {
  return ImageLibraryPath(context.programDir) + "," + std::to_string(index);
}

void ShowIcon(Context& context, const std::string& file, int index) {
  context.Get<ui::Image>("ImgShotcut2")
      .SetPicture(context.platform.library->ExtractIconPicture(file, index));
}

void ShowLibraryIcon(Context& context, int index) {
  context.Get<ui::Image>("ImgShotcut2")
      .SetPicture(LoadLibraryIcon(*context.platform.library, context.programDir, index));
}

// Every overlay button marks the icon cache for a rebuild; only "Выбрать" offers the picker.
void OverlayChosen(Context& context, bool browse) {
  context.state.iconRefreshPending = true;
  context.Get("btnShotcutBrowse").SetEnabled(browse);
}

// The standard arrow in the module state and the picture: the state a failed load leaves.
void UseStandardArrow(Context& context) {
  ShowIcon(context, StandardArrowFile(context), kStandardArrow);
  context.state.iconIndex = kStandardArrow;
  context.state.iconFilePath = StandardArrowFile(context);
}

// "file,index" as stored in "29". A text without a comma, without an integer after it, or
// naming a file longer than the overlay's path holds raises.
std::pair<std::string, std::int32_t> SplitOverlay(const std::string& text) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) throw StoreError("'" + text + "' names no icon index");
  std::string file = text.substr(0, comma);
  if (file.size() > kIconFilePathLimit) throw StoreError("Icon file name too long: " + file);
  const std::string number = text.substr(comma + 1);
  const auto index = TryParseInteger(number);
  if (!index) throw StoreError("'" + number + "' is not a valid integer value");
  return {std::move(file), *index};
}

std::string BootBatchFile(Context& context) {
  return GetBootDrive(*context.platform.system) + "\\Autoexec.bat";
}

// "DELTREE /y " + the temporary folder + "*.*"; none when the system cannot name the folder,
// for the line would then clear the boot drive's current folder.
std::optional<std::string> AutoClearLine(Context& context) {
  const std::string temp = GetTempDir(*context.platform.system);
  if (temp.find_first_not_of(' ') == std::string::npos) return std::nullopt;
  return "DELTREE /y " + temp + "*.*";
}

auto FindLine(std::vector<std::string>& lines, const std::string& wanted) {
  return std::find_if(lines.begin(), lines.end(),
                      [&](const std::string& line) { return EqualNoCaseCp1251(line, wanted); });
}

// The boot batch file's lines; none when there is no such file.
std::vector<std::string> ReadBootBatchLines(Context& context, const std::string& file) {
  if (!context.platform.files->Exists(file)) return {};
  return ReadTextLines(*context.platform.textFiles, file);
}

// The boot batch file unprotected for the routine, then read-only and archive whichever way
// the routine ends.
class UnprotectedFile {
 public:
  UnprotectedFile(Files& files, std::string path) : files_(files), path_(std::move(path)) {
    if (files_.Exists(path_)) files_.SetAttributes(path_, 0);
  }
  ~UnprotectedFile() {
    if (files_.Exists(path_)) files_.SetAttributes(path_, kReadOnlyArchive);
  }
  UnprotectedFile(const UnprotectedFile&) = delete;
  UnprotectedFile& operator=(const UnprotectedFile&) = delete;

 private:
  Files& files_;
  std::string path_;
};

}  // namespace

std::span<const ui::ControlSpec> ServicePageControls() { return Controls(); }

void BindServicePage(Context& context) {
  Radio(context, 1).onClick = [&context] { rbShotcuts1Click(context); };
  Radio(context, 2).onClick = [&context] { rbShotcuts2Click(context); };
  Radio(context, 3).onClick = [&context] { rbShotcuts3Click(context); };
  Radio(context, 4).onClick = [&context] { rbShotcuts4Click(context); };
  context.Get("btnShotcutBrowse").onClick = [&context] { btnShotcutBrowseClick(context); };
}

void rbShotcuts1Click(Context& context) {
  OverlayChosen(context, false);
  ShowIcon(context, StandardArrowFile(context), kStandardArrow);
}

void rbShotcuts2Click(Context& context) {
  OverlayChosen(context, false);
  ShowLibraryIcon(context, kSmallArrow);
}

void rbShotcuts3Click(Context& context) {
  OverlayChosen(context, false);
  ShowLibraryIcon(context, kNoArrow);
}

void rbShotcuts4Click(Context& context) { OverlayChosen(context, true); }

void btnShotcutBrowseClick(Context& context) {
  std::string file = context.state.iconFilePath;
  int index = context.state.iconIndex;
  if (!context.platform.dialogs->PickIcon(file, index)) return;
  if (file.size() > kIconFilePathLimit) return;  // more than the overlay's path holds
  context.state.iconFilePath = file;
  context.state.iconIndex = index;
  if (index != -1) ShowIcon(context, file, index);
}

void LoadServicePage(Context& context) {
  RunRegistryRule(
      *context.platform.registry, regroot::LocalMachine,
      [&](RegStore& store) {
        if (!store.OpenPath(kShellIcons, false)) return;
        if (store.HasValue(kOverlayValue)) {
          Radio(context, 4).SetChecked(true);
          auto [file, index] = SplitOverlay(store.ReadText(kOverlayValue));
          context.state.iconFilePath = std::move(file);
          context.state.iconIndex = index;
          ShowIcon(context, context.state.iconFilePath, index);
        } else {
          Radio(context, 1).SetChecked(true);
          UseStandardArrow(context);
        }
        const std::string stored =
            store.HasValue(kOverlayValue) ? store.ReadText(kOverlayValue) : std::string();
        for (const int index : {kSmallArrow, kNoArrow}) {
          if (stored != LibraryOverlay(context, index)) continue;
          Radio(context, index == kSmallArrow ? 2 : 3).SetChecked(true);
          context.state.iconIndex = index;
          ShowLibraryIcon(context, index);
        }
      },
      [&] { UseStandardArrow(context); });
}

void ApplyServicePage(Context& context) {
  RunRegistryRule(*context.platform.registry, regroot::LocalMachine, [&](RegStore& store) {
    if (Radio(context, 1).Checked()) {
      if (store.OpenPath(kShellIcons, false) && store.HasValue(kOverlayValue))
        store.RemoveValue(kOverlayValue);
      return;
    }
    if (!store.OpenPath(kShellIcons, true)) return;  // made only for a value written into it
    if (Radio(context, 2).Checked()) {
      store.WriteText(kOverlayValue, LibraryOverlay(context, kSmallArrow));
    } else if (Radio(context, 3).Checked()) {
      store.WriteText(kOverlayValue, LibraryOverlay(context, kNoArrow));
    } else if (Radio(context, 4).Checked()) {
      store.WriteText(kOverlayValue, context.state.iconFilePath + "," +
                                         std::to_string(context.state.iconIndex));
    }
  });
}

void LoadTempAutoClear(Context& context) {
  const std::string file = BootBatchFile(context);
  UnprotectedFile unprotected(*context.platform.files, file);
  // Many machines have no Autoexec.bat: that is no auto-clear line.
  std::vector<std::string> lines = ReadBootBatchLines(context, file);
  auto& box = context.Get<ui::CheckBox>("cbAutoClearTempFolder");
  const auto line = AutoClearLine(context);
  box.SetEnabled(line.has_value());
  if (!line) {
    box.SetChecked(false);
    context.Get("lbDescriptionsAutoClear")
        .SetText("(Система не сообщает папку временных файлов:\rавтоочистка недоступна.)");
    return;
  }
  box.SetChecked(FindLine(lines, *line) != lines.end());
}

void ApplyTempAutoClear(Context& context) {
  const std::string file = BootBatchFile(context);
  UnprotectedFile unprotected(*context.platform.files, file);
  const bool exists = context.platform.files->Exists(file);
  std::vector<std::string> lines = ReadBootBatchLines(context, file);
  if (const auto line = AutoClearLine(context)) {
    const auto found = FindLine(lines, *line);
    if (context.Get<ui::CheckBox>("cbAutoClearTempFolder").Checked()) {
      if (found == lines.end()) lines.push_back(*line);
    } else if (found != lines.end()) {
      lines.erase(found);
    }
  }
  // A missing file is made only to hold the line.
  if (!exists && lines.empty()) return;
  WriteTextLines(*context.platform.textFiles, file, lines);
}

}  // namespace vlx
