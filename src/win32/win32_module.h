// The running program's own file.
#pragma once
#include <string>

namespace vlx::win32 {

// GetModuleFileNameA(NULL): the full path of the executable, however long.
std::string ProgramModulePath();
// The folder of a path, with its trailing backslash.
std::string FolderOf(const std::string& path);

}  // namespace vlx::win32
