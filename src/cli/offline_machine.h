// The machine a volnrx-cli run works on: a Wine prefix (--prefix), a Windows 9x boot drive
// (--win9x) or such a drive in a raw disk image (--disk), the last two with --user.
#pragma once
#include <memory>
#include <string>

#include "prefix/prefix_machine.h"
#include "win9x/disk_image.h"

namespace vlx::cli {

struct MachineChoice {
  std::string prefixDir, win9xDir, diskSpec;  // host paths (UTF-8); exactly one is given
  std::string user;                           // CP1251
  int Given() const {
    return !prefixDir.empty() + !win9xDir.empty() + !diskSpec.empty();
  }
  // What a run's claim on the machine locks: the prefix or drive folder, or the disk image file.
  std::string ClaimPath() const;
};

// Before a run claims the image: refuses (std::runtime_error) an image that is not there, and for
// a run that changes it one this user cannot write.
void CheckImage(const MachineChoice& choice, bool reads);

class OfflineMachine {
 public:
  // Before it reads anything, finishes (or undoes) a save an earlier run left unfinished;
  // `claimed`: this run holds the image's writer lock (ImageClaim), else it is taken for that.
  OfflineMachine(const MachineChoice& choice, bool claimed);
  prefix::PrefixMachine& get() { return *machine_; }
  // Saves the registry; for a disk image then puts what changed back into it.
  void Flush();
  // The 9x installation's user profiles, or a line saying there are none.
  static int ListUsers(const MachineChoice& choice);

 private:
  std::unique_ptr<win9x::DiskSession> disk_;
  std::unique_ptr<prefix::PrefixMachine> machine_;
};

}  // namespace vlx::cli
