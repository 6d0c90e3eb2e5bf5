#include "prefix/prefix_screen.h"

#include <algorithm>
#include <iterator>

namespace vlx::prefix {

namespace {

// COLOR_SCROLLBAR .. COLOR_INFOBK of the Windows standard scheme, 0x00BBGGRR.
constexpr std::uint32_t kStandardScheme[] = {
    0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000, 0x000000,
    0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x808080,
    0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xC0C0C0, 0x000000, 0xE1FFFF,
};

}  // namespace

void SimulatedScreen::Paint(int left, int top, int width, int height, std::uint32_t colour) {
  painted_.push_back({left, top, left + width, top + height, colour});
}

void SimulatedScreen::MovePointer(int x, int y) {
  x_ = std::clamp(x, 0, width_ - 1);
  y_ = std::clamp(y, 0, height_ - 1);
}

bool SimulatedScreen::CursorPos(int& x, int& y) {
  x = x_;
  y = y_;
  return true;
}

std::uint32_t SimulatedScreen::PixelAt(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kInvalidColour;
  for (auto area = painted_.rbegin(); area != painted_.rend(); ++area) {
    if (x >= area->left && x < area->right && y >= area->top && y < area->bottom)
      return area->colour;
  }
  return background_;
}

std::uint32_t SimulatedScreen::SystemColour(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kStandardScheme))) return 0;
  return kStandardScheme[index];
}

bool PrefixClipboard::SetText(const std::string& text) {
  text_ = text;
  journal_.Add("clipboard " + text);
  return true;
}

}  // namespace vlx::prefix
