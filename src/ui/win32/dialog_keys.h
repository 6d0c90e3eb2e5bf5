// The keyboard of a form's window as the dialog manager of Windows 98 gives it to a dialog box:
// Enter presses the default button (or the push button that has the focus, which then shows as
// the default one), Escape the cancel button; the arrow keys move through a group of radio
// buttons and select the one they reach; the focus starts on the first control of the shown page
// and comes back to the control that had it when the window is active again (after a message
// box or a common dialog). Every press goes to the control model as a user action.
#pragma once
#include <windows.h>

#include <functional>

#include "ui/form.h"

namespace vlx::ui::win32 {

class NativeForm;

class DialogKeys {
 public:
  using ActionRunner = std::function<void(const std::function<void()>&)>;

  DialogKeys(Form& form, const NativeForm& native, HWND host, ActionRunner runAction);

  // A message the loop fetched, before the dialog navigation: notes where the focus is and
  // handles Enter, Escape and the arrows on radio buttons; true when handled.
  bool Translate(const MSG& msg);
  // The first control of the shown page, or the window's first control, takes the focus.
  void FocusFirst();
  // The window took the focus itself (activated again): the control that had it before gets it
  // back, or the first control when that one cannot take it any more.
  void RestoreFocus();
  // DM_GETDEFID: the default button's identifier, as a dialog box answers it.
  LRESULT DefaultId() const;

 private:
  void Track();
  void ShowDefault(HWND button);
  bool PressButton(Control* button);
  bool StepRadio(Control& radio, bool forward);
  Control* FindButton(bool wantDefault) const;
  bool CanFocus(HWND window) const;

  Form& form_;
  const NativeForm& native_;
  HWND host_;
  ActionRunner runAction_;
  HWND lastFocus_ = nullptr;      // the last control of this window seen with the focus
  HWND shownDefault_ = nullptr;   // the push button drawn as the default one
};

// Window styles a control's native window takes for the dialog navigation: a radio button that
// follows another of its parent is in that one's group and no tab stop of its own; every other
// control starts a group.
DWORD GroupStyle(const Control& control);
// The tab stop of a radio group sits on its checked button, or on its first when none is.
void PlaceRadioTabStop(const NativeForm& native, const Control& radio);
// Sibling windows of controls with a tab order take that order among the places they hold, so
// Tab visits them in it; the others keep their place.
void OrderTabStops(const NativeForm& native, const Form& form);

}  // namespace vlx::ui::win32
