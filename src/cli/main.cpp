// volnrx-cli: the headless front end over the offline machine image.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "text/cp1251.h"

namespace vlx::cli {

void Print(const std::string& cp1251Text) { std::cout << Cp1251ToUtf8(cp1251Text) << '\n'; }
void PrintError(const std::string& cp1251Text) { std::cerr << Cp1251ToUtf8(cp1251Text) << '\n'; }

namespace {

constexpr const char* kUsage =
    "usage: volnrx-cli init DIR\n"
    "       volnrx-cli --prefix DIR reg query KEY [/v NAME | /ve] [/s]\n"
    "       volnrx-cli --prefix DIR reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "       volnrx-cli --prefix DIR reg delete KEY [/v NAME | /ve | /va] [/f]";

int Run(std::vector<std::string> args) {
  std::string prefixDir;
  if (args.size() >= 2 && args[0] == "--prefix") {
    prefixDir = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) {
    std::cerr << kUsage << '\n';
    return 2;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "init") return RunInit(args);
  if (prefixDir.empty()) {
    std::cerr << "volnrx-cli: --prefix DIR is required for '" << command << "'\n" << kUsage << '\n';
    return 2;
  }
  prefix::PrefixMachine machine(prefixDir);
  int status = 2;
  if (command == "reg") {
    status = RunReg(machine, args);
  } else {
    std::cerr << "volnrx-cli: unknown command '" << command << "'\n" << kUsage << '\n';
    return 2;
  }
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
