#include "prefix/prefix_system.h"

#include <array>

#include "store/reg_store.h"
#include "text/cp1251.h"

namespace vlx::prefix {

namespace {

constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNtCurrentVersion = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kDefaultWindows = "C:\\WINDOWS";

// A text value, empty when the key or value is missing or holds no text.
std::string ReadText(Registry& registry, RegKey root, const std::string& path,
                     const std::string& name) {
  RegStore store(registry);
  store.SetRoot(root);
  if (!store.OpenPath(path, false)) return {};
  try {
    return store.ReadText(name);
  } catch (const StoreError&) {
    return {};
  }
}

bool IsAbsolute(const std::string& path) {
  return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

// Replaces %SystemRoot% and %windir% (any case); other variables stay as they are.
std::string ExpandWindowsVariables(std::string text, const std::string& windows) {
  for (const char* name : {"%SystemRoot%", "%windir%"}) {
    const std::string variable = name;
    for (std::size_t at = 0; at + variable.size() <= text.size();) {
      if (EqualNoCaseCp1251(std::string_view(text).substr(at, variable.size()), variable)) {
        text.replace(at, variable.size(), windows);
        at += windows.size();
      } else {
        ++at;
      }
    }
  }
  return text;
}

struct FolderEntry {
  int csidl;
  const char* value;     // the name under Shell Folders
  bool common;           // HKLM instead of HKCU
  const char* fallback;  // below the Windows folder; "" for none
};

// Where Windows 98 keeps each folder when the registry does not say.
constexpr std::array<FolderEntry, 21> kFolders = {{
    {0x00, "Desktop", false, "\\Desktop"},
    {0x02, "Programs", false, "\\Start Menu\\Programs"},
    {0x05, "Personal", false, ""},
    {0x06, "Favorites", false, "\\Favorites"},
    {0x07, "Startup", false, "\\Start Menu\\Programs\\StartUp"},
    {0x08, "Recent", false, "\\Recent"},
    {0x09, "SendTo", false, "\\SendTo"},
    {0x0B, "Start Menu", false, "\\Start Menu"},
    {0x13, "NetHood", false, "\\NetHood"},
    {0x14, "Fonts", false, "\\Fonts"},
    {0x15, "Templates", false, "\\ShellNew"},
    {0x16, "Common Start Menu", true, "\\All Users\\Start Menu"},
    {0x17, "Common Programs", true, "\\All Users\\Start Menu\\Programs"},
    {0x18, "Common Startup", true, "\\All Users\\Start Menu\\Programs\\StartUp"},
    {0x19, "Common Desktop", true, "\\All Users\\Desktop"},
    {0x1A, "AppData", false, "\\Application Data"},
    {0x1B, "PrintHood", false, "\\PrintHood"},
    {0x20, "Cache", false, "\\Temporary Internet Files"},
    {0x21, "Cookies", false, "\\Cookies"},
    {0x22, "History", false, "\\History"},
    {0x26, "", true, ""},  // Program Files: HKLM CurrentVersion "ProgramFilesDir"
}};
constexpr int kCsidlWindows = 0x24;
constexpr int kCsidlSystem = 0x25;
constexpr int kCsidlProgramFiles = 0x26;
constexpr int kCsidlPersonal = 0x05;

}  // namespace

bool PrefixSystemInfo::NtLayout(std::string& windows) {
  windows = ReadText(registry_, regroot::LocalMachine, kCurrentVersion, "SystemRoot");
  if (IsAbsolute(windows)) return false;
  windows = ReadText(registry_, regroot::LocalMachine, kNtCurrentVersion, "SystemRoot");
  if (IsAbsolute(windows)) return true;
  windows = kDefaultWindows;
  return false;
}

bool PrefixSystemInfo::WindowsDirectory(std::string& out) {
  NtLayout(out);
  out = WithoutTrailingBackslash(out);
  return true;
}

bool PrefixSystemInfo::SystemDirectory(std::string& out) {
  std::string windows;
  const bool nt = NtLayout(windows);
  out = WithoutTrailingBackslash(windows) + (nt ? "\\system32" : "\\SYSTEM");
  return true;
}

bool PrefixSystemInfo::TempPath(std::string& out) {
  std::string windows;
  WindowsDirectory(windows);
  std::string temp = ReadText(registry_, regroot::CurrentUser, "Environment", "TEMP");
  if (temp.empty()) temp = ReadText(registry_, regroot::CurrentUser, "Environment", "TMP");
  if (temp.empty()) {
    temp = windows + "\\TEMP";
  } else {
    temp = ExpandWindowsVariables(temp, windows);
    if (!IsAbsolute(temp) || temp.find('%') != std::string::npos) return false;
  }
  if (temp.back() != '\\') temp += '\\';
  out = temp;
  return true;
}

bool PrefixShell::SpecialFolderPath(int csidl, std::string& out) {
  std::string windows;
  if (!system_.WindowsDirectory(windows)) return false;
  windows = WithoutTrailingBackslash(windows);
  if (csidl == kCsidlWindows) {
    out = windows;
    return true;
  }
  if (csidl == kCsidlSystem) return system_.SystemDirectory(out);
  for (const auto& folder : kFolders) {
    if (folder.csidl != csidl) continue;
    const RegKey root = folder.common ? regroot::LocalMachine : regroot::CurrentUser;
    std::string path;
    if (csidl == kCsidlProgramFiles) {
      path = ReadText(registry_, regroot::LocalMachine, kCurrentVersion, "ProgramFilesDir");
      if (path.empty()) path = windows.substr(0, 2) + "\\Program Files";
    } else {
      path = ReadText(registry_, root, kShellFolders, folder.value);
      if (path.empty())
        path = ExpandWindowsVariables(ReadText(registry_, root, kUserShellFolders, folder.value),
                                      windows);
      if (path.empty() && csidl == kCsidlPersonal) path = windows.substr(0, 2) + "\\My Documents";
      if (path.empty()) path = windows + folder.fallback;
    }
    out = WithoutTrailingBackslash(path);
    return true;
  }
  return false;
}

}  // namespace vlx::prefix
