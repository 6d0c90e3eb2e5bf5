// The page "Установка/Удаление": the uninstall entries of HKEY_LOCAL_MACHINE, listed by their
// descriptions; delete, change, create an entry, run an uninstaller.
#pragma once
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "ui/form_spec.h"

namespace vlx {

class Context;

// What the page keeps between its operations, for the life of the program.
struct UninstallState {
  // Subkey names of the uninstall key in enumeration order, as the last listing took them;
  // the operations on a selected item walk this list, not the registry's current subkeys.
  std::vector<std::string> keyNames;
  std::string editMode;       // "Change" or "New"; empty until the dialog first opens
  std::string editedKeyPath;  // the entry the dialog changes in mode "Change"
};

namespace uninstall {
constexpr const char* kListKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kDisplayName = "DisplayName";
constexpr const char* kUninstallString = "UninstallString";

// "VOLNRX-" + month/day/year(hour:minute:second), numbers without leading zeros.
std::string NewEntryKeyName(const LocalTime& time);
// The full key path of an entry.
std::string EntryKeyPath(const std::string& subkey);
}  // namespace uninstall

std::span<const ui::ControlSpec> UninstallPageTable();
// Connects the list's and the popup menu's handlers.
void BindUninstallPage(Context& ctx);

void LoadUninstallList(Context& ctx);
void DeleteUninstallEntry(Context& ctx);
void BeginChangeEntry(Context& ctx);
void BeginNewEntry(Context& ctx);
void RunUninstaller(Context& ctx);
void SaveChangedEntry(Context& ctx);
void SaveNewEntry(Context& ctx);

// Handlers of the list and its popup menu. All but "Обновить..." need a selected item.
void nDeleteClick(Context& ctx);
void nChangeClick(Context& ctx);
void nNewClick(Context& ctx);
void nUninstallClick(Context& ctx);
void nRefrashClick(Context& ctx);
void lstProgrammsDblClick(Context& ctx);
void lstProgrammsKeyPress(Context& ctx, char key);
// A mouse button pressed over the list: the item under the pointer (-1 below the last item)
// becomes the selection, so a right click selects before the popup menu opens.
void lstProgrammsMouseDown(Context& ctx, int item);

}  // namespace vlx
