// The Desktop page (TabSheet5): desktop options, the screen saver and the background colour.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/context.h"
#include "platform/top_windows.h"
#include "rules/tweak_rule.h"
#include "ui/form_spec.h"

namespace vlx {

std::span<const ui::ControlSpec> DesktopPageControls();
void BindDesktopPage(Context& context);

// The check list (with the Start menu page's item 3), then the screen saver.
void LoadDesktopPage(Context& context);
void ApplyDesktopPage(Context& context);
void LoadDesktopColour(Context& context);
void ApplyDesktopColour(Context& context);

// Steps 2 to 9 of the check list, in order (step 1, the desktop items, is a routine).
const std::vector<TweakRule>& DesktopRules();
// The screen saver's two system parameters: active, then the timeout in minutes.
const std::vector<TweakRule>& ScreenSaverRules();

// The shell's desktop icon list view: "ProgMan", its first child, that one's first child, when
// its class is "SysListView32"; 0 otherwise.
WindowHandle FindDesktopListView(TopWindows& windows);
void LoadDesktopItems(Context& context);
void ApplyDesktopItems(Context& context);
void LoadScreenSaver(Context& context);
void ApplyScreenSaver(Context& context);

// The stored "Background" text into the three sliders, field by field (red, green, blue); a
// field that is no integer raises, leaving the sliders set before it.
void ParseBackground(Context& context, const std::string& text);
// Labels show the sliders' positions; the panel takes their colour.
void ShowSliders(Context& context);

void cbScreenSaverActiveClick(Context& context);
void cbDesktopColorDefaultClick(Context& context);
void btnColorSelectClick(Context& context);
// A slider moved by the user: its label and the panel follow.
void SliderChange(Context& context, const std::string& slider, const std::string& label);

}  // namespace vlx
