// The window's answer to an error that escapes an event handler: a message box titled with the
// application title, OK button and error icon.
#pragma once
#include <exception>
#include <string>
#include <utility>

#include "app/context.h"
#include "ui/form.h"

namespace vlx {

// The message followed by a full stop when its last character's code is above that of ".".
std::string ErrorBoxText(const std::string& message);
void ShowErrorBox(Context& ctx, const std::exception& error);

// Runs an event handler; an error that escapes it is shown in the error box and the rest of the
// handler is skipped. Returns false when that happened. A refused user action is no error of
// the program: it goes back to the front end that asked for it.
template <class Handler>
bool RunEvent(Context& ctx, Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
    return true;
  } catch (const ui::ActionRefused&) {
    throw;
  } catch (const std::exception& error) {
    ShowErrorBox(ctx, error);
    return false;
  }
}

}  // namespace vlx
