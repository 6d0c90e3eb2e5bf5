// volnrx-cli commands. Arguments arrive converted to code page 1251.
#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/script.h"
#include "platform/platform.h"
#include "prefix/journal.h"
#include "prefix/prefix_dialogs.h"

namespace vlx::overlay {
class Overlay;
}

namespace vlx::cli {

// volnrx-cli init [--win9x] DIR | init --disk IMAGE: a fresh Windows 98-like machine image (a
// Wine prefix, a 9x boot drive, or that drive in a raw disk image); refuses an existing one.
int RunInit(const std::vector<std::string>& args);
// volnrx-cli --prefix DIR reg query|add|delete ...: the Windows reg tool's forms and output.
// A write is done through `commit`, which puts it on the machine (false, with the reason
// printed, when it could not); only then is it reported as done.
int RunReg(Registry& registry, const std::vector<std::string>& args,
           const std::function<bool()>& commit);
// reg [OPERATION] /? (or /h, -?, -h, in any case): whether the arguments ask for the usage, and
// that usage printed (exit status 0).
bool RegAsksHelp(const std::vector<std::string>& args);
int RunRegHelp(const std::vector<std::string>& args);

// The exit status of a usage error (a command line or script that cannot be run as written).
inline constexpr int kUsageStatus = 2;

// What the program runs over: the ports, the journal of the calls that have no effect offline
// (printed as the run goes) and the dialogs, answered from queues.
struct Host {
  Platform& platform;
  prefix::Journal& journal;
  prefix::PrefixDialogs& dialogs;
};

// volnrx-cli --prefix DIR [--program-dir DIR] [COMMAND ...] | -f SCRIPT: the program started
// over the image, then the commands. 0 when they all ran or the program ended itself; 2 after a
// script error, which names the line.
int RunProgram(Host host, const std::string& programDir,
               const std::vector<ScriptCommand>& commands);

// The machine a backup is made on, as its manifest records it and a restore compares.
struct MachineIdentity {
  std::string kind;  // "prefix", "win9x", "disk", or "system" for the running one
  std::string path;  // the image's absolute host path, or the running system's Windows folder
  std::string user;  // --user NAME of a 9x machine
};

// How the commands run: the program's folder, the parsed program commands, and whether the
// changes are only shown (--dry-run) or first backed up (--backup DIR).
struct Options {
  MachineIdentity machine;
  std::string programDir;
  std::vector<ScriptCommand> commands;
  bool dryRun = false;
  std::optional<std::string> backupDir;
};

// The commands on a machine: `args` is "reg ...", "restore DIR", or empty for the program
// commands of `options`. `flush` saves what the machine keeps in memory.
// Commands that write without starting the program: reg add, delete and import, and restore.
bool WritesWithoutProgram(const std::vector<std::string>& args);

int RunOnMachine(Host host, const Options& options, const std::vector<std::string>& args,
                 const std::function<void()>& flush);

// --backup DIR: the new folder DIR with what puts back everything the overlay's changes touch,
// and what identifies `machine` (`before`: its registry below the overlay). False, with the
// reason printed, when it cannot be written whole.
bool WriteBackup(overlay::Overlay& overlay, const std::string& folder, const MachineIdentity& machine,
                 Registry& before);
// restore DIR [/f]: puts back what the run changed and nothing else. Refuses, changing nothing, a
// backup that does not match its manifest, and (unless forced) one made on another machine or
// one of whose files changed since (each is named); a value changed again since keeps its newer
// content unless forced, and a key the run created stays while it holds something added since.
// What it put back is saved through `commit`, and only when all of it could be put back.
int RunRestore(Platform& platform, const std::string& folder, const MachineIdentity& machine, bool force,
               const std::function<bool()>& commit);

// The refusal while the program's window (or another volnrx-cli) runs on the same machine.
inline constexpr const char* kAnotherCopy =
    "volnrx-cli: the program is already running on this machine (its window or another "
    "volnrx-cli); nothing was changed";

// Writes CP1251 text to stdout as UTF-8.
void Print(const std::string& cp1251Text);
void PrintError(const std::string& cp1251Text);

}  // namespace vlx::cli
