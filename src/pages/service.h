// The Service page (TabSheet12): the shortcut overlay and the temporary folder's clean-up at
// start through the boot drive's Autoexec.bat.
#pragma once
#include <span>

#include "app/context.h"
#include "ui/form_spec.h"

namespace vlx {

std::span<const ui::ControlSpec> ServicePageControls();
void BindServicePage(Context& context);

// The icon file of a chosen overlay holds at most this many characters.
inline constexpr std::size_t kIconFilePathLimit = 259;

void LoadServicePage(Context& context);
void ApplyServicePage(Context& context);
// Raise StoreError "Cannot open file %s" when the boot batch file cannot be read, and
// "Unable to write to %s" when it cannot be replaced. A missing file reads as one without the
// line; apply creates it only to hold the line.
void LoadTempAutoClear(Context& context);
void ApplyTempAutoClear(Context& context);

void rbShotcuts1Click(Context& context);
void rbShotcuts2Click(Context& context);
void rbShotcuts3Click(Context& context);
void rbShotcuts4Click(Context& context);
void btnShotcutBrowseClick(Context& context);

}  // namespace vlx
