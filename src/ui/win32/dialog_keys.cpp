#include "ui/win32/dialog_keys.h"

#include <algorithm>
#include <map>
#include <vector>

#include "ui/user_action.h"
#include "ui/win32/native_form.h"

namespace vlx::ui::win32 {

namespace {

// The radio buttons a radio button is exclusive with (itself included), in creation order.
std::vector<Control*> RadioGroupOf(const Control& radio) {
  std::vector<Control*> group;
  const Control* parent = radio.Parent();
  if (!parent) return group;
  for (Control* sibling : parent->Children())
    if (sibling->kind() == Kind::RadioButton) group.push_back(sibling);
  return group;
}

void SetStyleBit(HWND window, LONG_PTR bit, bool on) {
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  const LONG_PTR wanted = on ? (style | bit) : (style & ~bit);
  if (wanted != style) SetWindowLongPtrA(window, GWL_STYLE, wanted);
}

// The first window below `parent` that Tab can reach, looking into control parents (tab
// sheets, group boxes, panels) in z-order, the order Tab visits them in.
HWND FirstTabStop(HWND parent) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
    if (GetWindowLongPtrA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
      if (HWND inner = FirstTabStop(child)) return inner;
      continue;
    }
    if (GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP) return child;
  }
  return nullptr;
}

}  // namespace

DWORD GroupStyle(const Control& control) {
  if (control.kind() != Kind::RadioButton) return WS_GROUP;
  const std::vector<Control*> group = RadioGroupOf(control);
  return !group.empty() && group.front() == &control ? WS_GROUP | WS_TABSTOP : 0;
}

void PlaceRadioTabStop(const NativeForm& native, const Control& radio) {
  const std::vector<Control*> group = RadioGroupOf(radio);
  const Control* stop = nullptr;
  for (const Control* member : group)
    if (native.WindowOf(*member) && static_cast<const CheckBox*>(member)->Checked()) {
      stop = member;
      break;
    }
  if (!stop)
    for (const Control* member : group)
      if (native.WindowOf(*member)) {
        stop = member;
        break;
      }
  for (const Control* member : group)
    if (HWND window = native.WindowOf(*member)) SetStyleBit(window, WS_TABSTOP, member == stop);
}

void OrderTabStops(const NativeForm& native, const Form& form) {
  std::map<HWND, std::map<HWND, int>> ordered;  // native parent -> window -> tab order
  for (const Control* control : form.Controls())
    if (control->TabOrder() >= 0)
      if (HWND window = native.WindowOf(*control))
        ordered[GetParent(window)][window] = control->TabOrder();
  for (auto& [parent, orders] : ordered) {
    std::vector<HWND> siblings, movable;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      siblings.push_back(child);
      if (orders.count(child)) movable.push_back(child);
    }
    std::stable_sort(movable.begin(), movable.end(),
                     [&orders](HWND a, HWND b) { return orders.at(a) < orders.at(b); });
    std::vector<HWND> wanted = siblings;
    auto next = movable.begin();
    for (HWND& slot : wanted)
      if (orders.count(slot)) slot = *next++;
    if (wanted == siblings) continue;
    HWND after = HWND_TOP;
    for (HWND window : wanted) {
      SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      after = window;
    }
  }
}

DialogKeys::DialogKeys(Form& form, const NativeForm& native, HWND host, ActionRunner runAction)
    : form_(form), native_(native), host_(host), runAction_(std::move(runAction)) {
  if (const Control* button = FindButton(true)) shownDefault_ = native_.WindowOf(*button);
}

Control* DialogKeys::FindButton(bool wantDefault) const {
  for (Control* control : form_.Controls())
    if (const auto* button = dynamic_cast<const Button*>(control))
      if (control->kind() == Kind::Button && (wantDefault ? button->isDefault : button->cancel))
        return control;
  return nullptr;
}

bool DialogKeys::CanFocus(HWND window) const {
  return window && IsWindow(window) && IsChild(host_, window) && IsWindowVisible(window) &&
         IsWindowEnabled(window);
}

