// volnrx-cli init [--win9x] DIR, and the profile list of a 9x drive.
#include <iostream>

#include "cli/commands.h"
#include "prefix/machine_image.h"
#include "text/cp1251.h"
#include "win9x/win9x_image.h"

namespace vlx::cli {

int RunInit(const std::vector<std::string>& args) {
  const bool win9x = args.size() == 2 && args[0] == "--win9x";
  if (args.size() != 1 && !win9x) {
    std::cerr << "usage: volnrx-cli init [--win9x] DIR\n";
    return 2;
  }
  // Arguments arrive as CP1251; the host's file names are UTF-8.
  const std::string dir = Cp1251ToUtf8(args.back());
  if (win9x) {
    win9x::CreateWin9xDrive(dir);
    std::cout << "Windows 9x drive created: " << dir << '\n';
    return 0;
  }
  prefix::CreateMachineImage(dir);
  std::cout << "machine image created: " << dir << '\n';
  return 0;
}

int RunUsers(const win9x::Win9xDrive& drive) {
  for (const auto& name : win9x::Win9xProfiles(drive)) Print(name);
  return 0;
}

}  // namespace vlx::cli
