// A small Windows 98-like machine image: the registry hives in Wine's text format and drive C:
// with the folders and files the program's pages read and write.
#pragma once
#include <filesystem>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vlx::prefix {

// Creates the image in `root`, which must not exist or be an empty folder. The image is built
// beside it and moved into place at the end, so a failure leaves no half image. Raises
// PrefixError naming the folder when it already holds something or cannot be made.
void CreateMachineImage(const std::filesystem::path& root);

// The same for other layouts: `fill` makes the content in the folder it is given, which is
// moved into place when it returns.
void CreateFolderAtomically(const std::filesystem::path& root,
                            const std::function<void(const std::filesystem::path&)>& fill);

// A registry hive file in Wine's format ("WINE REGISTRY Version 2") for the given values.
struct HiveValue {
  std::string key;    // "Software\\Microsoft\\..." (CP1251)
  std::string name;   // "" is the default value
  std::uint32_t type = 0;  // regtype; regtype::None with an empty name makes the key alone
  std::string data;   // text without its final zero for REG_SZ / REG_EXPAND_SZ, else raw bytes
};
std::string WineHiveText(const std::string& relativeTo, const std::vector<HiveValue>& values);

// What the image holds: the values of its two hives, and drive C:'s folders and files.
std::vector<HiveValue> ImageMachineValues();
std::vector<HiveValue> ImageUserValues();
void FillImageDrive(const std::filesystem::path& driveC);

}  // namespace vlx::prefix
