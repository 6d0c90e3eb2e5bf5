// Files in a folder of the computer volnrx-cli runs on (a backup's folder): plain C library and
// ANSI calls, so that the same code serves Windows 98.
#pragma once
#include <string>

namespace vlx::cli {

// The folder and a name in it, joined with the system's separator.
std::string HostJoin(const std::string& folder, const std::string& name);
// A new folder; false when it exists already or cannot be made.
bool HostMakeFolder(const std::string& path);
bool HostFolderExists(const std::string& path);
bool HostFileExists(const std::string& path);
bool HostWriteFile(const std::string& path, const std::string& bytes);
bool HostReadFile(const std::string& path, std::string& bytes);
// Text in the host's encoding (an argument, a host path) as code page 1251, for the machine and
// for messages: converted from UTF-8 on Linux, as it is (ANSI) on Windows.
std::string HostToCp1251(const std::string& text);

}  // namespace vlx::cli
