// The Explorer page (TabSheet10): shell switches in a check list, hidden files and extensions,
// two system drivers from the image library and the "vxeject.dll" shell extension.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/context.h"
#include "rules/tweak_rule.h"
#include "ui/form_spec.h"

namespace vlx {

std::span<const ui::ControlSpec> ExplorerPageControls();

// Sixteen steps in order; steps 9 and 10 are the User page's rules.
void LoadExplorerPage(Context& context);
void ApplyExplorerPage(Context& context);

// Rules 1 to 8 and, after the User page, rules 11 and 13 (the plain tweak rules).
const std::vector<TweakRule>& ExplorerRulesBeforeUser();
const std::vector<TweakRule>& ExplorerUpdateModeRule();
const std::vector<TweakRule>& ExplorerSaveSettingsRule();

// The size that marks the replacement CD driver.
inline constexpr std::int64_t kReplacementCdDriverSize = 79098;

// The default value of a key opened for query only; empty when absent or unreadable.
std::string ReadClassDefault(Registry& registry, RegKey root, const std::string& keyPath);
// The size of the first file a directory search for `path` finds; -1 when none.
std::int64_t GetFileSizeByName(FileOps& fileOps, const std::string& path);
// Calls "DllUnregisterServer" (entry 0) or "DllRegisterServer" (entry 1) of a library by path.
bool CallRegistrationEntry(Library& library, const std::string& path, int entry);

}  // namespace vlx
