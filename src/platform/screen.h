// Screen port: the pointer position and the colour of any screen pixel (user32, gdi32).
#pragma once
#include <cstdint>

namespace vlx {

// GetPixel's answer for a point outside the screen.
constexpr std::uint32_t kInvalidColour = 0xFFFFFFFFu;  // CLR_INVALID

class Screen {
 public:
  virtual ~Screen() = default;

  // GetCursorPos: screen coordinates. False when the position cannot be read.
  virtual bool CursorPos(int& x, int& y) = 0;
  // GetDC(GetDesktopWindow()), GetPixel, ReleaseDC: 0x00BBGGRR, or kInvalidColour.
  virtual std::uint32_t PixelAt(int x, int y) = 0;
  // GetSysColor: the current RGB value of system colour `index` (0..24).
  virtual std::uint32_t SystemColour(int index) = 0;
};

}  // namespace vlx
