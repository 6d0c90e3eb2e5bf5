// volnrx-cli: the headless front end, over an offline machine image (--prefix DIR) or, built
// for Windows, over the running system.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/host_folder.h"
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

constexpr const char* kUsage =
    "usage: volnrx-cli --help\n"
    "       volnrx-cli init [--win9x] DIR | init --disk IMAGE\n"
    "       volnrx-cli --prefix DIR reg query KEY [/v NAME | /ve] [/s]\n"
    "       volnrx-cli --prefix DIR reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "       volnrx-cli --prefix DIR reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "       volnrx-cli --prefix DIR reg export KEY FILE [/y]\n"
    "       volnrx-cli --prefix DIR reg import FILE\n"
    "       volnrx-cli --prefix DIR [--program-dir WINDIR] [COMMAND ...]\n"
    "       volnrx-cli --prefix DIR [--program-dir WINDIR] -f SCRIPT\n"
    "       volnrx-cli --prefix DIR [reg ... | COMMAND ... | -f SCRIPT] --dry-run\n"
    "       volnrx-cli --prefix DIR [reg ... | COMMAND ... | -f SCRIPT] --backup BACKUPDIR\n"
    "       volnrx-cli --prefix DIR restore BACKUPDIR [/f]\n"
    "       volnrx-cli --win9x DIR [--user NAME] ... (a 9x boot drive, as --prefix DIR)\n"
    "       volnrx-cli --disk IMAGE[:N] [--user NAME] ... (the same in a raw disk image)\n"
    "       volnrx-cli --win9x DIR users | --disk IMAGE[:N] users\n"
    "  volnrx-cli.exe on Windows takes the same commands without --prefix DIR (and without init)\n"
    "  and acts on the running system.\n"
    "  commands: page N | click NAME | check NAME on|off | item NAME I on|off | select NAME I\n"
    "            type NAME TEXT | key NAME enter|escape | set NAME N | menu NAME\n"
    "            apply | ok | cancel | answer yes|no|cancel|ok | pick-file PATH\n"
    "            pick-folder PATH | pick-colour 0xBBGGRR | pick-icon FILE,INDEX\n"
    "            cancel-dialog | dump [NAME] | show\n"
    "  reg query, reg export, dry runs and runs of only show, dump and page read the image;\n"
    "  other runs change it, one at a time (a second one waits up to 5 s), and never while a\n"
    "  wineserver runs for it.\n"
    "  restore puts back only what the backed-up run changed; /f also puts back values and files\n"
    "  changed since, and restores onto another machine than the backup's.\n"
    "  exit status: 0 done, 1 failed, 2 usage error, 3 image in use (nothing changed)";

// The script's text in code page 1251: converted from UTF-8 on Linux, as it is on Windows.
std::string ReadScript(const std::string& path) {
  std::string text;
  if (!HostReadFile(path, text)) throw std::runtime_error("cannot read the script " + path);
#ifdef _WIN32
  return text;
#else
  return Utf8ToCp1251(text);
#endif
}

int UsageError(const std::string& message) {
  if (!message.empty()) PrintError("volnrx-cli: " + message);
  WriteLine(stderr, kUsage);
  return 2;
}

#ifndef _WIN32
// Only looking: the image is read and never saved. A run of the program that only shows pages
// counts as one on a Wine prefix; on a 9x drive or disk image it is saved like any other, since
// load-all itself changes files (attributes) that must reach the drive.
bool ReadsOnly(const Options& options, const std::vector<std::string>& args, bool prefix) {
  if (options.dryRun) return true;
  if (!args.empty() && (args[0] == "reg" || args[0] == "restore")) return !WritesWithoutProgram(args);
  return prefix && std::all_of(options.commands.begin(), options.commands.end(),
                     [](const ScriptCommand& command) {
                       return command.verb == "show" || command.verb == "dump" ||
                              command.verb == "page";
                     });
}
#endif

