// File Killer routines: the in-use test, registration of delete and replace commands for the
// next start, the restart request, and the file facts the page shows.
#pragma once
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vlx::filekill {

// Clears read-only, hidden and system first (the attribute change stays, whatever follows).
// A missing path or a folder is not in use; otherwise in use when it cannot be opened for
// reading and writing without sharing.
bool FileInUse(Platform& platform, const std::string& path);

// The backup copy of a file: its path with ".bak" appended.
std::string BackupPath(const std::string& source);

// The name part of the first directory entry matching the path; empty when none matches.
std::string ListedFileName(FileOps& files, const std::string& path);

// "(Delete: NAME)" = command.com /c del "SOURCE", and
// "(Replace: NAME)" = command.com /c copy "DESTINATION" "SOURCE", NAME being the listed name of
// the source or the destination. Each RunOnce value pair, as registered for the next start.
struct RunOnceCommand {
  std::string valueName;
  std::string command;
};
RunOnceCommand DeleteCommand(FileOps& files, const std::string& source);
RunOnceCommand ReplaceCommand(FileOps& files, const std::string& source,
                              const std::string& destination);
// Writes the command under HKEY_LOCAL_MACHINE RunOnce. A key that cannot be created raises
// StoreError ("Failed to create key ...").
void RegisterRunOnce(Registry& registry, const RunOnceCommand& command);

constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// Enables the shutdown privilege on the NT family (a failing step skips the rest), then
// requests the exit with `flags`; whether the request succeeded.
bool RestartComputer(Processes& processes, std::uint32_t flags);

// The size in bytes of the first directory entry matching the path, -1 when none.
std::int64_t GetFileSizeByName(FileOps& files, const std::string& path);
// The size label: bytes divided by 1024 (truncated toward zero) and " Кб.".
std::string SizeLabelText(std::int64_t bytes);

// The icon of the path's file type (large unless `small`).
Picture GetFileTypeIcon(ShellFiles& shell, const std::string& path, bool small);
// The shell's property sheet of the file; whether it opened.
bool ShowFileProperties(ShellFiles& shell, WindowHandle owner, const std::string& path);

}  // namespace vlx::filekill
