// The page "Процесс": the running processes and the top-level windows, terminate and close.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/top_windows.h"
#include "ui/form_spec.h"

namespace vlx {

class Context;

// The page's controls and popup menu items.
std::span<const ui::ControlSpec> ProcessPageTable();
// Connects the page's handlers (menus, tab set) and the list views' sorting.
void BindProcessPage(Context& ctx);

// Page switch work and "Обновить...".
void LoadProcessList(Context& ctx);
void LoadWindowList(Context& ctx);
// "Завершить процесс..." and "Закрыть окно...": each waits 500 ms, then reloads both lists.
void KillSelectedProcess(Context& ctx);
void CloseSelectedWindow(Context& ctx);
// The tab set: shows the process or the window list.
void tbSelectProcessClick(Context& ctx);

namespace process {

// The text after the last backslash or colon of an executable path.
std::string ModuleName(const std::string& exePath);
// "$" and upper-case hexadecimal digits without leading zeros ("$FFFE44F9").
std::string FormatProcessId(std::uint32_t id);
// Reads a "$" hexadecimal identifier back as an unsigned 32-bit value.
std::optional<std::uint32_t> ParseProcessId(const std::string& text);
// The base priority with its class word: 4 "4 (Idle)", 8 "8 (Norm)", 13 "13 (High)",
// 24 "24 (Real)", anything else the plain number.
std::string PriorityText(std::int32_t basePriority);
// A window handle as a signed 32-bit decimal number, and back (sign-extended as HWNDs are).
std::string FormatWindowHandle(WindowHandle window);
std::optional<WindowHandle> ParseWindowHandle(const std::string& text);

constexpr const char* kPromptProcess = "Выберите процесс для завершения...";
constexpr const char* kPromptWindow = "Выберите окно для закрытия...";

}  // namespace process
}  // namespace vlx
