// System information port: folders and facts kernel32 reports about the running system.
#pragma once
#include <string>

namespace vlx {

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // GetWindowsDirectoryA: "C:\WINDOWS" (no trailing backslash). False when the call fails.
  virtual bool WindowsDirectory(std::string& out) = 0;
  // GetSystemDirectoryA: "C:\WINDOWS\SYSTEM".
  virtual bool SystemDirectory(std::string& out) = 0;
  // GetTempPathA: "C:\WINDOWS\TEMP\" (with trailing backslash).
  virtual bool TempPath(std::string& out) = 0;
};

}  // namespace vlx