// While a push button has the focus it is the one Enter presses and it shows as the default
// button; elsewhere the form's default button does.
void DialogKeys::Track() {
  HWND focus = GetFocus();
  if (!focus || !IsChild(host_, focus)) return;
  lastFocus_ = focus;
  const Control* focused = native_.ControlOf(focus);
  const Control* fallback = FindButton(true);
  if (focused && focused->kind() == Kind::Button)
    ShowDefault(focus);
  else
    ShowDefault(fallback ? native_.WindowOf(*fallback) : nullptr);
}

// The dialog navigation of the system restyles push buttons on its own as well: the styles are
// compared with what they should be, not with what was set last.
void DialogKeys::ShowDefault(HWND button) {
  const auto type = [](HWND window) { return GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK; };
  if (shownDefault_ && shownDefault_ != button && IsWindow(shownDefault_) &&
      type(shownDefault_) == BS_DEFPUSHBUTTON)
    SendMessageA(shownDefault_, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  if (button && type(button) != BS_DEFPUSHBUTTON)
    SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  shownDefault_ = button;
}

LRESULT DialogKeys::DefaultId() const {
  const Control* button = FindButton(true);
  HWND window = button ? native_.WindowOf(*button) : nullptr;
  return window ? MAKELRESULT(GetDlgCtrlID(window), DC_HASDEFID) : 0;
}

// A button Enter or Escape stands for takes the key even while it cannot be pressed.
bool DialogKeys::PressButton(Control* button) {
  if (!button) return false;
  if (button->Reachable()) runAction_([button] { UserClick(*button); });
  return true;
}

bool DialogKeys::StepRadio(Control& radio, bool forward) {
  std::vector<Control*> group = RadioGroupOf(radio);
  group.erase(std::remove_if(group.begin(), group.end(),
                             [&](const Control* c) {
                               return c != &radio && (!c->Reachable() || !native_.WindowOf(*c));
                             }),
              group.end());
  const auto at = std::find(group.begin(), group.end(), &radio);
  if (at == group.end() || group.size() < 2) return true;
  const std::size_t index = static_cast<std::size_t>(at - group.begin());
  const std::size_t count = group.size();
  Control* next = group[forward ? (index + 1) % count : (index + count - 1) % count];
  ::SetFocus(native_.WindowOf(*next));
  if (!static_cast<CheckBox*>(next)->Checked()) runAction_([next] { UserClick(*next); });
  return true;
}

bool DialogKeys::Translate(const MSG& msg) {
  Track();
  if (msg.message != WM_KEYDOWN) return false;
  if (msg.hwnd != host_ && !IsChild(host_, msg.hwnd)) return false;
  if (GetKeyState(VK_CONTROL) < 0) return false;
  MSG copy = msg;
  const LRESULT code =
      SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&copy));
  Control* focused = native_.ControlOf(msg.hwnd);
  switch (msg.wParam) {
    case VK_ESCAPE:
      if (code & DLGC_WANTMESSAGE) return false;  // an open drop-down list closes itself
      return PressButton(FindButton(false));
    case VK_RETURN:
      if (code & (DLGC_WANTMESSAGE | DLGC_WANTALLKEYS)) return false;  // a memo's new line
      if (focused && focused->kind() == Kind::Button) return PressButton(focused);
      return PressButton(FindButton(true));
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      if (!focused || focused->kind() != Kind::RadioButton) return false;
      return StepRadio(*focused, msg.wParam == VK_RIGHT || msg.wParam == VK_DOWN);
    default:
      return false;
  }
}

void DialogKeys::FocusFirst() {
  HWND first = FirstTabStop(host_);
  if (!first) return;
  ::SetFocus(first);
  lastFocus_ = first;
}

void DialogKeys::RestoreFocus() {
  if (CanFocus(lastFocus_))
    ::SetFocus(lastFocus_);
  else
    FocusFirst();
}

}  // namespace vlx::ui::win32
