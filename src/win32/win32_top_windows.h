// Windows port over user32.
#pragma once
#include "platform/top_windows.h"

namespace vlx::win32 {

class Win32TopWindows : public TopWindows {
 public:
  WindowHandle FindTopWindow(const char* className, const char* title) override;
  WindowHandle RelatedWindow(WindowHandle window, std::uint32_t command) override;
  std::string ClassNameOf(WindowHandle window, std::uint32_t bufferSize) override;
  bool IsWindowVisible(WindowHandle window) override;
  bool ShowWindow(WindowHandle window, int command) override;
  void Enumerate(std::vector<WindowHandle>& out) override;
  std::uint32_t ProcessId(WindowHandle window) override;
  std::string Text(WindowHandle window, int bufferChars) override;
  Picture ClassIcon(WindowHandle window) override;
  bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
            std::intptr_t lParam) override;
};

}  // namespace vlx::win32
