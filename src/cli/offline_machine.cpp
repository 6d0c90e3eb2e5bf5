#include "cli/offline_machine.h"

#include <unistd.h>

#include <optional>
#include <stdexcept>

#include "cli/commands.h"
#include "cli/host_folder.h"
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
    disk = std::make_unique<win9x::DiskSession>(win9x::FindDiskVolume(choice.diskSpec), false);
    drive = disk->Folder();
  }
  const std::vector<std::string> names =
      drive.empty() ? std::vector<std::string>() : win9x::Win9xProfiles(win9x::LocateWin9x(drive));
  if (names.empty()) Print("no user profiles: every user has the machine's USER.DAT");
  for (const auto& name : names) Print(name);
  return 0;
}

}  // namespace vlx::cli
