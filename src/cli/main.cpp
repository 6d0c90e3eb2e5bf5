// volnrx-cli: the headless front end over the offline machine image.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "prefix/prefix_library.h"
#include "cli/offline_machine.h"
#include "text/cp1251.h"

namespace vlx::cli {

void Print(const std::string& cp1251Text) { std::cout << Cp1251ToUtf8(cp1251Text) << '\n'; }
void PrintError(const std::string& cp1251Text) { std::cerr << Cp1251ToUtf8(cp1251Text) << '\n'; }

namespace {

constexpr const char* kUsage =
    "usage: volnrx-cli init [--win9x] DIR | init --disk IMAGE\n"
    "       volnrx-cli --prefix DIR reg query KEY [/v NAME | /ve] [/s]\n"
    "       volnrx-cli --prefix DIR reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "       volnrx-cli --prefix DIR reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "       volnrx-cli --prefix DIR [--program-dir WINDIR] [COMMAND ...]\n"
    "       volnrx-cli --prefix DIR [--program-dir WINDIR] -f SCRIPT\n"
    "       volnrx-cli --win9x DIR [--user NAME] ... (a 9x boot drive, as --prefix DIR)\n"
    "       volnrx-cli --disk IMAGE[:N] [--user NAME] ... (the same in a raw disk image)\n"
    "       volnrx-cli --win9x DIR users | --disk IMAGE[:N] users\n"
    "  commands: page N | click NAME | check NAME on|off | item NAME I on|off | select NAME I\n"
    "            type NAME TEXT | key NAME enter|escape | set NAME N | menu NAME\n"
    "            apply | ok | cancel | answer yes|no|cancel|ok | pick-file PATH\n"
    "            pick-folder PATH | pick-colour 0xBBGGRR | pick-icon FILE,INDEX\n"
    "            cancel-dialog | dump [NAME] | show";

// The script's text, converted to code page 1251 like the arguments.
std::string ReadScript(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the script " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return Utf8ToCp1251(text.str());
}

int Run(std::vector<std::string> args) {
  MachineChoice choice;
  std::string programDir = prefix::kImageProgramFolder;
  std::string scriptPath;
  bool haveScript = false;
  while (args.size() >= 2 && (args[0] == "--prefix" || args[0] == "--program-dir" ||
                              args[0] == "-f" || args[0] == "--win9x" || args[0] == "--disk" ||
                              args[0] == "--user")) {
    if (args[0] == "--prefix") choice.prefixDir = args[1];
    if (args[0] == "--win9x") choice.win9xDir = Cp1251ToUtf8(args[1]);
    if (args[0] == "--disk") choice.diskSpec = Cp1251ToUtf8(args[1]);
    if (args[0] == "--user") choice.user = args[1];
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
  if (args.empty() && choice.Given() == 0) {
    std::cerr << kUsage << '\n';
    return 2;
  }
  const std::string command = args.empty() ? std::string() : args[0];
  if (command == "init") return RunInit({args.begin() + 1, args.end()});
  if (choice.Given() != 1) {
    std::cerr << "volnrx-cli: one of --prefix DIR, --win9x DIR and --disk IMAGE is required for '"
              << command << "'\n" << kUsage << '\n';
    return 2;
  }
  if (command == "users") return OfflineMachine::ListUsers(choice);
  if (command != "reg") {
    std::vector<ScriptCommand> commands;
    try {
      commands = haveScript ? ParseScript(ReadScript(scriptPath)) : ParseArguments(args);
      if (haveScript && !args.empty()) throw ScriptError(0, "commands and -f SCRIPT together");
    } catch (const ScriptError& error) {
      PrintError("volnrx-cli: line " + std::to_string(error.line) + ": " + error.reason);
      return 2;
    }
    OfflineMachine machine(choice);
    const int status = RunProgram(machine.get(), programDir, commands);
    machine.Flush();
    return status;
  }
  args.erase(args.begin());
  OfflineMachine machine(choice);
  const int status = RunReg(machine.get(), args);
  machine.Flush();
  return status;
}

}  // namespace
}  // namespace vlx::cli

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(vlx::Utf8ToCp1251(argv[i]));
  try {
    return vlx::cli::Run(std::move(args));
  } catch (const std::exception& error) {
    vlx::cli::PrintError(std::string("volnrx-cli: ") + error.what());
    return 1;
  }
}
