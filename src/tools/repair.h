// The Repair page (TabSheet8): five rewrites of shell configuration with built-in data, run at
// once by the "Ремонт !" button; and the icon cache refresh shared with the apply cycle.
#pragma once
#include <span>
#include <string>
#include <vector>

#include "app/context.h"
#include "platform/win_types.h"
#include "ui/form_spec.h"

namespace vlx {

std::span<const ui::ControlSpec> RepairPageControls();
void BindRepairPage(Context& context);

enum class RepairItem { Icons = 0, Associations, Thumbnails, RecycleBin, Fonts, Count };

// The description of an item: its lines joined by carriage returns.
std::string RepairDescription(RepairItem item);

// Load-all: item 0 selected and described.
void LoadRepairSelector(Context& context);
void cbRepairSelectedChange(Context& context);
void btnRepairClick(Context& context);

// The shell rebuilds its icon cache when the icon size changes: one smaller, then as it was.
// False when "Shell Icon Size" is absent or empty; a size that is no number raises.
bool RefreshShellIcons(Platform& platform);
void RefreshShellIcons(Context& context);
// WM_WININICHANGE with SPI_SETNONCLIENTMETRICS to every top-level window, 10 s each at most.
void BroadcastMetricsChange(Desktop& desktop);

// One association routine: the .exe, .cab or .inf data under HKEY_CLASSES_ROOT or, with
// "\Software\CLASSES" in front, under HKEY_LOCAL_MACHINE. Rows whose key does not open are
// skipped; a refused write raises.
enum class Association { Exe, Cab, Inf };
void RepairAssociation(Platform& platform, Association association, RegKey root);
void RepairAudioCdAssociation(Platform& platform);
void RepairThumbnails(Platform& platform, RegKey root);
// The Desktop.ini of the Recycle Bin or the Fonts folder from the image library.
void RepairRecycleBin(Context& context);
void RepairFontsFolder(Context& context);

}  // namespace vlx
