// The commands on one machine, straight, as a dry run over an overlay, or backed up first.
#include "app/main_window.h"
#include "cli/commands.h"
#include "text/cp1251.h"
#include "overlay/overlay.h"
#include "store/store_error.h"

namespace vlx::cli {

namespace {

int RunCommands(Host host, const Options& options, const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "reg") return RunReg(*host.platform.registry, {args.begin() + 1, args.end()});
  return RunProgram(host, options.programDir, options.commands);
}

}  // namespace

bool WritesWithoutProgram(const std::vector<std::string>& args) {
  if (args.empty()) return false;
  if (args[0] == "restore") return true;
  if (args[0] != "reg" || args.size() < 2) return false;
  for (const char* op : {"add", "delete", "import"})
    if (EqualNoCaseCp1251(args[1], op)) return true;
  return false;
}

int RunOnMachine(Host host, const Options& options, const std::vector<std::string>& args,
                 const std::function<void()>& flush) {
  // The program's single-instance rule: while its window runs nothing else writes, and while
  // this runs the window does not start.
  if (WritesWithoutProgram(args) && !host.platform.desktop->CreateInstanceMutex(kInstanceName)) {
    PrintError(kAnotherCopy);
    return 1;
  }
  if (!args.empty() && args[0] == "restore") {
    const bool force = args.size() == 3 && EqualNoCaseCp1251(args[2], "/f");
    if (args.size() != 2 && !force) {
      PrintError("volnrx-cli: restore needs the backup folder, and takes only /f beside it");
      return 2;
    }
    const int status = RunRestore(host.platform, args[1], options.machine, force);
    flush();
    return status;
  }
  if (!options.dryRun && !options.backupDir) {
    const int status = RunCommands(host, options, args);
    flush();
    return status;
  }
  overlay::Overlay overlay(host.platform);
  const int status = RunCommands(Host{overlay.platform(), host.journal, host.dialogs}, options, args);
  if (options.dryRun) {
    Print("dry run: nothing was changed; the run would make these changes:");
    for (const std::string& line : overlay.Report()) Print(line);
    return status;
  }
  if (!WriteBackup(overlay, *options.backupDir, options.machine, *host.platform.registry)) return 1;
  std::vector<std::string> failed;
  try {
    failed = overlay.Commit();
  } catch (const StoreError& error) {
    flush();
    PrintError(std::string("volnrx-cli: ") + error.what() + "; restore " + *options.backupDir +
               " to undo what was written");
    return 1;
  }
  flush();
  for (const std::string& entry : host.journal.TakeNew()) Print("journal: " + entry);
  for (const std::string& change : failed) PrintError("volnrx-cli: failed: " + change);
  return failed.empty() ? status : 1;
}

}  // namespace vlx::cli
