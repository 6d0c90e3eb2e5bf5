// A Windows 95/98/ME boot drive copied or mounted on the host: drive C: is the folder itself,
// the registry is the Windows folder's SYSTEM.DAT and USER.DAT (or a profile's USER.DAT).
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "prefix/prefix_machine.h"

namespace vlx::win9x {

struct Win9xDrive {
  std::filesystem::path root;
  std::filesystem::path windows;    // host folder of the Windows folder
  std::filesystem::path systemDat;  // HKEY_LOCAL_MACHINE
  std::filesystem::path userDat;    // HKEY_CURRENT_USER
  std::filesystem::path classesDat;  // HKEY_CLASSES_ROOT on Windows ME; empty without one
};

// Finds the Windows folder (MSDOS.SYS [Paths] WinDir=, else WINDOWS) and the hives; `user`
// chooses WINDOWS\Profiles\<user>\USER.DAT. Raises prefix::PrefixError when the folder holds no
// 9x installation or the profile does not exist (naming the profiles there are).
Win9xDrive LocateWin9x(const std::filesystem::path& root, const std::string& user = {});

// The user profiles of the installation: the folders of WINDOWS\Profiles that hold a USER.DAT.
std::vector<std::string> Win9xProfiles(const Win9xDrive& drive);

// The machine over the drive: the prefix adapters with the 9x registry files.
prefix::MachineLayout Win9xLayout(const Win9xDrive& drive);

}  // namespace vlx::win9x
