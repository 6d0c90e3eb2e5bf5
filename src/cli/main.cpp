// volnrx-cli: the headless front end, over an offline machine image (--prefix DIR) or, built
// for Windows, over the running system.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "cli/commands.h"
#include "cli/host_folder.h"
#include "cli/reading_desktop.h"
#include "text/cp1251.h"

#ifdef _WIN32
#include <windows.h>
#include <objbase.h>

#include "win32/win32_desktop.h"
#include "win32/win32_module.h"
#include "win32/win32_platform.h"
#else
#include "cli/image_claim.h"
#include "cli/offline_machine.h"
#include "prefix/prefix_library.h"
#endif

namespace vlx::cli {

namespace {

// The terminal's text: UTF-8 on Linux; on Windows the OEM code page that consoles (and reg.exe
// redirected to a file) use.
std::string TerminalText(const std::string& cp1251Text) {
#ifdef _WIN32
  std::string oem(cp1251Text.size(), '\0');
  if (!oem.empty()) CharToOemBuffA(cp1251Text.data(), oem.data(), static_cast<DWORD>(oem.size()));
  return oem;
#else
  return Cp1251ToUtf8(cp1251Text);
#endif
}

// A line on the stream, through C stdio: iostreams would bring in msvcrt functions that
// Windows 98 lacks.
void WriteLine(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
}

}  // namespace

void Print(const std::string& cp1251Text) { WriteLine(stdout, TerminalText(cp1251Text)); }
void PrintError(const std::string& cp1251Text) { WriteLine(stderr, TerminalText(cp1251Text)); }

namespace {

#ifdef _WIN32
constexpr const char* kUsage =
    "usage: volnrx-cli.exe --help\n"
    "       volnrx-cli.exe reg query KEY [/v NAME | /ve] [/s]\n"
    "       volnrx-cli.exe reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "       volnrx-cli.exe reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "       volnrx-cli.exe reg export KEY FILE [/y]\n"
    "       volnrx-cli.exe reg import FILE\n"
    "       volnrx-cli.exe reg OPERATION /?  (the operation's usage)\n"
    "       volnrx-cli.exe [--program-dir FOLDER] [COMMAND ...]\n"
    "       volnrx-cli.exe [--program-dir FOLDER] -f SCRIPT\n"
    "       volnrx-cli.exe [reg ... | COMMAND ... | -f SCRIPT] --dry-run\n"
    "       volnrx-cli.exe [reg ... | COMMAND ... | -f SCRIPT] --backup BACKUPDIR\n"
    "       volnrx-cli.exe restore BACKUPDIR [/f]\n"
    "  Acts on the running system, with the program's folder beside volnrx-cli.exe (or\n"
    "  FOLDER). Arguments are in the ANSI code page, output in the console's OEM code page.\n"
    "  commands: page N | click NAME | check NAME on|off | item NAME I on|off | select NAME I\n"
    "            type NAME TEXT | key NAME enter|escape | set NAME N | menu NAME\n"
    "            apply | ok | cancel | answer yes|no|cancel|ok | pick-file PATH\n"
    "            pick-folder PATH | pick-colour 0xBBGGRR | pick-icon FILE,INDEX\n"
    "            cancel-dialog | dump [NAME] | show\n"
    "  SCRIPT: one command per line, '#' starts a comment line. It is read as UTF-8 when it\n"
    "  starts with the UTF-8 byte-order mark, otherwise in the ANSI code page. The TEXT of\n"
    "  type and the PATH of pick-file, pick-folder and pick-icon are the rest of the line;\n"
    "  in double quotes (\"ООО \"\"Ромашка\"\"\") the quotes are dropped and \"\" stands for one.\n"
    "  reg query, reg export and runs of only show, dump and page read the system, also while\n"
    "  the program's window is open. Other runs change it and refuse at once while the window\n"
    "  or another changing volnrx-cli.exe runs; while one runs, the window does not start.\n"
    "  exit status: 0 done, 1 failed or refused (nothing changed), 2 usage error";
#else
constexpr const char* kUsage =
    "usage: volnrx-cli --help\n"
    "       volnrx-cli init [--win9x] DIR | init --disk IMAGE\n"
    "       volnrx-cli --prefix DIR reg query KEY [/v NAME | /ve] [/s]\n"
    "       volnrx-cli --prefix DIR reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "       volnrx-cli --prefix DIR reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "       volnrx-cli --prefix DIR reg export KEY FILE [/y]\n"
    "       volnrx-cli --prefix DIR reg import FILE\n"
    "       volnrx-cli reg OPERATION /?  (the operation's usage)\n"
    "       volnrx-cli --prefix DIR reg copy KEY1 KEY2 [/s] [/f]\n"
    "       volnrx-cli --prefix DIR [--program-dir WINDIR] [COMMAND ...]\n"
    "       volnrx-cli --prefix DIR [--program-dir WINDIR] -f SCRIPT\n"
    "       volnrx-cli --prefix DIR [reg ... | COMMAND ... | -f SCRIPT] --dry-run\n"
    "       volnrx-cli --prefix DIR [reg ... | COMMAND ... | -f SCRIPT] --backup BACKUPDIR\n"
    "       volnrx-cli --prefix DIR restore BACKUPDIR [/f]\n"
    "       volnrx-cli --win9x DIR [--user NAME] ... (a 9x boot drive, as --prefix DIR)\n"
    "       volnrx-cli --disk IMAGE[:N] [--user NAME] ... (the same in a raw disk image)\n"
    "       volnrx-cli --win9x DIR users | --disk IMAGE[:N] users\n"
    "  volnrx-cli.exe on Windows acts on the running system (its --help says how).\n"
    "  commands: page N | click NAME | check NAME on|off | item NAME I on|off | select NAME I\n"
    "            type NAME TEXT | key NAME enter|escape | set NAME N | menu NAME\n"
    "            apply | ok | cancel | answer yes|no|cancel|ok | pick-file PATH\n"
    "            pick-folder PATH | pick-colour 0xBBGGRR | pick-icon FILE,INDEX\n"
    "            cancel-dialog | dump [NAME] | show\n"
    "  SCRIPT: one command per line, '#' starts a comment line; UTF-8 (a byte-order mark is\n"
    "  skipped). The TEXT of type and the PATH of pick-file, pick-folder and pick-icon are the\n"
    "  rest of the line; in double quotes (\"ООО \"\"Ромашка\"\"\") the quotes are dropped and\n"
    "  \"\" stands for one.\n"
    "  reg query, reg export, dry runs and runs of only show, dump and page read the image;\n"
    "  other runs change it, one at a time (a second one waits up to 5 s), and never while a\n"
    "  wineserver runs for it.\n"
    "  restore puts back only what the backed-up run changed; /f also puts back values and files\n"
    "  changed since, and restores onto another machine than the backup's.\n"
    "  exit status: 0 done, 1 failed, 2 usage error, 3 image in use (nothing changed)";
#endif

// The script's text in code page 1251.
std::string ReadScript(const std::string& path) {
  std::string bytes;
  if (!HostReadFile(path, bytes))
    throw std::runtime_error("cannot read the script " + HostToCp1251(path));
#ifdef _WIN32
  return ScriptText(bytes, ScriptEncoding::Cp1251);
#else
  return ScriptText(bytes, ScriptEncoding::Utf8);
#endif
}

int UsageError(const std::string& message) {
  if (!message.empty()) PrintError("volnrx-cli: " + message);
  PrintError(kUsage);
  return kUsageStatus;
}

// Runs of only show, dump and page: they read, so they neither take the program's single-instance
// mutex nor keep its window from starting.
bool OnlyShows(const Options& options) {
  return std::all_of(options.commands.begin(), options.commands.end(),
                     [](const ScriptCommand& command) {
                       return command.verb == "show" || command.verb == "dump" ||
                              command.verb == "page";
                     });
}

#ifndef _WIN32
// Only looking: the image is read and never saved. A run of the program that only shows pages
// counts as one on a Wine prefix; on a 9x drive or disk image it is saved like any other, since
// load-all itself changes files (attributes) that must reach the drive.
bool ReadsOnly(const Options& options, const std::vector<std::string>& args, bool prefix) {
  if (options.dryRun) return true;
  if (!args.empty() && (args[0] == "reg" || args[0] == "restore")) return !WritesWithoutProgram(args);
  return prefix && OnlyShows(options);
}
#endif

// Whether reg argument `i` (args[0] is "reg") names a file of the host: the FILE of export and
// import. Every other one is text of the machine (a key, a value name, data).
bool RegHostPath(const std::vector<std::string>& args, std::size_t i) {
  if (args.size() < 2) return false;
  std::string operation = args[1];
  for (char& c : operation) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return (operation == "export" && i == 3) || (operation == "import" && i == 2);
}

int Run(std::vector<std::string> args) {
  // Arguments arrive in the host's encoding. Host paths (the image, the backup folder, the
  // script, reg export and import files, init's and restore's folders) keep it up to the system
  // call; everything else is text of the machine and goes to code page 1251.
  std::string prefixDir, win9xDir, diskSpec, user;
  Options options;
  std::string scriptPath;
  bool haveScript = false;
  // --dry-run and --backup DIR may also follow the commands ("apply --backup DIR").
  for (std::size_t i = 0; i < args.size();) {
    if (args[i] == "--dry-run") {
      options.dryRun = true;
      args.erase(args.begin() + static_cast<long>(i));
    } else if (args[i] == "--backup") {
      if (i + 1 >= args.size()) return UsageError("--backup needs a folder");
      options.backupDir = args[i + 1];
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
    } else {
      ++i;
    }
  }
  for (;;) {
    if (args.empty() || (args[0] != "--prefix" && args[0] != "--program-dir" && args[0] != "-f" &&
                         args[0] != "--win9x" && args[0] != "--disk" && args[0] != "--user"))
      break;
    if (args.size() < 2 || args[1].empty()) {
      const char* what = args[0] == "--disk" ? "a disk image"
                         : args[0] == "--user" ? "a user name"
                         : args[0] == "-f"     ? "a script file"
                                               : "a folder";
      return UsageError(args[0] + " needs " + what);
    }
    if (args[0] == "--prefix") prefixDir = args[1];
    if (args[0] == "--win9x") win9xDir = args[1];
    if (args[0] == "--disk") diskSpec = args[1];
    if (args[0] == "--user") user = HostToCp1251(args[1]);
    if (args[0] == "--program-dir") {
      options.programDir = HostToCp1251(args[1]);
      if (options.programDir.back() != '\\') options.programDir += '\\';
    }
    if (args[0] == "-f") {
      scriptPath = args[1];
      haveScript = true;
    }
    args.erase(args.begin(), args.begin() + 2);
  }
  const std::string command = args.empty() ? std::string() : args[0];
  if (command == "--help" || command == "-h") {
    Print(kUsage);
    return 0;
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    const bool hostPath = command == "init" || (command == "restore" && i == 1) ||
                          (command == "reg" && RegHostPath(args, i));
    if (!hostPath) args[i] = HostToCp1251(args[i]);
  }
  if (!command.empty() && !IsCommandVerb(command)) args[0] = HostToCp1251(args[0]);
  const bool regHelp = command == "reg" && RegAsksHelp({args.begin() + 1, args.end()});
#ifdef _WIN32
  if ((args.empty() && !haveScript) || command == "init") return UsageError("");
  if (!prefixDir.empty() || !win9xDir.empty() || !diskSpec.empty() || !user.empty())
    return UsageError("volnrx-cli.exe acts on the running system: no --prefix, --win9x, --disk");
#else
  const MachineChoice choice{prefixDir, win9xDir, diskSpec, user};
  if (args.empty() && choice.Given() == 0 && !haveScript) return UsageError("");
  if (command == "init") return RunInit({args.begin() + 1, args.end()});
#endif
  if (command != "reg" && command != "restore" && command != "users" && !command.empty() &&
      !IsCommandVerb(command))
    return UsageError("unknown command '" + args[0] + "'");
  // reg OPERATION /? needs no machine.
  if (regHelp) return RunRegHelp({args.begin() + 1, args.end()});
#ifndef _WIN32
  if (choice.Given() != 1)
    return UsageError("one of --prefix DIR, --win9x DIR and --disk IMAGE is required" +
                      (command.empty() ? std::string() : " for '" + command + "'"));
  if (command == "users") return OfflineMachine::ListUsers(choice);
#endif
  if (options.dryRun && options.backupDir)
    return UsageError("--dry-run and --backup together: a dry run changes nothing to back up");
  if (command == "restore" && (args.size() < 2 || args.size() > 3 ||
                               (args.size() == 3 && !EqualNoCaseCp1251(args[2], "/f"))))
    return UsageError("restore needs the backup folder, and takes only /f beside it");
  // The backup folder must be new: checked before the run does anything.
  if (options.backupDir && (HostFolderExists(*options.backupDir) || HostFileExists(*options.backupDir))) {
    PrintError("volnrx-cli: the backup folder " + HostToCp1251(*options.backupDir) +
               " exists already (it must not exist yet: --backup makes a new one); nothing was changed");
    return 1;
  }
  if (command != "reg" && command != "restore") {
    try {
      if (haveScript && !args.empty()) throw ScriptError(0, "commands and -f SCRIPT together");
      options.commands = haveScript ? ParseScript(ReadScript(scriptPath)) : ParseArguments(args);
    } catch (const ScriptError& error) {
      if (error.line == 0) return UsageError(error.reason);
      const std::string message = "line " + std::to_string(error.line) + ": " + error.reason;
      if (!haveScript) return UsageError(message);
      PrintError("volnrx-cli: " + message);
      return kUsageStatus;
    }
    args.clear();
  }
#ifdef _WIN32
  // The running system: its registry and files, the program's folder beside this executable,
  // message boxes and pickers answered from the script's queues.
  if (options.programDir.empty()) options.programDir = win32::FolderOf(win32::ProgramModulePath());
  CoInitialize(nullptr);
  win32::Win32Platform system;
  win32::Win32Desktop desktop;
  prefix::Journal journal;
  prefix::PrefixDialogs dialogs(journal);
  Platform& platform = system.platform();
  const bool reads = args.empty() ? !options.dryRun && !options.backupDir && OnlyShows(options)
                                  : !WritesWithoutProgram(args) && !options.dryRun &&
                                        !options.backupDir;
  // A changing run marks itself before it takes the program's mutex, so that the window, finding
  // the mutex taken, can tell this run from another window.
  if (!reads) desktop.CreateInstanceMutex(kCliRunName);
  ReadingDesktop reading(desktop);
  platform.desktop = reads ? static_cast<Desktop*>(&reading) : &desktop;
  options.machine.kind = "system";
  platform.system->WindowsDirectory(options.machine.path);
  platform.dialogs = &dialogs;
  const int status = RunOnMachine(Host{platform, journal, dialogs}, options, args, [] {});
  CoUninitialize();
  return status;
#else
  if (options.programDir.empty()) options.programDir = prefix::kImageProgramFolder;
  const bool reads = ReadsOnly(options, args, !choice.prefixDir.empty());
  CheckImage(choice, reads);
  options.machine = {!choice.prefixDir.empty() ? "prefix" : !choice.win9xDir.empty() ? "win9x" : "disk",
                     HostToCp1251(std::filesystem::absolute(choice.ClaimPath()).lexically_normal().string()),
                     choice.user};
  const ImageClaim claim(choice.ClaimPath(), reads ? ImageUse::Read : ImageUse::Write);
  OfflineMachine offline(choice, !reads);
  prefix::PrefixMachine& machine = offline.get();
  Platform platform = machine.platform();
  // A reading run leaves the single-instance lock to the runs that change the image.
  ReadingDesktop reading(*platform.desktop);
  if (reads) platform.desktop = &reading;
  return RunOnMachine(Host{platform, machine.journal(), machine.dialogs()}, options, args,
                      [&] {
                        if (reads) return;
                        claim.CheckBeforeSave();
                        offline.Flush();
                      });
#endif
}

}  // namespace
}  // namespace vlx::cli

int main(int argc, char** argv) {
  // Arguments arrive in the ANSI code page on Windows, in UTF-8 elsewhere.
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return vlx::cli::Run(std::move(args));
#ifndef _WIN32
  } catch (const vlx::prefix::ImageBusy& error) {
    vlx::cli::PrintError(std::string("volnrx-cli: ") + error.what());
    return vlx::cli::kImageBusyStatus;
#endif
  } catch (const std::exception& error) {
    vlx::cli::PrintError(std::string("volnrx-cli: ") + error.what());
    return 1;
  }
}
