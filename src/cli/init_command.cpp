// volnrx-cli init DIR
#include <iostream>

#include "cli/commands.h"
#include "prefix/machine_image.h"
#include "text/cp1251.h"

namespace vlx::cli {

int RunInit(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::cerr << "usage: volnrx-cli init DIR\n";
    return 2;
  }
  // Arguments arrive as CP1251; the host's file names are UTF-8.
  const std::string dir = Cp1251ToUtf8(args[0]);
  prefix::CreateMachineImage(dir);
  std::cout << "machine image created: " << dir << '\n';
  return 0;
}

}  // namespace vlx::cli
