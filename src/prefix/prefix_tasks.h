// Running processes and windows of an offline machine image. Nothing runs in an image, so both
// are a simulated Windows 98 session: the desktop ("Program Manager" with its folder view list),
// the tray, the spooler and Volnerix itself. Terminating a process removes it and its windows,
// WM_CLOSE destroys a window, showing and hiding is kept; these, and starting a program (which
// returns at once) and the restart request, are recorded in the journal.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/processes.h"
#include "platform/system_info.h"
#include "platform/top_windows.h"
#include "prefix/journal.h"

namespace vlx::prefix {

struct SimulatedWindow {
  WindowHandle handle = 0;
  std::uint32_t processId = 0;
  std::string title;
  std::string className;
  std::string classIcon;  // origin of the class icon; empty when the class has none
  bool visible = true;
  WindowHandle parent = 0;  // 0 for a top-level window
};

// The shared session: processes in snapshot order, windows in Z order (children after their
// parent).
struct SimulatedSession {
  std::vector<ProcessEntry> processes;
  std::vector<SimulatedWindow> windows;

  // A Windows 98 desktop session with Volnerix running from `programDir`.
  static SimulatedSession Windows98(const std::string& programDir);
};

class PrefixProcesses : public Processes {
 public:
  PrefixProcesses(SimulatedSession& session, Files& files, SystemInfo& system, Journal& journal);

  bool Snapshot(std::vector<ProcessEntry>& out) override;
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override;
  // Starts when the program the command line names exists in the image (found the way
  // CreateProcessA looks for it); the start is journalled and returns at once.
  bool RunAndWait(const std::string& commandLine) override;
  // Found as above; journalled, nothing runs.
  bool Start(const std::string& commandLine) override;
  bool IsNtFamily() override { return false; }
  bool EnableShutdownPrivilege() override { return false; }
  bool ExitSystem(std::uint32_t flags) override;

  // The program file CreateProcessA would start for the command line; empty when none exists.
  std::string FindProgram(const std::string& commandLine);

 private:
  bool IsFile(const std::string& path);
  // A start found as above, journalled as `entry` + the command line.
  bool JournalStart(const std::string& commandLine, const char* entry);

  SimulatedSession& session_;
  Files& files_;
  SystemInfo& system_;
  Journal& journal_;
};

class PrefixTopWindows : public TopWindows {
 public:
  PrefixTopWindows(SimulatedSession& session, Journal& journal);

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

 private:
  SimulatedWindow* Find(WindowHandle window);

  SimulatedSession& session_;
  Journal& journal_;
};

}  // namespace vlx::prefix
