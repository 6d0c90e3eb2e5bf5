// Command-line splitting: characters 1 to 32 separate arguments, double quotes group characters
// and are dropped.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace glasslbl {

// Every argument of the command line, the program name first.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The arguments after the program name.
std::vector<std::string> ProgramArguments(std::string_view commandLine);

}  // namespace glasslbl
