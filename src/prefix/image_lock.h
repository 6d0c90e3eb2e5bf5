// One writer per machine image: an exclusive lock (flock) on the image folder (or disk image
// file), held by the run that will write from its first load to its last save.
#pragma once
#include <chrono>
#include <filesystem>

#include "prefix/prefix_error.h"

namespace vlx::prefix {

// The image cannot be written now (another writer, a running wineserver); the message says
// what was left undone.
class ImageBusy : public PrefixError {
 public:
  using PrefixError::PrefixError;
};

class ImageLock {
 public:
  // Waits up to `wait` while another run holds the image; then raises ImageBusy naming it.
  // PrefixError when the folder cannot be opened.
  ImageLock(const std::filesystem::path& root, std::chrono::milliseconds wait);
  ~ImageLock();
  ImageLock(const ImageLock&) = delete;
  ImageLock& operator=(const ImageLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace vlx::prefix
