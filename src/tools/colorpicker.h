// The page "Цвет": the colour of any screen pixel or of a colour chosen in the colour dialog, in
// three notations, each with a copy button.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "ui/form_spec.h"

namespace vlx {

class Context;
class Screen;

std::span<const ui::ControlSpec> ColourPickerPageTable();
void BindColourPickerPage(Context& ctx);

// Mouse state with an event, as the window framework passes it.
namespace mouse {
constexpr std::uint32_t Shift = 0x01;
constexpr std::uint32_t Alt = 0x02;
constexpr std::uint32_t Ctrl = 0x04;
constexpr std::uint32_t Left = 0x08;
constexpr std::uint32_t Right = 0x10;
constexpr std::uint32_t Middle = 0x20;
}  // namespace mouse

// The cursor box: a move over it, or anywhere while the left button pressed on it is held (the
// box holds the mouse capture until then); a button released after a press on it.
void ImgCursorLoadMouseMove(Context& ctx, std::uint32_t shift);
void ImgCursorLoadMouseUp(Context& ctx);
void btnGetColorClick(Context& ctx);
void spbtnCopyTColorClick(Context& ctx);
void spbtnCopyHtmlClick(Context& ctx);
void spbtnCopyRgbClick(Context& ctx);
// Each copy button enabled exactly when its edit holds text.
void CheckEdits(Context& ctx);

namespace colorpicker {

// The framework's notation: a colour name, or "$" and 8 upper-case hexadecimal digits.
std::string TColorText(std::uint32_t colour);
// "#RRGGBB" of a plain RGB value.
std::string HtmlText(std::uint32_t rgb);
// "R G B" in decimal.
std::string RgbText(std::uint32_t rgb);
// A system colour (top bit set) as its current RGB value; a plain colour as it is.
std::uint32_t ColourToRgb(Screen& screen, std::uint32_t colour);

}  // namespace colorpicker
}  // namespace vlx
