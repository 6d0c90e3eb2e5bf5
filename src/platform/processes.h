// Processes port: the toolhelp process snapshot, termination, starting a program and waiting for
// it, and the restart request.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vlx {

// One PROCESSENTRY32 of a toolhelp snapshot.
struct ProcessEntry {
  std::uint32_t id = 0;            // th32ProcessID
  std::uint32_t threads = 0;       // cntThreads
  std::int32_t basePriority = 0;   // pcPriClassBase
  std::string exePath;             // szExeFile, at most 260 characters
};

namespace ewx {
constexpr std::uint32_t Logoff = 0;
constexpr std::uint32_t Shutdown = 1;
constexpr std::uint32_t Reboot = 2;
}  // namespace ewx

class Processes {
 public:
  virtual ~Processes() = default;

  // CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS) walked with Process32First/Process32Next, in
  // snapshot order. False when the snapshot cannot be taken (`out` is then left alone).
  virtual bool Snapshot(std::vector<ProcessEntry>& out) = 0;
  // OpenProcess(PROCESS_ALL_ACCESS, FALSE, id), TerminateProcess(exitCode), CloseHandle.
  // False when the process cannot be opened or terminated.
  virtual bool Terminate(std::uint32_t id, std::uint32_t exitCode) = 0;
  // CreateProcessA(NULL, commandLine, no inherited handles, CREATE_DEFAULT_ERROR_MODE, default
  // environment and folder, zeroed STARTUPINFO), then WaitForSingleObject(INFINITE) and the
  // handles closed. False when the process does not start.
  virtual bool RunAndWait(const std::string& commandLine) = 0;
  // The same CreateProcessA without waiting: both returned handles are closed at once. False
  // when the process does not start.
  virtual bool Start(const std::string& commandLine) = 0;

  // The running system is of the NT family (privileges exist).
  virtual bool IsNtFamily() = 0;
  // OpenProcessToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY), LookupPrivilegeValueA
  // ("SeShutdownPrivilege"), AdjustTokenPrivileges with that one privilege enabled.
  // A failing step skips the rest; false then.
  virtual bool EnableShutdownPrivilege() = 0;
  // ExitWindowsEx(flags, 0).
  virtual bool ExitSystem(std::uint32_t flags) = 0;
};

}  // namespace vlx
