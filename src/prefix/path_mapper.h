// Windows paths inside a machine image: "C:\WINDOWS\system.ini" -> <root>/drive_c/windows/system.ini.
#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "prefix/directory_listings.h"

namespace vlx::prefix {

class PathMapper {
 public:
  explicit PathMapper(std::filesystem::path root);
  // Drive C: at `driveC` instead of <root>/drive_c (a copied 9x boot drive).
  PathMapper(std::filesystem::path root, std::filesystem::path driveC);

  // The host path of an absolute Windows path ("C:\...", "c:/...", "\..." on drive C). Each
  // component is matched without regard to case against the names on disk (UTF-8 there, CP1251
  // here); components that do not exist are kept as given, so the result can name a file to
  // create. Empty for relative, UNC or malformed paths, unknown drives or drives outside the
  // image (dosdevices/z: -> /), and paths that leave the drive (through ".." or a symbolic link).
  std::optional<std::filesystem::path> ToHost(const std::string& windowsPath) const;

  const std::filesystem::path& Root() const { return root_; }

 private:
  std::optional<std::filesystem::path> DriveRoot(char letter) const;

  std::filesystem::path root_;
  mutable DirectoryListings listings_;
  std::filesystem::path driveC_;
};

}  // namespace vlx::prefix
