// TfrmChange: the modeless dialog in which an uninstall entry is changed or created.
#pragma once
#include <span>

#include "ui/form_spec.h"

namespace vlx {

class Context;

std::span<const ui::ControlSpec> ChangeFormTable();
// The dialog's size, caption and handlers.
void BindChangeForm(Context& ctx);

// Places the dialog 40 pixels right of and 230 below the main window's corner and shows it.
void ShowChangeForm(Context& ctx);
void HideChangeForm(Context& ctx);

// The dialog's handlers, named as the dialog binds them.
namespace changeform {
// OK is enabled exactly when both edits hold text.
void txtDnChange(Context& ctx);
void txtUnstrChange(Context& ctx);
// Enter acts as OK while OK is enabled.
void txtDnKeyPress(Context& ctx, char key);
void txtUnstrKeyPress(Context& ctx, char key);
void btnChangeClick(Context& ctx);
void btnCloseClick(Context& ctx);
// The dialog sees every key first: Escape hides it.
void FormKeyDown(Context& ctx, char key);
}  // namespace changeform

}  // namespace vlx
