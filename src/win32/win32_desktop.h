// Desktop port over user32: the instance mutex, broadcasts, the running copy's restore, WinHelp.
#pragma once
#include <windows.h>

#include "platform/desktop.h"

namespace vlx::win32 {

class Win32Desktop : public Desktop {
 public:
  // The application window that the instance message restores and that owns help popups.
  void SetMainWindow(HWND window) { main_ = window; }

  bool CreateInstanceMutex(const std::string& name) override;
  std::uint32_t RegisterMessage(const std::string& name) override;
  void Broadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void BroadcastWithTimeout(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                            std::uint32_t flags, std::uint32_t timeoutMs) override;
  void RestoreAndActivate() override;
  void ShowHelpPopup(const std::string& helpFile, int topic, int x, int y) override;

 private:
  HWND main_ = nullptr;
};

}  // namespace vlx::win32
