// Control states as volnrx-cli prints them: `NAME.PROP=VALUE` lines, and the readable pages.
#pragma once
#include <string>
#include <vector>

#include "ui/form.h"

namespace vlx::cli {

// CR as \r and LF as \n, so one value stays on one line.
std::string EscapeLineBreaks(const std::string& text);
// The `NAME.PROP=VALUE` lines of one control.
std::vector<std::string> DumpControl(const ui::Control& control);
// Every page of the tab control: its caption, then each control's caption and state.
std::vector<std::string> ShowPages(const ui::TabControl& pages);

}  // namespace vlx::cli
