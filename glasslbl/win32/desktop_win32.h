// The desktop port over user32.
#pragma once
#include "port/desktop.h"

namespace glasslbl {

class Win32Desktop final : public DesktopPort {
 public:
  Window FindTopWindow(const std::string& className) override;
  Window FirstChild(Window parent) override;
  std::string ClassNameOf(Window window) override;
  std::intptr_t Send(Window window, unsigned message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
  void Repaint(Window window) override;
  std::uint32_t SystemColour(int index) override;
  void ShowMessage(const std::string& text, const std::string& title, unsigned flags) override;
};

}  // namespace glasslbl
