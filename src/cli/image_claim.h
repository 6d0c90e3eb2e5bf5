// The claim a volnrx-cli run makes on its machine image before it loads anything.
#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "prefix/image_lock.h"

namespace vlx::cli {

enum class ImageUse { Read, Write };

// A writer refuses while a wineserver runs for the image, then holds the image lock (waiting a
// few seconds for another writer); both refusals raise prefix::ImageBusy before anything is
// read or written. A reader takes no lock; while a wineserver runs it is warned on standard
// error that what it shows may be stale.
class ImageClaim {
 public:
  ImageClaim(std::string image, ImageUse use);
  // Before the save: a wineserver started meanwhile would overwrite it, so the registry is then
  // not saved (ImageBusy).
  void CheckBeforeSave() const;

 private:
  void CheckNoWineServer(const std::string& consequence) const;

  std::string image_;
  std::optional<prefix::ImageLock> lock_;
};

// How long a writer waits for another one.
inline constexpr int kImageLockWaitMs = 5000;
// The exit status of a run refused that way.
inline constexpr int kImageBusyStatus = 3;

}  // namespace vlx::cli
