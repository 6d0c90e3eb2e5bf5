#include "app/help_button.h"

#include "platform/desktop.h"
#include "ui/form.h"

namespace vlx {

void PlaceHelpButton(HelpButtonState& button, int windowWidth, const SystemMetrics& m) {
  button.left = windowWidth - m.cxFrame - 4 * m.cxSize + 2;
  button.top = m.cyFrame + 1;
  button.right = button.left + m.cxSize - 1;
  button.bottom = button.top + m.cySize - 4;
}

bool InHelpButton(const HelpButtonState& button, int x, int y) {
  return x >= button.left && x < button.right && y >= button.top && y < button.bottom;
}

int HelpButtonHitTest(const HelpButtonState& button, int x, int y, int defaultResult) {
  return InHelpButton(button, x, y) ? kHitBorder : defaultResult;
}

bool HelpButtonDown(HelpButtonState& button, int x, int y) {
  if (!InHelpButton(button, x, y)) return false;
  button.pressed = true;
  return true;
}

bool HelpButtonUp(HelpButtonState& button, int x, int y) {
  if (!InHelpButton(button, x, y)) return false;
  button.pressed = false;
  return true;
}

bool HelpButtonCancel(HelpButtonState& button) {
  if (!button.pressed) return false;
  button.pressed = false;
  return true;
}

int ShowContextHelp(Context& ctx, const ui::Control& control, int screenX, int screenY) {
  const int topic = ui::Form::HelpContextFor(control);
  if (topic != 0) ctx.platform.desktop->ShowHelpPopup(ctx.state.helpFile, topic, screenX, screenY);
  return topic;
}

}  // namespace vlx
