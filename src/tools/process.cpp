#include "tools/process.h"

#include <charconv>
#include <vector>

#include "app/context.h"
#include "ui/form.h"

namespace vlx {

namespace process {

std::string ModuleName(const std::string& exePath) {
  const auto cut = exePath.find_last_of("\\:");
  return cut == std::string::npos ? exePath : exePath.substr(cut + 1);
}

std::string FormatProcessId(std::uint32_t id) {
  char digits[9];
  const auto end = std::to_chars(digits, digits + sizeof digits, id, 16).ptr;
  std::string text(1, '$');
  text.append(digits, end);
  for (char& c : text)
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::optional<std::uint32_t> ParseProcessId(const std::string& text) {
  if (text.size() < 2 || text[0] != '$') return std::nullopt;
  std::uint32_t id = 0;
  const auto [end, error] = std::from_chars(text.data() + 1, text.data() + text.size(), id, 16);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return id;
}

std::string PriorityText(std::int32_t basePriority) {
  const std::string number = std::to_string(basePriority);
  switch (basePriority) {
    case 4: return number + " (Idle)";
    case 8: return number + " (Norm)";
    case 13: return number + " (High)";
    case 24: return number + " (Real)";
    default: return number;
  }
}

std::string FormatWindowHandle(WindowHandle window) {
  return std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(window)));
}

std::optional<WindowHandle> ParseWindowHandle(const std::string& text) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return static_cast<WindowHandle>(static_cast<std::intptr_t>(value));
}

}  // namespace process

namespace {

using ui::Kind;

const ui::Font kTabSetFont{.name = "MS Sans Serif", .height = 11};

const ui::ControlSpec kProcessPage[] = {
    {.kind = Kind::Label,
     .name = "lbProcessDescription",
     .parent = "TabSheet2",
     .bounds = {8, 8, 321, 26},
     .caption = "Здесь Вы можете завершить любой процесс, в том числе \r\n"
                "и  \"зависший\",  или закрыть окно."},
    {.kind = Kind::ListView,
     .name = "lvProcess",
     .parent = "TabSheet2",
     .bounds = {8, 40, 321, 241},
     .columns = {{"Имя модуля", 120},
                 {"Идентификатор", 70},
                 {"Приоритет", 60},
                 {"Нить", 30},
                 {"Путь", 250}},
     .popupMenu = "pmKillProcess"},
    {.kind = Kind::ListView,
     .name = "lvWindows",
     .parent = "TabSheet2",
     .bounds = {8, 40, 321, 241},
     .visible = false,
     .columns = {{"Имя окна", 120},
                 {"Дескриптор", 50},
                 {"Идентификатор владельца", 70},
                 {"Имя владельца", 120}},
     .sorted = true,
     .popupMenu = "pmCloseWindows"},
    {.kind = Kind::TabControl,
     .name = "tbSelectProcess",
     .parent = "TabSheet2",
     .bounds = {8, 281, 321, 21},
     .items = {" Процессы ", " Окна "},
     .font = kTabSetFont},
    {.kind = Kind::Label,
     .name = "lbMessages",
     .parent = "TabSheet2",
     .bounds = {8, 308, 321, 13},
     .caption = "Process Messages"},

    {.kind = Kind::MenuItem,
     .name = "nKillProcess",
     .parent = "pmKillProcess",
     .caption = "Завершить процесс..."},
    {.kind = Kind::MenuItem, .name = "nLine3", .parent = "pmKillProcess", .caption = "-"},
    {.kind = Kind::MenuItem,
     .name = "nRefreshProcess",
     .parent = "pmKillProcess",
     .caption = "Обновить..."},
    {.kind = Kind::MenuItem,
     .name = "nCloseWindows",
     .parent = "pmCloseWindows",
     .caption = "Закрыть окно..."},
    {.kind = Kind::MenuItem, .name = "nLine4", .parent = "pmCloseWindows", .caption = "-"},
    {.kind = Kind::MenuItem,
     .name = "nRefreshWindows",
     .parent = "pmCloseWindows",
     .caption = "Обновить..."},
};

constexpr int kTitleBuffer = 255;
constexpr std::uint32_t kSettleMs = 500;

void SetMessage(Context& ctx, const std::string& text) { ctx.Get("lbMessages").SetText(text); }

// "Имя модуля" of the last process row with the identifier; empty when none has it.
std::string OwnerName(const ui::ListView& processes, const std::string& id) {
  std::string name;
  for (int row = 0; row < processes.Count(); ++row)
    if (processes.CellText(row, 1) == id) name = processes.CellText(row, 0);
  return name;
}

}  // namespace

