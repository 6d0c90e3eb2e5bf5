// A small Windows 98-like boot drive: the machine image's folders and files, with the registry
// as SYSTEM.DAT and USER.DAT in the Windows folder.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "prefix/machine_image.h"

namespace vlx::win9x {

// Creates the drive in `root`, which must not exist or be an empty folder; built beside it and
// moved into place, so a failure leaves nothing half made. Raises prefix::PrefixError.
void CreateWin9xDrive(const std::filesystem::path& root);

// A hive file in the 9x format for the given values.
std::string Win9xHiveBytes(const std::vector<prefix::HiveValue>& values);

}  // namespace vlx::win9x
