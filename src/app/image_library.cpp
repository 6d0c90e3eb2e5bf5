#include "app/image_library.h"

#include "store/store_error.h"

namespace vlx {

std::string ImageLibraryPath(const std::string& programFolder) {
  return programFolder + kImageLibraryName;
}

Picture LoadLibraryBitmap(Library& library, const std::string& programFolder, const std::string& name) {
  return library.LoadBitmapPicture(ImageLibraryPath(programFolder), name);
}

Picture LoadLibraryCursor(Library& library, const std::string& programFolder, const std::string& name) {
  return library.LoadCursorPicture(ImageLibraryPath(programFolder), name);
}

Picture LoadLibraryIcon(Library& library, const std::string& programFolder, int index) {
  return library.ExtractIconPicture(ImageLibraryPath(programFolder), index);
}

std::optional<std::string> ReadImageResource(Library& library, const std::string& type,
                                             const std::string& name) {
  std::string bytes;
  switch (library.ReadResource(kImageLibraryName, type, name, bytes)) {
    case LibraryResult::Ok: return bytes;
    case LibraryResult::LibraryMissing: return std::nullopt;
    case LibraryResult::NotFound: break;
  }
  throw StoreError("Resource " + name + " not found");
}

void ExtractResourceToFile(const Platform& platform, const std::string& type,
                           const std::string& name, const std::string& path) {
  const auto bytes = ReadImageResource(*platform.library, type, name);
  if (!bytes) return;
  if (!platform.files->WriteWholeFile(path, *bytes)) throw StoreError("Cannot create file " + path);
}

bool IsStandInDriver(std::string_view bytes) {
  return bytes.find(kStandInDriverMarker) != std::string_view::npos;
}

}  // namespace vlx
