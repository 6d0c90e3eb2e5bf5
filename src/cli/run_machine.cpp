// The commands on one machine, straight, as a dry run over an overlay, or backed up first.
#include "app/main_window.h"
#include "cli/commands.h"
#include "text/cp1251.h"
#include "overlay/overlay.h"
#include "store/store_error.h"

namespace vlx::cli {

namespace {

int RunCommands(Host host, const Options& options, const std::vector<std::string>& args,
                const std::function<bool()>& commit) {
  if (!args.empty() && args[0] == "reg")
    return RunReg(*host.platform.registry, {args.begin() + 1, args.end()}, commit);
  return RunProgram(host, options.programDir, options.commands);
}

// Puts what the run holds in memory on the machine, once: false, with the reason printed, when
// that failed; an error of the machine's files goes on to the caller.
class Committer {
 public:
  explicit Committer(std::function<bool()> write) : write_(std::move(write)) {}
  bool operator()() {
    if (!done_) {
      done_ = true;
      ok_ = write_();
    }
    return ok_;
  }
  bool Done() const { return done_; }

 private:
  std::function<bool()> write_;
  bool done_ = false;
  bool ok_ = false;
};

// The run's status once its changes are committed: a reg command commits before it reports
// success, and one that failed leaves the machine as it was; a program run commits what it did.
int Finish(const std::vector<std::string>& args, int status, Committer& commit) {
  const bool reg = !args.empty() && args[0] == "reg";
  if (reg && (status != 0 || commit.Done())) return status;
  return commit() ? status : 1;
}

}  // namespace

bool WritesWithoutProgram(const std::vector<std::string>& args) {
  if (args.empty()) return false;
  if (args[0] == "restore") return true;
  if (args[0] != "reg" || args.size() < 2) return false;
  for (const char* op : {"add", "delete", "import", "copy"})
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
    // Saved only once all of it was put back; the success line comes after the save.
    return RunRestore(host.platform, args[1], options.machine, force, [&] {
      flush();
      return true;
    });
  }
  if (!options.dryRun && !options.backupDir) {
    Committer commit([&] {
      flush();
      return true;
    });
    return Finish(args, RunCommands(host, options, args, std::ref(commit)), commit);
  }
  overlay::Overlay overlay(host.platform);
  const Host held{overlay.platform(), host.journal, host.dialogs};
  if (options.dryRun) {
    // Nothing is carried over: the run's own checks decide what it would report.
    const int status = RunCommands(held, options, args, [] { return true; });
    if (status != 0) return status;  // the failure was reported; a run that failed has no report
    Print("dry run: nothing was changed; the run would make these changes:");
    for (const std::string& line : overlay.Report()) Print(line);
    return status;
  }
  Committer commit([&] {
    if (!WriteBackup(overlay, *options.backupDir, options.machine, *host.platform.registry))
      return false;
    std::vector<std::string> failed;
    try {
      failed = overlay.Commit();
    } catch (const StoreError& error) {
      flush();
      PrintError(std::string("volnrx-cli: ") + error.what() + "; restore " + *options.backupDir +
                 " to undo what was written");
      return false;
    }
    flush();
    for (const std::string& entry : host.journal.TakeNew()) Print("journal: " + entry);
    for (const std::string& change : failed) PrintError("volnrx-cli: failed: " + change);
    return failed.empty();
  });
  return Finish(args, RunCommands(held, options, args, std::ref(commit)), commit);
}

}  // namespace vlx::cli
