#include "core/command_line.h"

namespace glasslbl {
namespace {

bool IsSeparator(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  // The command line ends at its first zero character, as the C string it comes from does.
  commandLine = commandLine.substr(0, commandLine.find('\0'));
  std::vector<std::string> arguments;
  std::size_t i = 0;
  while (true) {
    while (i < commandLine.size() && IsSeparator(commandLine[i])) ++i;
    if (i == commandLine.size()) break;
    std::string argument;
    bool quoted = false;
    for (; i < commandLine.size() && (quoted || !IsSeparator(commandLine[i])); ++i) {
      if (commandLine[i] == '"')
        quoted = !quoted;
      else
        argument += commandLine[i];
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::vector<std::string> ProgramArguments(std::string_view commandLine) {
  auto arguments = SplitCommandLine(commandLine);
  if (!arguments.empty()) arguments.erase(arguments.begin());
  return arguments;
}

}  // namespace glasslbl