std::span<const ui::ControlSpec> ProcessPageTable() { return kProcessPage; }

void BindProcessPage(Context& ctx) {
  ctx.Get<ui::ListView>("lvWindows").SetCaseSensitiveSort(true);  // lstrcmp order
  ctx.Get<ui::TabControl>("tbSelectProcess").SetActiveIndex(0);
  ctx.Get("tbSelectProcess").onChange = [&ctx] { tbSelectProcessClick(ctx); };
  ctx.Get("nKillProcess").onClick = [&ctx] { KillSelectedProcess(ctx); };
  ctx.Get("nRefreshProcess").onClick = [&ctx] { LoadProcessList(ctx); };
  ctx.Get("nCloseWindows").onClick = [&ctx] { CloseSelectedWindow(ctx); };
  ctx.Get("nRefreshWindows").onClick = [&ctx] { LoadWindowList(ctx); };
}

void LoadProcessList(Context& ctx) {
  Platform& platform = ctx.platform;
  std::vector<ProcessEntry> processes;
  if (!platform.processes->Snapshot(processes)) {
    SetMessage(ctx, "Внутренняя ошибка !");
    return;
  }
  auto& list = ctx.Get<ui::ListView>("lvProcess");
  list.Clear();
  for (const ProcessEntry& entry : processes) {
    ui::ListItem row;
    row.text = process::ModuleName(entry.exePath);
    row.sub = {process::FormatProcessId(entry.id), process::PriorityText(entry.basePriority),
               std::to_string(entry.threads), entry.exePath};
    row.icon = platform.library->ExtractIconPicture(entry.exePath, 0);
    if (row.icon.Empty()) row.icon = platform.shellFiles->WinLogoIcon();
    list.Add(std::move(row));
  }
}

void LoadWindowList(Context& ctx) {
  TopWindows& windows = *ctx.platform.windows;
  auto& list = ctx.Get<ui::ListView>("lvWindows");
  const auto& processes = ctx.Get<ui::ListView>("lvProcess");
  list.Clear();
  std::vector<WindowHandle> handles;
  windows.Enumerate(handles);
  for (WindowHandle handle : handles) {
    const std::uint32_t owner = windows.ProcessId(handle);
    const std::string title = windows.Text(handle, kTitleBuffer);
    if (title.empty()) continue;
    ui::ListItem row;
    row.icon = windows.ClassIcon(handle);
    row.text = title;
    const std::string ownerId = process::FormatProcessId(owner);
    row.sub = {process::FormatWindowHandle(handle), ownerId, OwnerName(processes, ownerId)};
    list.Add(std::move(row));
  }
}

void KillSelectedProcess(Context& ctx) {
  const auto& list = ctx.Get<ui::ListView>("lvProcess");
  const int row = list.ItemIndex();
  if (row < 0) {
    SetMessage(ctx, process::kPromptProcess);
    return;
  }
  const std::string name = list.CellText(row, 0);
  const auto id = process::ParseProcessId(list.CellText(row, 1));
  const bool ended = id && ctx.platform.processes->Terminate(*id, 0);
  SetMessage(ctx, ended ? std::string("Процесс успешно завершен !")
                        : "Невозможно завершить процесс: \"" + name + "\" !");
  ctx.platform.clock->Sleep(kSettleMs);
  LoadProcessList(ctx);
  LoadWindowList(ctx);
}

void CloseSelectedWindow(Context& ctx) {
  const auto& list = ctx.Get<ui::ListView>("lvWindows");
  const int row = list.ItemIndex();
  if (row < 0) {
    SetMessage(ctx, process::kPromptWindow);
    return;
  }
  if (const auto handle = process::ParseWindowHandle(list.CellText(row, 1)))
    ctx.platform.windows->Post(*handle, wm::Close, 0, 0);
  ctx.platform.clock->Sleep(kSettleMs);
  LoadWindowList(ctx);
  LoadProcessList(ctx);
  SetMessage(ctx, "Окно успешно закрыто !");
}

void tbSelectProcessClick(Context& ctx) {
  const bool windows = ctx.Get<ui::TabControl>("tbSelectProcess").ActiveIndex() == 1;
  ctx.Get("lvProcess").SetVisible(!windows);
  ctx.Get("lvWindows").SetVisible(windows);
  SetMessage(ctx, windows ? process::kPromptWindow : process::kPromptProcess);
}

}  // namespace vlx
