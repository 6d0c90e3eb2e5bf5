// One writer per machine image: the lock on the image folder, waited for a bounded time.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "prefix/image_lock.h"
#include "unit/path_temp_dir.h"

namespace vlx::prefix {
namespace {

using namespace std::chrono_literals;

TEST(ImageLock, ASecondWriterWaitsItsTimeThenIsRefusedAndGetsTheImageOnceItIsFree) {
  testing::TempDir dir;
  {
    ImageLock first(dir.path(), 0ms);
    const auto start = std::chrono::steady_clock::now();
    try {
      ImageLock second(dir.path(), 150ms);
      FAIL() << "a second writer got the image";
    } catch (const ImageBusy& error) {
      EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
      EXPECT_NE(std::string(error.what()).find(dir.path().string()), std::string::npos);
    }
  }
  EXPECT_NO_THROW(ImageLock(dir.path(), 0ms));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // the lock adds nothing to the image
  EXPECT_THROW(ImageLock(dir.path() / "missing", 0ms), PrefixError);

  // A disk image is one file: the file itself carries the lock.
  const auto disk = dir.path() / "disk.img";
  testing::WriteHostFile(disk, "image");
  ImageLock holder(disk, 0ms);
  EXPECT_THROW(ImageLock(disk, 0ms), ImageBusy);
}

}  // namespace
}  // namespace vlx::prefix
