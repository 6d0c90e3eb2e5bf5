#include "win9x/win9x_drive.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "prefix/path_mapper.h"
#include "prefix/prefix_error.h"
#include "prefix/profile_engine.h"
#include "text/cp1251.h"
#include "win9x/win9x_registry.h"

namespace vlx::win9x {

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  return text.str();
}

// The Windows folder as MSDOS.SYS names it; only the path below the drive's root counts, the
// drive being this folder whatever letter the installation gave it.
std::string WindowsFolder(const prefix::PathMapper& paths) {
  const auto msdos = paths.ToHost("C:\\MSDOS.SYS");
  std::string winDir;
  if (msdos) {
    prefix::ProfileText text(ReadText(*msdos));
    text.GetString("Paths", "WinDir", "", 260, winDir);
  }
  if (winDir.size() >= 2 && winDir[1] == ':') winDir.erase(0, 2);
  if (winDir.empty() || (winDir[0] != '\\' && winDir[0] != '/')) winDir = "\\" + winDir;
  return winDir == "\\" ? "\\WINDOWS" : winDir;
}

}  // namespace

Win9xDrive LocateWin9x(const fs::path& root, const std::string& user) {
  std::error_code ec;
  if (!fs::is_directory(root, ec)) throw prefix::PrefixError(root.string() + " is no folder");
  const prefix::PathMapper paths(root, root);
  const std::string windows = WindowsFolder(paths);
  Win9xDrive drive;
  drive.root = root;
  drive.windows = paths.ToHost("C:" + windows).value_or(root / "WINDOWS");
  drive.systemDat = paths.ToHost("C:" + windows + "\\SYSTEM.DAT").value_or(fs::path());
  if (drive.systemDat.empty() || !fs::exists(drive.systemDat, ec))
    throw prefix::PrefixError(root.string() + " is no Windows 9x drive: " + Cp1251ToUtf8(windows) +
                              "\\SYSTEM.DAT is missing");
  const auto classes = paths.ToHost("C:" + windows + "\\CLASSES.DAT");
  if (classes && fs::exists(*classes, ec)) drive.classesDat = *classes;
  if (user.empty()) {
    // Only init makes hives: a missing one read as empty would lose the whole of it on the
    // next write.
    const auto userDat = paths.ToHost("C:" + windows + "\\USER.DAT");
    if (!userDat || !fs::exists(*userDat, ec))
      throw prefix::PrefixError(root.string() + " is no Windows 9x drive: " + Cp1251ToUtf8(windows) +
                                "\\USER.DAT is missing");
    drive.userDat = *userDat;
    return drive;
  }
  const auto profile = paths.ToHost("C:" + windows + "\\Profiles\\" + user + "\\USER.DAT");
  if (!profile || !fs::exists(*profile, ec)) {
    std::string known;
    for (const auto& name : Win9xProfiles(drive)) known += (known.empty() ? "" : ", ") + name;
    throw prefix::PrefixError("no user profile " + Cp1251ToUtf8(user) + " on " + root.string() +
                              " (profiles: " + (known.empty() ? "none" : Cp1251ToUtf8(known)) + ")");
  }
  drive.userDat = *profile;
  return drive;
}

std::vector<std::string> Win9xProfiles(const Win9xDrive& drive) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::path profiles;
  for (fs::directory_iterator it(drive.windows, ec), end; !ec && it != end; it.increment(ec))
    if (EqualNoCaseCp1251(Utf8ToCp1251(it->path().filename().string()), "Profiles"))
      profiles = it->path();
  if (profiles.empty()) return names;
  for (fs::directory_iterator it(profiles, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_directory(ec)) continue;
    for (fs::directory_iterator f(it->path(), ec), fend; !ec && f != fend; f.increment(ec))
      if (EqualNoCaseCp1251(Utf8ToCp1251(f->path().filename().string()), "USER.DAT")) {
        names.push_back(Utf8ToCp1251(it->path().filename().string()));
        break;
      }
  }
  std::sort(names.begin(), names.end());
  return names;
}

prefix::MachineLayout Win9xLayout(const Win9xDrive& drive) {
  return {drive.root, drive.root,
          std::make_unique<Win9xRegistry>(drive.systemDat, drive.userDat, drive.classesDat)};
}

}  // namespace vlx::win9x
