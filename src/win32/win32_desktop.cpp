#include "win32/win32_desktop.h"

namespace vlx::win32 {

bool Win32Desktop::CreateInstanceMutex(const std::string& name) {
  // The handle is never closed: it marks this copy as running until the process ends.
  SetLastError(ERROR_SUCCESS);
  CreateMutexA(nullptr, FALSE, name.c_str());
  return GetLastError() != ERROR_ALREADY_EXISTS;
}

std::uint32_t Win32Desktop::RegisterMessage(const std::string& name) {
  return RegisterWindowMessageA(name.c_str());
}

void Win32Desktop::Broadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  SendMessageA(HWND_BROADCAST, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

void Win32Desktop::BroadcastWithTimeout(std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam, std::uint32_t flags,
                                        std::uint32_t timeoutMs) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, message, static_cast<WPARAM>(wParam),
                      static_cast<LPARAM>(lParam), flags, timeoutMs, &result);
}

void Win32Desktop::RestoreAndActivate() {
  if (!main_) return;
  SendMessageA(main_, WM_SYSCOMMAND, SC_RESTORE, 0);
  SetForegroundWindow(main_);
}

void Win32Desktop::ShowHelpPopup(const std::string& helpFile, int topic, int x, int y) {
  // HELP_SETPOPUP_POS takes the point packed as MAKELONG(x, y).
  WinHelpA(main_, helpFile.c_str(), HELP_SETPOPUP_POS,
           static_cast<ULONG_PTR>(static_cast<DWORD>(MAKELONG(x, y))));
  WinHelpA(main_, helpFile.c_str(), HELP_CONTEXTPOPUP, static_cast<ULONG_PTR>(topic));
}

}  // namespace vlx::win32
