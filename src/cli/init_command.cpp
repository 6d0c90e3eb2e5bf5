// volnrx-cli init [--win9x] DIR | init --disk IMAGE
#include <iostream>

#include "cli/commands.h"
#include "prefix/machine_image.h"
#include "win9x/disk_image.h"
#include "win9x/win9x_image.h"

namespace vlx::cli {

int RunInit(const std::vector<std::string>& args) {
  const bool win9x = args.size() == 2 && args[0] == "--win9x";
  const bool disk = args.size() == 2 && args[0] == "--disk";
  if (args.size() != 1 && !win9x && !disk) {
    std::cerr << "usage: volnrx-cli init [--win9x] DIR | init --disk IMAGE\n";
    return 2;
  }
  // A host path, in the host's encoding.
  const std::string& dir = args.back();
  if (disk) {
    win9x::CreateDiskImage(dir);
    std::cout << "disk image created: " << dir << '\n';
    return 0;
  }
  if (win9x) {
    win9x::CreateWin9xDrive(dir);
    std::cout << "Windows 9x drive created: " << dir << '\n';
    return 0;
  }
  prefix::CreateMachineImage(dir);
  std::cout << "machine image created: " << dir << '\n';
  return 0;
}

}  // namespace vlx::cli
