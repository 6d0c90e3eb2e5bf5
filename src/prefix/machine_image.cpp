#include "prefix/machine_image.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "app/image_library.h"
#include "platform/win_types.h"
#include "prefix/atomic_file.h"
#include "prefix/dos_attributes.h"
#include "prefix/prefix_error.h"
#include "prefix/prefix_library.h"
#include "prefix/reg_file.h"
#include "text/cp1251.h"

namespace vlx::prefix {

namespace fs = std::filesystem;

namespace {

// ------------------------------------------------------------------ what the image holds

HiveValue Sz(std::string key, std::string name, std::string text) {
  return {std::move(key), std::move(name), regtype::Sz, std::move(text)};
}
HiveValue Dword(std::string key, std::string name, std::uint32_t number) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
  return {std::move(key), std::move(name), regtype::Dword, bytes};
}
HiveValue Binary(std::string key, std::string name, std::string bytes) {
  return {std::move(key), std::move(name), regtype::Binary, std::move(bytes)};
}

const std::string kVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
const std::string kUninstall = kVersion + "\\Uninstall\\";
const std::string kShellFolders = kVersion + "\\Explorer\\Shell Folders";

std::vector<HiveValue> MachineValues() {
  return {
      Sz(kVersion, "ProductName", "Microsoft Windows 98"),
      Sz(kVersion, "Version", "Windows 98"),
      Sz(kVersion, "VersionNumber", "4.10.2222"),
      Sz(kVersion, "SubVersionNumber", " A"),
      Sz(kVersion, "SystemRoot", "C:\\WINDOWS"),
      Sz(kVersion, "ProgramFilesDir", "C:\\Program Files"),
      Sz(kVersion, "CommonFilesDir", "C:\\Program Files\\Common Files"),
      Sz(kVersion, "MediaPath", "C:\\WINDOWS\\MEDIA"),
      Sz(kVersion, "DevicePath", "C:\\WINDOWS\\INF"),
      Sz(kVersion, "ProductId", "12345-OEM-0012345-67890"),
      Sz(kVersion, "RegisteredOwner", "Иван Петров"),
      Sz(kVersion, "RegisteredOrganization", "ООО «Ромашка»"),
      Sz(kUninstall + "ArcTool", "DisplayName", "ArcTool 3.0 — архиватор"),
      Sz(kUninstall + "ArcTool", "UninstallString", "C:\\PROGRA~1\\ARCTOOL\\UNINSTAL.EXE"),
      Sz(kUninstall + "PhotoView", "DisplayName", "Просмотр фотографий PhotoView 1.5"),
      Sz(kUninstall + "PhotoView", "UninstallString",
         "RunDll setupx.dll,InstallHinfSection DefaultUninstall 132 C:\\WINDOWS\\INF\\PHOTOVW.INF"),
      Sz(kUninstall + "TextPad", "DisplayName", "Блокнот+ 2.1"),
      Sz(kUninstall + "TextPad", "UninstallString",
         "\"C:\\Program Files\\Notepad+\\uninst.exe\" /S"),
      Sz(kShellFolders, "Common Desktop", "C:\\WINDOWS\\All Users\\Desktop"),
      Sz(kShellFolders, "Common Start Menu", "C:\\WINDOWS\\All Users\\Start Menu"),
      Sz(kShellFolders, "Common Programs", "C:\\WINDOWS\\All Users\\Start Menu\\Programs"),
      Sz(kShellFolders, "Common Startup",
         "C:\\WINDOWS\\All Users\\Start Menu\\Programs\\StartUp"),
      Sz("Software\\Classes\\.exe", "", "exefile"),
      Sz("Software\\Classes\\exefile", "", "Application"),
      Sz("Software\\Classes\\exefile\\DefaultIcon", "", "%1"),
      Sz("Software\\Classes\\exefile\\shell\\open\\command", "", "\"%1\" %*"),
      Sz("Software\\Classes\\.txt", "", "txtfile"),
      Sz("Software\\Classes\\txtfile", "", "Text Document"),
      Sz("Software\\Classes\\txtfile\\shell\\open\\command", "", "C:\\WINDOWS\\NOTEPAD.EXE %1"),
  };
}

std::vector<HiveValue> UserValues() {
  const std::string desktop = "Control Panel\\Desktop";
  const std::string advanced = kVersion + "\\Explorer\\Advanced";
  return {
      Sz(desktop, "MenuShowDelay", "400"),
      Sz(desktop, "ScreenSaveActive", "1"),
      Sz(desktop, "ScreenSaveTimeOut", "900"),
      Sz(desktop, "Wallpaper", "(None)"),
      Sz(desktop, "TileWallpaper", "0"),
      Sz(desktop, "WallpaperStyle", "0"),
      Sz(desktop + "\\WindowMetrics", "Shell Icon Size", "32"),
      Sz(desktop + "\\WindowMetrics", "Shell Small Icon Size", "16"),
      Sz("Control Panel\\Colors", "Background", "0 128 128"),
      Sz("Control Panel\\Colors", "Window", "255 255 255"),
      Sz("Control Panel\\Colors", "WindowText", "0 0 0"),
      Sz("Control Panel\\Colors", "ActiveTitle", "0 0 128"),
      Sz("Control Panel\\Colors", "Menu", "192 192 192"),
      Sz(kShellFolders, "Desktop", "C:\\WINDOWS\\Desktop"),
      Sz(kShellFolders, "Start Menu", "C:\\WINDOWS\\Start Menu"),
      Sz(kShellFolders, "Programs", "C:\\WINDOWS\\Start Menu\\Programs"),
      Sz(kShellFolders, "Startup", "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"),
      Sz(kShellFolders, "Fonts", "C:\\WINDOWS\\FONTS"),
      Sz(kShellFolders, "Favorites", "C:\\WINDOWS\\Favorites"),
      Sz(kShellFolders, "Recent", "C:\\WINDOWS\\Recent"),
      Sz(kShellFolders, "SendTo", "C:\\WINDOWS\\SendTo"),
      Sz(kShellFolders, "Templates", "C:\\WINDOWS\\ShellNew"),
      Sz(kShellFolders, "NetHood", "C:\\WINDOWS\\NetHood"),
      Sz(kShellFolders, "AppData", "C:\\WINDOWS\\Application Data"),
      Sz(kShellFolders, "Cookies", "C:\\WINDOWS\\Cookies"),
      Sz(kShellFolders, "History", "C:\\WINDOWS\\History"),
      Sz(kShellFolders, "Cache", "C:\\WINDOWS\\Temporary Internet Files"),
      Sz(kShellFolders, "Personal", "C:\\My Documents"),
      Dword(advanced, "Hidden", 2),
      Dword(advanced, "HideFileExt", 1),
      Dword(advanced, "ShowInfoTip", 1),
      Dword(advanced, "WebView", 1),
      Dword(advanced, "ClassicViewState", 0),
      Binary(kVersion + "\\Policies\\Explorer", "NoDriveTypeAutoRun", std::string("\x95\0\0\0", 4)),
  };
}

// Folders below drive_c, parents before children; names as Windows 98 shows them.
constexpr const char* kFolders[] = {
    "WINDOWS",
    "WINDOWS\\SYSTEM",
    "WINDOWS\\SYSTEM\\IOSUBSYS",
    "WINDOWS\\SYSTEM\\VMM32",
    "WINDOWS\\SYSTEM\\ShellExt",
    "WINDOWS\\TEMP",
    "WINDOWS\\COMMAND",
    "WINDOWS\\INF",
    "WINDOWS\\MEDIA",
    "WINDOWS\\FONTS",
    "WINDOWS\\Start Menu",
    "WINDOWS\\Start Menu\\Programs",
    "WINDOWS\\Start Menu\\Programs\\StartUp",
    "WINDOWS\\Desktop",
    "WINDOWS\\Favorites",
    "WINDOWS\\Recent",
    "WINDOWS\\SendTo",
    "WINDOWS\\ShellNew",
    "WINDOWS\\NetHood",
    "WINDOWS\\Application Data",
    "WINDOWS\\Cookies",
    "WINDOWS\\History",
    "WINDOWS\\Temporary Internet Files",
    "WINDOWS\\All Users",
    "WINDOWS\\All Users\\Desktop",
    "WINDOWS\\All Users\\Start Menu",
    "WINDOWS\\All Users\\Start Menu\\Programs",
    "WINDOWS\\All Users\\Start Menu\\Programs\\StartUp",
    "My Documents",
    "Program Files",
    "Program Files\\Common Files",
    "Program Files\\Volnerix",
    "RECYCLED",
};

struct ImageFile {
  const char* path;  // below drive_c
  std::string content;
  std::uint32_t attributes;
};

// The CD file system driver's place holds a marked stand-in of the standard driver's size (not
// the replacement's 79098 bytes), so nothing here could ever be mistaken for a driver.
std::string StandInCdfsDriver() {
  std::string text = std::string(kStandInDriverMarker) +
                     " -- CDFS.VXD STAND-IN\r\n"
                     "This file is NOT a driver. It stands in for the CD file system driver of\r\n"
                     "this offline machine image. Never copy it into a real Windows system.\r\n"
                     "\x1A";
  text.resize(61530, '\0');
  return text;
}

std::string MsDosSys() {
  std::string text =
      "[Paths]\r\nWinDir=C:\\WINDOWS\r\nWinBootDir=C:\\WINDOWS\r\nHostWinBootDrv=C\r\n\r\n"
      "[Options]\r\nBootMulti=1\r\nBootGUI=1\r\nDoubleBuffer=1\r\nAutoScan=1\r\n"
      "WinVer=4.10.2222\r\n;\r\n"
      ";The following lines are required for compatibility with other programs.\r\n"
      ";Do not remove them (MSDOS.SYS needs to be >1024 bytes).\r\n";
  for (char c = 'a'; c <= 's'; ++c) text += ";" + std::string(69, 'x') + c + "\r\n";
  return text;
}

std::vector<ImageFile> Files() {
  return {
      {"AUTOEXEC.BAT",
       "@ECHO OFF\r\n"
       "mode con codepage prepare=((866) C:\\WINDOWS\\COMMAND\\ega3.cpi)\r\n"
       "mode con codepage select=866\r\n"
       "keyb ru,,C:\\WINDOWS\\COMMAND\\keybrd3.sys\r\n",
       fileattr::Archive},
      {"CONFIG.SYS",
       "DEVICE=C:\\WINDOWS\\COMMAND\\display.sys con=(ega,,1)\r\n"
       "Country=007,866,C:\\WINDOWS\\COMMAND\\country.sys\r\n",
       fileattr::Archive},
      {"MSDOS.SYS", MsDosSys(), fileattr::ReadOnly | fileattr::Hidden | fileattr::System},
      {"WINDOWS\\SYSTEM.INI",
       "[boot]\r\n"
       "oemfonts.fon=vgaoem.fon\r\n"
       "shell=Explorer.exe\r\n"
       "system.drv=system.drv\r\n"
       "drivers=mmsystem.dll power.drv\r\n"
       "user.exe=user.exe\r\n"
       "gdi.exe=gdi.exe\r\n"
       "sound.drv=mmsound.drv\r\n"
       "dibeng.drv=dibeng.dll\r\n"
       "comm.drv=comm.drv\r\n"
       "display.drv=pnpdrvr.drv\r\n"
       "keyboard.drv=keyboard.drv\r\n"
       "mouse.drv=mouse.drv\r\n"
       "fixedfon.fon=vgafix.fon\r\n"
       "fonts.fon=vgasys.fon\r\n"
       "\r\n"
       "[boot.description]\r\n"
       "system.drv=Стандартный компьютер\r\n"
       "keyboard.typ=Стандартная клавиатура 101/102 или Microsoft Natural\r\n"
       "\r\n"
       "[386Enh]\r\n"
       "ebios=*ebios\r\n"
       "woafont=dosapp.fon\r\n"
       "mouse=*vmouse, msmouse.vxd\r\n"
       "device=*dynapage\r\n"
       "device=*vcd\r\n"
       "device=*vpd\r\n"
       "device=*int13\r\n"
       "keyboard=*vkd\r\n"
       "display=*vdd,*vflatd\r\n"
       "\r\n"
       "[NonWindowsApp]\r\n"
       "TTInitialSizes=4 5 6 7 8 9 10 11 12 13 14 15 16 18 20 22\r\n"
       "\r\n"
       "[power.drv]\r\n"
       "\r\n"
       "[drivers]\r\n"
       "wavemapper=*.drv\r\n"
       "MSACM.imaadpcm=*.acm\r\n"
       "\r\n"
       "[Password Lists]\r\n",
       fileattr::Archive},
      {"WINDOWS\\WIN.INI",
       "[windows]\r\nload=\r\nrun=\r\nNullPort=None\r\ndevice=\r\n\r\n"
       "[Desktop]\r\nWallpaper=(None)\r\nTileWallpaper=0\r\nWallpaperStyle=0\r\n\r\n"
       "[intl]\r\niCountry=7\r\nsLanguage=rus\r\n\r\n"
       "[fonts]\r\n\r\n[extensions]\r\ntxt=notepad.exe ^.txt\r\n",
       fileattr::Archive},
      {"WINDOWS\\SYSTEM\\IOSUBSYS\\Cdfs.vxd", StandInCdfsDriver(), fileattr::Archive},
  };
}

fs::path HostPath(const fs::path& driveC, const char* windowsRelative) {
  fs::path host = driveC;
  std::string part;
  for (const char* p = windowsRelative;; ++p) {
    if (*p == '\\' || *p == '\0') {
      host /= Cp1251ToUtf8(part);
      part.clear();
      if (*p == '\0') return host;
    } else {
      part += *p;
    }
  }
}

}  // namespace

