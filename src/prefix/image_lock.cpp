#include "prefix/image_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace vlx::prefix {

ImageLock::ImageLock(const std::filesystem::path& root, std::chrono::milliseconds wait) {
  // The image folder (or a disk image's file) itself carries the lock, so taking it adds
  // nothing to the image.
  fd_ = ::open(root.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throw PrefixError("Cannot lock " + root.string() + ": " + std::strerror(errno));
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd_);
      if (error != EWOULDBLOCK)
        throw PrefixError("Cannot lock " + root.string() + ": " + std::strerror(error));
      throw ImageBusy("the machine image " + root.string() +
                      " is being changed by another run (still busy after " +
                      std::to_string(wait.count()) + " ms); nothing was changed");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

ImageLock::~ImageLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases the lock
}

}  // namespace vlx::prefix
