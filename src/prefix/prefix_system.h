// The machine's folders as the image's registry records them, with Windows 98 defaults:
// SystemInfo (Windows, System and temporary folders) and Shell (special folders by CSIDL).
#pragma once
#include <string>

#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system_info.h"

namespace vlx::prefix {

class PrefixSystemInfo : public SystemInfo {
 public:
  explicit PrefixSystemInfo(Registry& registry) : registry_(registry) {}

  // HKLM ...\Windows\CurrentVersion "SystemRoot" (on a Wine prefix the Windows NT key's),
  // else C:\WINDOWS.
  bool WindowsDirectory(std::string& out) override;
  // The Windows folder's SYSTEM (system32 when the Windows NT key named the Windows folder).
  bool SystemDirectory(std::string& out) override;
  // HKCU\Environment TEMP (or TMP) with %SystemRoot% / %windir% expanded, else the Windows
  // folder's TEMP, always with a trailing backslash. Fails on a value that names no absolute
  // path (an unknown variable, a relative path), as GetTempPathA cannot give one then.
  bool TempPath(std::string& out) override;

 private:
  bool NtLayout(std::string& windows);

  Registry& registry_;
};

class PrefixShell : public Shell {
 public:
  PrefixShell(Registry& registry, SystemInfo& system) : registry_(registry), system_(system) {}

  // The "Shell Folders" value of the CSIDL's folder (HKCU, or HKLM for the common ones), else
  // "User Shell Folders", else the Windows 98 place under the Windows folder. False for a CSIDL
  // this shell does not know.
  bool SpecialFolderPath(int csidl, std::string& out) override;

 private:
  Registry& registry_;
  SystemInfo& system_;
};

}  // namespace vlx::prefix
