#include "cli/offline_machine.h"

#include <unistd.h>

#include <stdexcept>

#include "cli/commands.h"
#include "cli/host_folder.h"
#include "win9x/win9x_drive.h"

namespace vlx::cli {

OfflineMachine::OfflineMachine(const MachineChoice& choice) {
  if (!choice.prefixDir.empty()) {
    machine_ = std::make_unique<prefix::PrefixMachine>(choice.prefixDir);
    return;
  }
  std::filesystem::path drive = choice.win9xDir;
  std::filesystem::path image;
  if (!choice.diskSpec.empty()) {
    const win9x::DiskVolume volume = win9x::FindDiskVolume(choice.diskSpec);
    disk_ = std::make_unique<win9x::DiskSession>(volume);
    drive = disk_->Folder();
    image = volume.image;
  }
  prefix::MachineLayout layout = win9x::Win9xLayout(win9x::LocateWin9x(drive, choice.user));
  // The image file is the machine (its single-instance lock), not the passing working folder.
  if (!image.empty()) layout.root = image;
  machine_ = std::make_unique<prefix::PrefixMachine>(std::move(layout));
}

std::string MachineChoice::ClaimPath() const {
  if (!prefixDir.empty()) return prefixDir;
  if (!win9xDir.empty()) return win9xDir;
  return win9x::FindDiskVolume(diskSpec).image.string();
}

void CheckImage(const MachineChoice& choice, bool reads) {
  const bool disk = !choice.diskSpec.empty();
  const std::filesystem::path image = choice.ClaimPath();
  const std::string name = HostToCp1251(image.string());
  std::error_code ec;
  if (!std::filesystem::exists(image, ec))
    throw std::runtime_error("there is no machine image " + name + " (no such " +
                             (disk ? "file" : "folder") + ")");
  if (!disk && !std::filesystem::is_directory(image, ec))
    throw std::runtime_error("there is no machine image " + name + " (it is no folder)");
  if (reads) return;
  // What a save replaces: the folder (its files are written anew beside the old and renamed)
  // and the registry files of a prefix; a disk image file itself.
  std::vector<std::filesystem::path> written{image};
  if (!choice.prefixDir.empty())
    for (const char* hive : {"system.reg", "user.reg"})
      if (std::filesystem::exists(image / hive, ec)) written.push_back(image / hive);
  for (const auto& path : written)
    if (::access(path.c_str(), W_OK) != 0)
      throw std::runtime_error("the machine image " + name + " is not writable for this user (" +
                               HostToCp1251(path.string()) + "); nothing was changed");
}

void OfflineMachine::Flush() {
  machine_->Flush();
  if (disk_) disk_->WriteBack();
}

int OfflineMachine::ListUsers(const MachineChoice& choice) {
  std::unique_ptr<win9x::DiskSession> disk;
  std::filesystem::path drive = choice.win9xDir;
  if (!choice.diskSpec.empty()) {
    disk = std::make_unique<win9x::DiskSession>(win9x::FindDiskVolume(choice.diskSpec));
    drive = disk->Folder();
  }
  const std::vector<std::string> names =
      drive.empty() ? std::vector<std::string>() : win9x::Win9xProfiles(win9x::LocateWin9x(drive));
  if (names.empty()) Print("no user profiles: every user has the machine's USER.DAT");
  for (const auto& name : names) Print(name);
  return 0;
}

}  // namespace vlx::cli