std::vector<HiveValue> ImageMachineValues() { return MachineValues(); }
std::vector<HiveValue> ImageUserValues() { return UserValues(); }

void FillImageDrive(const fs::path& driveC) {
  fs::create_directories(driveC);
  for (const char* folder : kFolders) fs::create_directory(HostPath(driveC, folder));
  if (!WriteDosAttributes(driveC / "RECYCLED", fileattr::Hidden | fileattr::System))
    throw PrefixError("Cannot set the attributes of " + (driveC / "RECYCLED").string());

  auto place = [](const fs::path& host, std::string_view content, std::uint32_t attributes) {
    WriteFileAtomically(host, content);
    if (!WriteDosAttributes(host, attributes))
      throw PrefixError("Cannot set the attributes of " + host.string());
  };
  for (const auto& file : Files()) place(HostPath(driveC, file.path), file.content, file.attributes);
  // The program's two libraries, as this build made them.
  for (const auto& library : EmbeddedLibraries())
    place(HostPath(driveC, "Program Files\\Volnerix") / library.name, library.bytes, fileattr::Archive);
}

namespace {

void Fill(const fs::path& root) {
  FillImageDrive(root / "drive_c");
  fs::create_directories(root / "dosdevices");
  fs::create_symlink("../drive_c", root / "dosdevices" / "c:");
  WriteFileAtomically(root / "system.reg", WineHiveText("REGISTRY\\Machine", MachineValues()));
  WriteFileAtomically(root / "user.reg",
                      WineHiveText("REGISTRY\\User\\S-1-5-21-0-0-0-1000", UserValues()));
}

}  // namespace

