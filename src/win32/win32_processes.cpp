#include "win32/win32_processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "win32/unique_handle.h"

namespace vlx::win32 {

bool Win32Processes::Snapshot(std::vector<ProcessEntry>& out) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) return false;
  std::vector<ProcessEntry> entries;
  PROCESSENTRY32 record{};
  record.dwSize = sizeof record;
  for (BOOL more = Process32First(snapshot.get(), &record); more;
       more = Process32Next(snapshot.get(), &record)) {
    ProcessEntry entry;
    entry.id = record.th32ProcessID;
    entry.threads = record.cntThreads;
    entry.basePriority = record.pcPriClassBase;
    entry.exePath.assign(record.szExeFile, strnlen(record.szExeFile, sizeof record.szExeFile));
    entries.push_back(std::move(entry));
    record.dwSize = sizeof record;
  }
  out = std::move(entries);
  return true;
}

bool Win32Processes::Terminate(std::uint32_t id, std::uint32_t exitCode) {
  UniqueHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, id));
  if (!process) return false;
  return TerminateProcess(process.get(), exitCode) != FALSE;
}

namespace {

// CreateProcessA(NULL, commandLine, ...): the system splits program and arguments. The process
// handle when it started, both handles closed when the caller drops it.
struct Started {
  UniqueHandle process;
  UniqueHandle thread;
};
bool CreateFromCommandLine(const std::string& commandLine, Started& started) {
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');  // CreateProcessA may write into the command line
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                      nullptr, nullptr, &startup, &info))
    return false;
  started.process.reset(info.hProcess);
  started.thread.reset(info.hThread);
  return true;
}

}  // namespace

bool Win32Processes::RunAndWait(const std::string& commandLine) {
  Started started;
  if (!CreateFromCommandLine(commandLine, started)) return false;
  WaitForSingleObject(started.process.get(), INFINITE);
  return true;
}

bool Win32Processes::Start(const std::string& commandLine) {
  Started started;
  return CreateFromCommandLine(commandLine, started);
}

bool Win32Processes::IsNtFamily() { return (GetVersion() & 0x80000000u) == 0; }

bool Win32Processes::EnableShutdownPrivilege() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
    return false;
  UniqueHandle token(raw);
  TOKEN_PRIVILEGES privileges{};
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
    return false;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  return AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
}

bool Win32Processes::ExitSystem(std::uint32_t flags) { return ExitWindowsEx(flags, 0) != FALSE; }

}  // namespace vlx::win32
