// Windows port: finding, listing, inspecting, showing and hiding other programs' top-level
// windows, and posting them messages (user32).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/picture.h"

namespace vlx {

using WindowHandle = std::uintptr_t;  // HWND; 0 is no window

namespace gw {
constexpr std::uint32_t Child = 5;  // GW_CHILD
}  // namespace gw

namespace sw {
constexpr int Hide = 0;  // SW_HIDE
constexpr int Show = 5;  // SW_SHOW
}  // namespace sw

namespace wm {
constexpr std::uint32_t Close = 0x0010;  // WM_CLOSE
}  // namespace wm

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

  // EnumWindows: every top-level window, visible or not, in the order the system gives them.
  virtual void Enumerate(std::vector<WindowHandle>& out) = 0;
  // GetWindowThreadProcessId: the identifier of the process that created the window.
  virtual std::uint32_t ProcessId(WindowHandle window) = 0;
  // GetWindowTextA into a buffer of `bufferChars` characters (so at most bufferChars - 1 come).
  virtual std::string Text(WindowHandle window, int bufferChars) = 0;
  // GetClassLongPtrA(GCL_HICON): the large icon of the window's class; empty when it has none.
  virtual Picture ClassIcon(WindowHandle window) = 0;
  // PostMessageA.
  virtual bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                    std::intptr_t lParam) = 0;
};

}  // namespace vlx
