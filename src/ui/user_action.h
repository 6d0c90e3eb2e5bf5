// What a person does to a control, through the same setters code uses, plus the handlers the
// platform runs only for input. Each raises ActionRefused when the control cannot take the action
// (wrong kind, disabled or hidden, index out of range).
#pragma once
#include <string>

#include "ui/control.h"

namespace vlx::ui {

// Button, speed button, check box (toggles), radio button (checks), image, menu item.
void UserClick(Control& control);
// Check box or radio button to a state: clicks only when the state differs.
void UserCheck(Control& control, bool on);
// Check list box item: toggles it when the state differs and runs onClickCheck.
void UserCheckItem(Control& control, int index, bool on);
// List box, combo box, tab set or page control, list view row; -1 clears. Runs onChange for
// combo boxes and tab controls, onClick for list boxes and list views.
void UserSelect(Control& control, int index);
// Ctrl+Tab (forward) or Ctrl+Shift+Tab on a tab control: the next or previous tab, wrapping
// round at either end, selected as a click on it would.
void UserStepTab(Control& control, bool forward);
// Replaces the text of an edit, memo, spin edit or editable combo box as typing would.
void UserType(Control& control, const std::string& text);
// Enter (13) or Escape (27) pressed on the control: onKeyPress.
void UserKey(Control& control, char key);
// Slider or spin edit moved to a position (clamped).
void UserSet(Control& control, int position);
// Double click: onDblClick.
void UserDoubleClick(Control& control);

// The check a front end makes before it acts at all: raises ActionRefused, with the text the
// action itself would raise, when no control of this kind takes `action` ("click", "check",
// "item", "select", "type", "set"), or when a combo box, check list box or tab control that has
// items has no item `index`. What depends on the moment (enabled, shown) is left to the action.
void RequireAction(const Control& control, const std::string& action, int index = 0);

}  // namespace vlx::ui
