// Runs a host program (mtools, mkfs.fat) without a shell and collects what it prints.
#pragma once
#include <string>
#include <vector>

namespace vlx::win9x {

struct ToolResult {
  int status = -1;  // the exit status; -1 when it could not be started or did not exit
  std::string output;  // standard output
  std::string errors;  // standard error
};

// `args[0]` is looked up in PATH; stdin is /dev/null. The child gets LC_ALL=C.UTF-8 (host file
// names are UTF-8) and MTOOLS_SKIP_CHECK=1 (images need not have floppy geometry).
ToolResult RunTool(const std::vector<std::string>& args);

// RunTool that raises prefix::PrefixError with the command and its errors unless it exits with 0.
std::string RunToolChecked(const std::vector<std::string>& args);

}  // namespace vlx::win9x
