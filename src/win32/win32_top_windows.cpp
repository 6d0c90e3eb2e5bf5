#include "win32/win32_top_windows.h"

#include <windows.h>

namespace vlx::win32 {
namespace {

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(
      reinterpret_cast<WindowHandle>(window));
  return TRUE;
}

}  // namespace

WindowHandle Win32TopWindows::FindTopWindow(const char* className, const char* title) {
  return reinterpret_cast<WindowHandle>(FindWindowA(className, title));
}

WindowHandle Win32TopWindows::RelatedWindow(WindowHandle window, std::uint32_t command) {
  return reinterpret_cast<WindowHandle>(GetWindow(ToHwnd(window), command));
}

std::string Win32TopWindows::ClassNameOf(WindowHandle window, std::uint32_t bufferSize) {
  if (bufferSize == 0) return {};
  std::string buffer(bufferSize, '\0');
  const int length = GetClassNameA(ToHwnd(window), buffer.data(), static_cast<int>(bufferSize));
  buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return buffer;
}

bool Win32TopWindows::IsWindowVisible(WindowHandle window) {
  return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

bool Win32TopWindows::ShowWindow(WindowHandle window, int command) {
  if (window == 0) return false;
  return ::ShowWindow(ToHwnd(window), command) != FALSE;
}

void Win32TopWindows::Enumerate(std::vector<WindowHandle>& out) {
  out.clear();
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&out));
}

std::uint32_t Win32TopWindows::ProcessId(WindowHandle window) {
  DWORD id = 0;
  GetWindowThreadProcessId(ToHwnd(window), &id);
  return id;
}

std::string Win32TopWindows::Text(WindowHandle window, int bufferChars) {
  if (bufferChars <= 0) return {};
  std::string buffer(static_cast<std::size_t>(bufferChars), '\0');
  const int length = GetWindowTextA(ToHwnd(window), buffer.data(), bufferChars);
  buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return buffer;
}

Picture Win32TopWindows::ClassIcon(WindowHandle window) {
  HICON icon = reinterpret_cast<HICON>(GetClassLongPtrA(ToHwnd(window), GCLP_HICON));
  if (icon == nullptr) return {};
  Picture picture;
  picture.kind = Picture::Kind::Icon;
  picture.width = GetSystemMetrics(SM_CXICON);
  picture.height = GetSystemMetrics(SM_CYICON);
  picture.native = std::shared_ptr<void>(icon, [](void*) {});  // owned by the window class
  return picture;
}

bool Win32TopWindows::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
  return PostMessageA(ToHwnd(window), message, wParam, lParam) != FALSE;
}

}  // namespace vlx::win32
