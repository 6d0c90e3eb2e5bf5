// Desktop caption background: makes the background behind the desktop icon captions transparent
// (/HIDE) or gives it the desktop colour again (/VISIBLE).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "port/desktop.h"

namespace glasslbl {

inline constexpr char kTitle[] = "Transparent background";
inline constexpr std::uint32_t kClrNone = 0xFFFFFFFF;
inline constexpr int kColorBackground = 1;
inline constexpr unsigned kMbOk = 0x0;

// List-view messages (commctrl.h).
inline constexpr unsigned kLvmGetItemCount = 0x1004;
inline constexpr unsigned kLvmRedrawItems = 0x1015;
inline constexpr unsigned kLvmGetTextColor = 0x1023;
inline constexpr unsigned kLvmSetTextColor = 0x1024;
inline constexpr unsigned kLvmGetTextBkColor = 0x1025;
inline constexpr unsigned kLvmSetTextBkColor = 0x1026;

enum class Action { Hide, Show, Usage, Nothing };

// What the arguments after the program name ask for; only the first one counts.
Action ChooseAction(const std::vector<std::string>& arguments);

// The shell's desktop icon list view: the first grandchild of the "ProgMan" window when it is a
// "SysListView32".
Window FindDesktopListView(DesktopPort& desktop);

void SetCaptionBackground(DesktopPort& desktop, Window listView, std::uint32_t colour);

std::string UsageText();

// The whole run over the raw command line; returns the exit code.
int RunGlasslbl(DesktopPort& desktop, std::string_view commandLine);

}  // namespace glasslbl
