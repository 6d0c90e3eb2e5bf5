// Windows port: finding, inspecting, showing and hiding other programs' windows (user32).
#pragma once
#include <cstdint>
#include <string>

namespace vlx {

using WindowHandle = std::uintptr_t;  // HWND; 0 is no window

namespace gw {
constexpr std::uint32_t Child = 5;  // GW_CHILD
}  // namespace gw

namespace sw {
constexpr int Hide = 0;  // SW_HIDE
constexpr int Show = 5;  // SW_SHOW
}  // namespace sw

// Method names avoid the A/W macros of <windows.h>.
class TopWindows {
 public:
  virtual ~TopWindows() = default;

  // FindWindowA: a null class or title matches any.
  virtual WindowHandle FindTopWindow(const char* className, const char* title) = 0;
  // GetWindow(window, command); 0 when there is none.
  virtual WindowHandle RelatedWindow(WindowHandle window, std::uint32_t command) = 0;
  // GetClassNameA into a buffer of `bufferSize` characters: at most bufferSize - 1 are copied.
  virtual std::string ClassNameOf(WindowHandle window, std::uint32_t bufferSize) = 0;
  // IsWindowVisible: the window and all its ancestors are shown.
  virtual bool IsWindowVisible(WindowHandle window) = 0;
  // ShowWindow; returns whether the window was visible before. A null window does nothing.
  virtual bool ShowWindow(WindowHandle window, int command) = 0;
};

}  // namespace vlx
