#include "cli/offline_machine.h"

#include <optional>

#include "cli/commands.h"
#include "cli/image_claim.h"
#include "prefix/file_set.h"
#include "prefix/image_lock.h"
#include "prefix/prefix_registry.h"
#include "win9x/win9x_drive.h"
#include "win9x/win9x_registry.h"

namespace vlx::cli {

namespace {

// Finishes or undoes a hive set an earlier run left unfinished, before anything is read. A run
// that holds no claim takes the image's lock for it, so a writer still at work is waited for.
void FinishUnfinishedSave(const std::filesystem::path& journal,
                          const std::vector<std::filesystem::path>& hives,
                          const std::string& claimPath, bool claimed) {
  if (!prefix::FileSetPending(journal, hives)) return;
  std::optional<prefix::ImageLock> lock;
  if (!claimed) lock.emplace(claimPath, std::chrono::milliseconds(kImageLockWaitMs));
  prefix::FinishFileSet(journal, hives);
}

// The drive's location with a disk image's working folder named as the image.
win9x::Win9xDrive Locate(const std::filesystem::path& drive, const std::string& user,
                         const std::string& shownAs) {
  try {
    return win9x::LocateWin9x(drive, user);
  } catch (const prefix::PrefixError& error) {
    if (shownAs.empty()) throw;
    std::string message = error.what();
    const std::string folder = drive.string();
    for (std::size_t at; (at = message.find(folder)) != std::string::npos;)
      message.replace(at, folder.size(), shownAs);
    throw prefix::PrefixError(message);
  }
}

}  // namespace

OfflineMachine::OfflineMachine(const MachineChoice& choice, bool claimed) {
  if (!choice.prefixDir.empty()) {
    const std::filesystem::path root = choice.prefixDir;
    FinishUnfinishedSave(root / prefix::kPrefixJournal, {root / "system.reg", root / "user.reg"},
                         choice.ClaimPath(), claimed);
    machine_ = std::make_unique<prefix::PrefixMachine>(choice.prefixDir);
    return;
  }
  std::filesystem::path drive = choice.win9xDir;
  std::filesystem::path image;
  if (!choice.diskSpec.empty()) {
    const win9x::DiskVolume volume = win9x::FindDiskVolume(choice.diskSpec);
    disk_ = std::make_unique<win9x::DiskSession>(volume, claimed);
    drive = disk_->Folder();
    image = volume.image;
  }
  const win9x::Win9xDrive located = Locate(drive, choice.user, image.string());
  if (image.empty())
    FinishUnfinishedSave(win9x::Win9xJournalPath(located.systemDat),
                         {located.systemDat, located.userDat, located.classesDat},
                         choice.ClaimPath(), claimed);
  prefix::MachineLayout layout = win9x::Win9xLayout(located);
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
    disk = std::make_unique<win9x::DiskSession>(win9x::FindDiskVolume(choice.diskSpec), false);
    drive = disk->Folder();
  }
  if (drive.empty()) return 0;
  for (const auto& name : win9x::Win9xProfiles(win9x::LocateWin9x(drive))) Print(name);
  return 0;
}

}  // namespace vlx::cli