std::string WineHiveText(const std::string& relativeTo, const std::vector<HiveValue>& values) {
  std::string header;
  for (char c : relativeTo) header += c == '\\' ? std::string("\\\\") : std::string(1, c);
  RegFile hive(header);
  for (const auto& value : values) {
    RegKeyNode* key = &hive.Root();
    std::size_t start = 0;
    for (std::size_t end; start <= value.key.size(); start = end + 1) {
      end = std::min(value.key.find('\\', start), value.key.size());
      key = &hive.AddSubkey(*key, Cp1251ToUtf16(value.key.substr(start, end - start)));
    }
    if (value.type == regtype::None && value.name.empty()) continue;
    const bool text = value.type == regtype::Sz || value.type == regtype::ExpandSz;
    hive.SetValue(*key, Cp1251ToUtf16(value.name), value.type,
                  text ? value.data + '\0' : value.data);
  }
  return hive.Serialize();
}

void CreateMachineImage(const fs::path& root) { CreateFolderAtomically(root, Fill); }

void CreateFolderAtomically(const fs::path& root, const std::function<void(const fs::path&)>& fill) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(root, ec)) &&
      (!fs::is_directory(root, ec) || !fs::is_empty(root, ec)))
    throw PrefixError("Cannot create a machine image in " + root.string() +
                      ": it exists and is not an empty folder");
  fs::path absolute = fs::absolute(root).lexically_normal();
  if (absolute.filename().empty()) absolute = absolute.parent_path();  // "DIR/"
  const fs::path parent = absolute.parent_path();
  std::string pattern = (parent / ("." + absolute.filename().string() + ".XXXXXX")).string();
  if (!fs::is_directory(parent, ec) || ::mkdtemp(pattern.data()) == nullptr)
    throw PrefixError("Cannot create a machine image in " + root.string() +
                      ": its parent folder cannot be written");
  const fs::path building = pattern;
  try {
    fill(building);
    fs::permissions(building, fs::perms::owner_all | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read |
                                  fs::perms::others_exec);
    fs::rename(building, absolute);  // also replaces an empty folder of that name
  } catch (const std::exception& error) {
    fs::remove_all(building, ec);
    throw PrefixError("Cannot create a machine image in " + root.string() + ": " + error.what());
  }
}

}  // namespace vlx::prefix
