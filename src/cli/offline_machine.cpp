#include "cli/offline_machine.h"

#include "cli/commands.h"
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
  if (drive.empty()) return 0;
  for (const auto& name : win9x::Win9xProfiles(win9x::LocateWin9x(drive))) Print(name);
  return 0;
}

}  // namespace vlx::cli
