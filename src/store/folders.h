// The machine folders every page uses.
#pragma once
#include <string>

#include "platform/system_info.h"

namespace vlx {

// "C:\WINDOWS" without a trailing backslash; empty when the system cannot say.
std::string GetWindowsDir(SystemInfo& system);
// "C:\WINDOWS\SYSTEM" without a trailing backslash; empty when the system cannot say.
std::string GetSystemDir(SystemInfo& system);
// The temporary folder with its trailing backslash; a single blank when the system cannot say.
std::string GetTempDir(SystemInfo& system);
// The boot drive, taken as the first two characters of the Windows folder ("C:").
std::string GetBootDrive(SystemInfo& system);

}  // namespace vlx
