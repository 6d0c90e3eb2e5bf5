#include "tools/filekill.h"

#include "store/store_routine.h"

namespace vlx::filekill {

bool FileInUse(Platform& platform, const std::string& path) {
  platform.files->SetAttributes(path, fileattr::Archive);
  const std::uint32_t attributes = platform.files->GetAttributes(path);
  if (attributes == fileattr::Invalid || (attributes & fileattr::Directory) != 0) return false;
  return !platform.fileOps->OpenExclusive(path);
}

std::string BackupPath(const std::string& source) { return source + ".bak"; }

std::string ListedFileName(FileOps& files, const std::string& path) {
  FoundFile found;
  return files.FindFirst(path, found) ? found.name : std::string();
}

RunOnceCommand DeleteCommand(FileOps& files, const std::string& source) {
  return {"(Delete: " + ListedFileName(files, source) + ")",
          "command.com /c del \"" + source + "\""};
}

RunOnceCommand ReplaceCommand(FileOps& files, const std::string& source,
                              const std::string& destination) {
  return {"(Replace: " + ListedFileName(files, destination) + ")",
          "command.com /c copy \"" + destination + "\" \"" + source + "\""};
}

void RegisterRunOnce(Registry& registry, const RunOnceCommand& command) {
  RunStoreRoutine(registry, regroot::LocalMachine, [&](RegStore& store) {
    store.WriteSubkeyText(kRunOnceKey, command.valueName, command.command);
  });
}

bool RestartComputer(Processes& processes, std::uint32_t flags) {
  if (processes.IsNtFamily()) processes.EnableShutdownPrivilege();
  return processes.ExitSystem(flags);
}

std::int64_t GetFileSizeByName(FileOps& files, const std::string& path) {
  FoundFile found;
  if (!files.FindFirst(path, found)) return -1;
  return static_cast<std::int64_t>(found.size);
}

std::string SizeLabelText(std::int64_t bytes) { return std::to_string(bytes / 1024) + " Кб."; }

Picture GetFileTypeIcon(ShellFiles& shell, const std::string& path, bool small) {
  return shell.FileTypeIcon(path, small);
}

bool ShowFileProperties(ShellFiles& shell, WindowHandle owner, const std::string& path) {
  return shell.ShowProperties(owner, path);
}

}  // namespace vlx::filekill
