// The "?" caption button: where it is, what the mouse does to it, and context help.
#pragma once
#include "app/context.h"

namespace vlx {

struct SystemMetrics {
  int cxFrame = 0;  // SM_CXFRAME
  int cyFrame = 0;  // SM_CYFRAME
  int cxSize = 0;   // SM_CXSIZE
  int cySize = 0;   // SM_CYSIZE
};

constexpr int kHitBorder = 18;  // HTBORDER

// The rectangle relative to the window's top-left corner, just left of the minimise button.
void PlaceHelpButton(HelpButtonState& button, int windowWidth, const SystemMetrics& metrics);
// The point (relative to the window's top-left corner) lies in the rectangle (right and bottom
// edges outside).
bool InHelpButton(const HelpButtonState& button, int x, int y);

// WM_NCHITTEST after default handling: HTBORDER over the button, else the default result.
int HelpButtonHitTest(const HelpButtonState& button, int x, int y, int defaultResult);
// WM_NCLBUTTONDOWN: over the button it becomes pressed. True when it did.
bool HelpButtonDown(HelpButtonState& button, int x, int y);
// WM_NCLBUTTONUP: over the button it is released and context-help mode is to start (the window
// posts itself 0x46F). True when that is so.
bool HelpButtonUp(HelpButtonState& button, int x, int y);
// WM_LBUTTONUP in the client area: a pressed button is released. True when it was pressed.
bool HelpButtonCancel(HelpButtonState& button);

// WM_HELP on a control: the popup with the control's number or its nearest ancestor's, at the
// control's top-left corner (screen coordinates); nothing when no number is found. Returns the
// topic shown, 0 for none.
int ShowContextHelp(Context& ctx, const ui::Control& control, int screenX, int screenY);

}  // namespace vlx
