// The program's use of its image library vlximg.dll: pictures, the cursor, icons and data files.
// The library is loaded for each use and freed at once (through the Library port).
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/picture.h"
#include "platform/platform.h"

namespace vlx {

inline constexpr char kImageLibraryName[] = "vlximg.dll";
// Driver resources of a build without real driver files carry this text in their header.
inline constexpr std::string_view kStandInDriverMarker = "VOLNERIX-STAND-IN-DRIVER";

// The program folder (with its trailing backslash) + "vlximg.dll".
std::string ImageLibraryPath(const std::string& programFolder);

// The pictures of the library in the program folder: LoadBitmapA, LoadCursorA, ExtractIconA.
// A missing library or resource gives an empty picture and reports nothing.
Picture LoadLibraryBitmap(Library& library, const std::string& programFolder, const std::string& name);
Picture LoadLibraryCursor(Library& library, const std::string& programFolder, const std::string& name);
Picture LoadLibraryIcon(Library& library, const std::string& programFolder, int index);

// The bytes of a data resource of "vlximg.dll", found by the system's library search. Nothing
// when the library cannot be loaded; StoreError "Resource %s not found" when it lacks the
// resource.
std::optional<std::string> ReadImageResource(Library& library, const std::string& type,
                                             const std::string& name);

// Writes a data resource's bytes, exactly, to `path` (created or replaced). Does nothing when
// the library cannot be loaded. Raises StoreError "Resource %s not found" (the name) or
// "Cannot create file %s" (the path).
void ExtractResourceToFile(const Platform& platform, const std::string& type,
                           const std::string& name, const std::string& path);

// The bytes are a stand-in for a driver resource, which must never be installed.
bool IsStandInDriver(std::string_view bytes);

}  // namespace vlx