int Run(std::vector<std::string> args) {
  std::string prefixDir, win9xDir, diskSpec, user;
  Options options;
  std::string scriptPath;
  bool haveScript = false;
  // --dry-run and --backup DIR may also follow the commands ("apply --backup DIR").
  for (std::size_t i = 0; i < args.size();) {
    if (args[i] == "--dry-run") {
      options.dryRun = true;
      args.erase(args.begin() + static_cast<long>(i));
    } else if (args[i] == "--backup" && i + 1 < args.size()) {
      options.backupDir = args[i + 1];
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
    } else {
      ++i;
    }
  }
  for (;;) {
    if (args.size() < 2 || (args[0] != "--prefix" && args[0] != "--program-dir" && args[0] != "-f" &&
                            args[0] != "--win9x" && args[0] != "--disk" && args[0] != "--user"))
      break;
    if (args[0] == "--prefix") prefixDir = args[1];
    if (args[0] == "--win9x") win9xDir = args[1];
    if (args[0] == "--disk") diskSpec = args[1];
    if (args[0] == "--user") user = args[1];
    if (args[0] == "--program-dir") {
      options.programDir = args[1];
      if (options.programDir.empty() || options.programDir.back() != '\\') options.programDir += '\\';
    }
    if (args[0] == "-f") {
      scriptPath = args[1];
      haveScript = true;
    }
    args.erase(args.begin(), args.begin() + 2);
  }
  const std::string command = args.empty() ? std::string() : args[0];
  if (command == "--help" || command == "-h") {
    WriteLine(stdout, kUsage);
    return 0;
  }
#ifdef _WIN32
  if ((args.empty() && !haveScript) || command == "init") return UsageError("");
  if (!prefixDir.empty() || !win9xDir.empty() || !diskSpec.empty() || !user.empty())
    return UsageError("volnrx-cli.exe acts on the running system: no --prefix, --win9x, --disk");
#else
  // The folders and the image are host paths (UTF-8); the user name is a 9x one (CP1251).
  const MachineChoice choice{prefixDir, Cp1251ToUtf8(win9xDir), Cp1251ToUtf8(diskSpec), user};
  if (args.empty() && choice.Given() == 0) return UsageError("");
  if (command == "init") return RunInit({args.begin() + 1, args.end()});
#endif
  if (command != "reg" && command != "restore" && command != "users" && !command.empty() &&
      !IsCommandVerb(command))
    return UsageError("unknown command '" + command + "'");
#ifndef _WIN32
  if (choice.Given() != 1)
    return UsageError("one of --prefix DIR, --win9x DIR and --disk IMAGE is required for '" +
                      command + "'");
  if (command == "users") return OfflineMachine::ListUsers(choice);
#endif
  if (options.dryRun && options.backupDir) {
    PrintError("volnrx-cli: --dry-run and --backup together: a dry run changes nothing to back up");
    return 2;
  }
  if (command != "reg" && command != "restore") {
    try {
      options.commands = haveScript ? ParseScript(ReadScript(scriptPath)) : ParseArguments(args);
      if (haveScript && !args.empty()) throw ScriptError(0, "commands and -f SCRIPT together");
    } catch (const ScriptError& error) {
      const std::string message = "line " + std::to_string(error.line) + ": " + error.reason;
      if (!haveScript) return UsageError(message);
      PrintError("volnrx-cli: " + message);
      return 2;
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
  options.machine.kind = "system";
  platform.system->WindowsDirectory(options.machine.path);
  platform.desktop = &desktop;
  platform.dialogs = &dialogs;
  const int status = RunOnMachine(Host{platform, journal, dialogs}, options, args, [] {});
  CoUninitialize();
  return status;
#else
  if (options.programDir.empty()) options.programDir = prefix::kImageProgramFolder;
  const bool reads = ReadsOnly(options, args, !choice.prefixDir.empty());
  options.machine = {!choice.prefixDir.empty() ? "prefix" : !choice.win9xDir.empty() ? "win9x" : "disk",
                     Utf8ToCp1251(std::filesystem::absolute(choice.ClaimPath()).lexically_normal().string()),
                     choice.user};
  const ImageClaim claim(choice.ClaimPath(), reads ? ImageUse::Read : ImageUse::Write);
  OfflineMachine offline(choice);
  prefix::PrefixMachine& machine = offline.get();
  return RunOnMachine(Host{machine.platform(), machine.journal(), machine.dialogs()}, options, args,
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
  std::vector<std::string> args;
#ifdef _WIN32
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
#else
  for (int i = 1; i < argc; ++i) args.push_back(vlx::Utf8ToCp1251(argv[i]));
#endif
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
