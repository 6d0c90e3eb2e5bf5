// What the caption background tool needs from the window system.
#pragma once
#include <cstdint>
#include <string>

namespace glasslbl {

// A window handle as an integer; 0 is no window.
using Window = std::uintptr_t;
inline constexpr Window kNoWindow = 0;

class DesktopPort {
 public:
  virtual ~DesktopPort() = default;
  // The first top-level window of the class, whatever its title.
  virtual Window FindTopWindow(const std::string& className) = 0;
  // The first child of the window, or kNoWindow.
  virtual Window FirstChild(Window parent) = 0;
  // The window's class name, at most 39 characters.
  virtual std::string ClassNameOf(Window window) = 0;
  virtual std::intptr_t Send(Window window, unsigned message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
  // Repaints the window's invalid parts at once.
  virtual void Repaint(Window window) = 0;
  virtual std::uint32_t SystemColour(int index) = 0;
  // A message box without owner window.
  virtual void ShowMessage(const std::string& text, const std::string& title, unsigned flags) = 0;
};

}  // namespace glasslbl
