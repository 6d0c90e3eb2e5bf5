#include "ui/user_action.h"

#include <algorithm>

#include "ui/form.h"

namespace vlx::ui {

namespace {

[[noreturn]] void Refuse(const Control& control, const std::string& what) {
  throw ActionRefused(control.Name() + " (" + KindName(control.kind()) + ") " + what);
}

void RequireReachable(const Control& control) {
  if (!control.Reachable()) Refuse(control, "is disabled or hidden");
}

template <class T>
T& As(Control& control, const char* action) {
  auto* typed = dynamic_cast<T*>(&control);
  if (!typed) Refuse(control, std::string("cannot take '") + action + "'");
  return *typed;
}

void Fire(const Handler& handler) {
  if (handler) handler();
}

}  // namespace

void UserClick(Control& control) {
  RequireReachable(control);
  switch (control.kind()) {
    case Kind::CheckBox: {
      auto& box = static_cast<CheckBox&>(control);
      box.SetChecked(!box.Checked());  // runs onClick
      return;
    }
    case Kind::RadioButton: {
      // A click on the checked button changes nothing and runs nothing.
      static_cast<CheckBox&>(control).SetChecked(true);
      return;
    }
    case Kind::SpeedButton: {
      auto& speed = static_cast<SpeedButton&>(control);
      if (speed.GroupIndex() != 0) speed.SetDown(speed.AllowAllUp() ? !speed.Down() : true);
      Fire(control.onClick);
      return;
    }
    case Kind::Button:
    case Kind::Image:
    case Kind::MenuItem:
    case Kind::Label:
    case Kind::Panel:
      Fire(control.onClick);
      return;
    default:
      Refuse(control, "cannot be clicked");
  }
}

void UserCheck(Control& control, bool on) {
  auto& box = As<CheckBox>(control, "check");
  RequireReachable(control);
  if (box.Checked() == on) return;
  // A radio button cannot be unchecked by a person; a click only ever checks it.
  if (control.kind() == Kind::RadioButton && !on) Refuse(control, "cannot be unchecked by a click");
  UserClick(control);
}

void UserCheckItem(Control& control, int index, bool on) {
  if (control.kind() != Kind::CheckListBox) Refuse(control, "has no check items");
  auto& list = static_cast<ListControl&>(control);
  RequireReachable(control);
  if (index < 0 || index >= list.Count()) Refuse(control, "has no item " + std::to_string(index));
  if (list.ItemChecked(index) == on) return;
  list.SetItemIndex(index);
  list.SetItemChecked(index, on);
  Fire(list.onClickCheck);
}

void UserSelect(Control& control, int index) {
  auto& list = As<ListControl>(control, "select");
  RequireReachable(control);
  if (index < -1 || index >= list.SelectableCount()) {
    Refuse(control, "has no item " + std::to_string(index));
  }
  switch (control.kind()) {
    case Kind::TabControl:
      if (index < 0) Refuse(control, "always shows a tab");
      if (list.ItemIndex() == index) return;
      list.SetItemIndex(index);
      Fire(control.onChange);
      return;
    case Kind::ComboBox: {
      auto& combo = static_cast<ComboBox&>(list);
      list.SetItemIndex(index);
      if (combo.DropDownList()) combo.Control::SetText(combo.SelectedText());
      Fire(control.onChange);
      return;
    }
    default:
      list.SetItemIndex(index);
      Fire(control.onClick);
      return;
  }
}

void UserStepTab(Control& control, bool forward) {
  auto& tabs = As<TabControl>(control, "step through");
  const int count = tabs.TabCount();
  if (count == 0) Refuse(control, "has no tabs");
  const int from = std::max(tabs.ItemIndex(), 0);
  UserSelect(control, (from + (forward ? 1 : count - 1)) % count);
}

void UserType(Control& control, const std::string& text) {
  RequireReachable(control);
  switch (control.kind()) {
    case Kind::Edit:
    case Kind::Memo:
      if (static_cast<Edit&>(control).ReadOnly()) Refuse(control, "is read-only");
      control.SetText(text);
      return;
    case Kind::SpinEdit:
      control.SetText(text);
      return;
    case Kind::ComboBox: {
      auto& combo = static_cast<ComboBox&>(control);
      if (combo.DropDownList()) Refuse(control, "takes no typing");
      combo.Control::SetText(text);
      Fire(control.onChange);
      return;
    }
    default:
      Refuse(control, "takes no typing");
  }
}

void UserKey(Control& control, char key) {
  RequireReachable(control);
  if (control.onKeyPress) control.onKeyPress(key);
}

void UserSet(Control& control, int position) {
  auto& range = As<RangeControl>(control, "set");
  RequireReachable(control);
  range.SetPosition(position);
}

void RequireAction(const Control& control, const std::string& action, int index) {
  const Kind kind = control.kind();
  auto* list = dynamic_cast<const ListControl*>(&control);
  bool takes = true;
  if (action == "click") {
    takes = kind == Kind::CheckBox || kind == Kind::RadioButton || kind == Kind::SpeedButton ||
            kind == Kind::Button || kind == Kind::Image || kind == Kind::MenuItem ||
            kind == Kind::Label || kind == Kind::Panel;
    if (!takes) Refuse(control, "cannot be clicked");
  } else if (action == "check") {
    takes = dynamic_cast<const CheckBox*>(&control) != nullptr;
  } else if (action == "item") {
    if (kind != Kind::CheckListBox) Refuse(control, "has no check items");
  } else if (action == "select") {
    takes = list != nullptr;
  } else if (action == "type") {
    auto* combo = dynamic_cast<const ComboBox*>(&control);
    if ((kind != Kind::Edit && kind != Kind::Memo && kind != Kind::SpinEdit && !combo) ||
        (combo && combo->DropDownList()))
      Refuse(control, "takes no typing");
  } else if (action == "set") {
    takes = dynamic_cast<const RangeControl*>(&control) != nullptr;
  }
  if (!takes) Refuse(control, "cannot take '" + action + "'");
  // Items that are there before the first action; a list filled later is checked when used.
  const bool counted = kind == Kind::ComboBox || kind == Kind::CheckListBox || kind == Kind::TabControl;
  if (list && counted && list->SelectableCount() > 0 &&
      ((action == "select" && (index < -1 || index >= list->SelectableCount())) ||
       (action == "item" && (index < 0 || index >= list->Count()))))
    Refuse(control, "has no item " + std::to_string(index));
}

void UserDoubleClick(Control& control) {
  RequireReachable(control);
  Fire(control.onDblClick);
}

}  // namespace vlx::ui
