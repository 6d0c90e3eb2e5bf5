// The page "Экран смерти": the colours of the fatal-error screen, kept in system.ini.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "ui/form_spec.h"

namespace vlx {

class Context;

std::span<const ui::ControlSpec> DeathScreenPageTable();
// Connects the page's handlers; after the forms are built.
void BindDeathScreenPage(Context& ctx);

// Load-all and apply-all steps.
void LoadDeathScreenPage(Context& ctx);
void ApplyDeathScreenPage(Context& ctx);

void WriteDeathScreenColours(Context& ctx);
void RestoreDeathScreenDefaults(Context& ctx);
void ShowDeathScreenBackground(Context& ctx);
void ShowDeathScreenText(Context& ctx);
// The body of cbScrDeathDefaultClick.
void UpdateDeathScreenDefault(Context& ctx);

namespace screendeath {

constexpr int kColourCount = 9;
constexpr int kDefaultBack = 1;  // "Синий"
constexpr int kDefaultText = 7;  // "Белый"

// The display colour (0x00BBGGRR) of colour index 0..8.
std::uint32_t ColourOf(int index);
// The colour a box shows: its index's colour, or `fallback`'s for no selection.
std::uint32_t ColourOrDefault(int index, int fallback);

// What drawing one item of a colour box puts on its canvas, given the item's rectangle.
struct ItemDrawing {
  ui::Rect fill;                     // filled with the list's current brush
  int textX = 0, textY = 0;          // the item's text
  std::string text;
  int swatchLeft = 0, swatchTop = 0, swatchRight = 0, swatchBottom = 0;
  std::uint32_t swatchColour = 0;    // brush; the pen is black
};
ItemDrawing DrawColourItem(int index, const std::string& text, const ui::Rect& item);

}  // namespace screendeath
}  // namespace vlx
