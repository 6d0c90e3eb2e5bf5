// Desktop port: the instance mutex, window messages and broadcasts, the help system.
#pragma once
#include <cstdint>
#include <string>

namespace vlx {

namespace wm {
constexpr std::uint32_t WinIniChange = 0x1A;   // WM_WININICHANGE
constexpr std::uint32_t SysCommand = 0x112;    // WM_SYSCOMMAND
constexpr std::uint32_t Help = 0x53;           // WM_HELP
constexpr std::uint32_t HelpButtonUp = 0x46F;  // WM_USER + 0x6F, the "?" button released
}  // namespace wm

namespace sc {
constexpr std::uint32_t Restore = 0xF120;
constexpr std::uint32_t ContextHelp = 0xF180;
constexpr std::uint32_t DragMove = 0xF012;  // SC_MOVE + HTCAPTION
}  // namespace sc

namespace smto {
constexpr std::uint32_t AbortIfHung = 0x0002;  // SMTO_ABORTIFHUNG
}  // namespace smto

class Desktop {
 public:
  virtual ~Desktop() = default;

  // CreateMutexA(no attributes, not owned, name). False when GetLastError reports
  // ERROR_ALREADY_EXISTS: another copy holds it. The handle lives until the process ends.
  virtual bool CreateInstanceMutex(const std::string& name) = 0;
  // RegisterWindowMessageA.
  virtual std::uint32_t RegisterMessage(const std::string& name) = 0;
  // SendMessageA(HWND_BROADCAST, message, wParam, lParam): returns when every top-level window
  // has handled it.
  virtual void Broadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // SendMessageTimeoutA(HWND_BROADCAST, message, wParam, lParam, flags, timeoutMs): every
  // top-level window gets at most `timeoutMs`; the result is not reported.
  virtual void BroadcastWithTimeout(std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam, std::uint32_t flags,
                                    std::uint32_t timeoutMs) = 0;
  // The running copy's answer to the instance message: WM_SYSCOMMAND SC_RESTORE to the
  // application window, then SetForegroundWindow.
  virtual void RestoreAndActivate() = 0;
  // WinHelpA(HELP_SETPOPUP_POS, x, y) then WinHelpA(HELP_CONTEXTPOPUP, topic) with the help file.
  // x and y are screen coordinates.
  virtual void ShowHelpPopup(const std::string& helpFile, int topic, int x, int y) = 0;
};

}  // namespace vlx
