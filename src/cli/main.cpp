// volnrx-cli: the headless front end over the offline machine image.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "cli/image_claim.h"
#include "prefix/prefix_library.h"
#include "text/cp1251.h"

namespace vlx::cli {

void Print(const std::string& cp1251Text) { std::cout << Cp1251ToUtf8(cp1251Text) << '\n'; }
void PrintError(const std::string& cp1251Text) { std::cerr << Cp1251ToUtf8(cp1251Text) << '\n'; }

namespace {

constexpr const char* kUsage =
    "usage: volnrx-cli --help\n"
    "       volnrx-cli init DIR\n"
    "       volnrx-cli --prefix DIR reg query KEY [/v NAME | /ve] [/s]\n"
    "       volnrx-cli --prefix DIR reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "       volnrx-cli --prefix DIR reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "       volnrx-cli --prefix DIR [--program-dir WINDIR] [COMMAND ...]\n"
    "       volnrx-cli --prefix DIR [--program-dir WINDIR] -f SCRIPT\n"
    "  commands: page N | click NAME | check NAME on|off | item NAME I on|off | select NAME I\n"
    "            type NAME TEXT | key NAME enter|escape | set NAME N | menu NAME\n"
    "            apply | ok | cancel | answer yes|no|cancel|ok | pick-file PATH\n"
    "            pick-folder PATH | pick-colour 0xBBGGRR | pick-icon FILE,INDEX\n"
    "            cancel-dialog | dump [NAME] | show\n"
    "  reg query and runs of only show, dump and page read the image; other runs change it,\n"
    "  one at a time (a second one waits up to 5 s), and never while a wineserver runs for it.\n"
    "  exit status: 0 done, 1 failed, 2 usage error, 3 image in use (nothing changed)";

// The script's text, converted to code page 1251 like the arguments.
std::string ReadScript(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the script " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return Utf8ToCp1251(text.str());
}

int UsageError(const std::string& message) {
  if (!message.empty()) PrintError("volnrx-cli: " + message);
  std::cerr << kUsage << '\n';
  return 2;
}

// Only looking: the image is read and never saved.
bool ReadsOnly(const std::vector<ScriptCommand>& commands) {
  return std::all_of(commands.begin(), commands.end(), [](const ScriptCommand& command) {
    return command.verb == "show" || command.verb == "dump" || command.verb == "page";
  });
}

// Runs `body` over the image, claimed for `use`; a writer saves afterwards.
template <typename Body>
int OverImage(const std::string& prefixDir, ImageUse use, Body&& body) {
  ImageClaim claim(prefixDir, use);
  prefix::PrefixMachine machine(prefixDir);
  const int status = body(machine);
  if (use == ImageUse::Write) {
    claim.CheckBeforeSave();
    machine.Flush();
  }
  return status;
}

int Run(std::vector<std::string> args) {
  std::string prefixDir;
  std::string programDir = prefix::kImageProgramFolder;
  std::string scriptPath;
  bool haveScript = false;
  while (args.size() >= 2 && (args[0] == "--prefix" || args[0] == "--program-dir" ||
                              args[0] == "-f")) {
    if (args[0] == "--prefix") prefixDir = args[1];
    if (args[0] == "--program-dir") {
      programDir = args[1];
      if (programDir.empty() || programDir.back() != '\\') programDir += '\\';
    }
    if (args[0] == "-f") {
      scriptPath = args[1];
      haveScript = true;
    }
    args.erase(args.begin(), args.begin() + 2);
  }
  const std::string command = args.empty() ? std::string() : args[0];
  if (command == "--help" || command == "-h") {
    std::cout << kUsage << '\n';
    return 0;
  }
  if (args.empty() && prefixDir.empty()) return UsageError("");
  if (command == "init") return RunInit({args.begin() + 1, args.end()});
  if (command != "reg" && !command.empty() && !IsCommandVerb(command))
    return UsageError("unknown command '" + command + "'");
  if (prefixDir.empty()) return UsageError("--prefix DIR is required for '" + command + "'");
  if (command != "reg") {
    std::vector<ScriptCommand> commands;
    try {
      commands = haveScript ? ParseScript(ReadScript(scriptPath)) : ParseArguments(args);
      if (haveScript && !args.empty()) throw ScriptError(0, "commands and -f SCRIPT together");
    } catch (const ScriptError& error) {
      const std::string message = "line " + std::to_string(error.line) + ": " + error.reason;
      if (!haveScript) return UsageError(message);
      PrintError("volnrx-cli: " + message);
      return 2;
    }
    return OverImage(prefixDir, ReadsOnly(commands) ? ImageUse::Read : ImageUse::Write,
                     [&](prefix::PrefixMachine& machine) {
                       return RunProgram(machine, programDir, commands);
                     });
  }
  args.erase(args.begin());
  const bool query = !args.empty() && EqualNoCaseCp1251(args[0], "query");
  return OverImage(prefixDir, query ? ImageUse::Read : ImageUse::Write,
                   [&](prefix::PrefixMachine& machine) { return RunReg(machine, args); });
}

}  // namespace
}  // namespace vlx::cli

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(vlx::Utf8ToCp1251(argv[i]));
  try {
    return vlx::cli::Run(std::move(args));
  } catch (const vlx::prefix::ImageBusy& error) {
    vlx::cli::PrintError(std::string("volnrx-cli: ") + error.what());
    return vlx::cli::kImageBusyStatus;
  } catch (const std::exception& error) {
    vlx::cli::PrintError(std::string("volnrx-cli: ") + error.what());
    return 1;
  }
}
