// Top-level windows port over user32.
#pragma once
#include "platform/top_windows.h"

namespace vlx::win32 {

class Win32TopWindows : public TopWindows {
 public:
  void Enumerate(std::vector<WindowHandle>& out) override;
  std::uint32_t ProcessId(WindowHandle window) override;
  std::string Text(WindowHandle window, int bufferChars) override;
  Picture ClassIcon(WindowHandle window) override;
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t lParam) override;
};

}  // namespace vlx::win32
