// Screen and clipboard ports over user32 and gdi32.
#pragma once
#include "platform/clipboard.h"
#include "platform/screen.h"

namespace vlx::win32 {

class Win32Screen : public Screen {
 public:
  bool CursorPos(int& x, int& y) override;
  std::uint32_t PixelAt(int x, int y) override;
  std::uint32_t SystemColour(int index) override;
};

class Win32Clipboard : public Clipboard {
 public:
  bool SetText(const std::string& text) override;
  std::string Text() override;
};

}  // namespace vlx::win32
