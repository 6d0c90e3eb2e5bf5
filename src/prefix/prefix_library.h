// Library port over a machine image: resources come from the real library files in the image
// (read through PeImage); the registration entries of vxeject.dll apply its table of keys to the
// image's registry. Code of other libraries cannot run offline.
#pragma once
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/library.h"
#include "platform/registry.h"
#include "prefix/journal.h"

namespace vlx::prefix {

struct EmbeddedFile {
  const char* name;  // "vlximg.dll"
  std::string_view bytes;
};
// The two libraries as this build made them, for the images volnrx-cli creates.
const std::vector<EmbeddedFile>& EmbeddedLibraries();
// Where the program lies in a machine image, with its libraries beside it.
inline constexpr char kImageProgramFolder[] = "C:\\Program Files\\Volnerix\\";

class PrefixLibrary : public Library {
 public:
  // The host file of a Windows path ("C:\..."), or nothing when the image has no such path.
  using PathResolver = std::function<std::optional<std::filesystem::path>(const std::string&)>;
  // Where a plain library name is looked for, in order: the program folder first, then the
  // system and Windows folders. Asked at each load.
  using SearchFolders = std::function<std::vector<std::string>()>;

  // A damaged library file fails to load as on Windows, and the journal records why.
  PrefixLibrary(PathResolver resolve, SearchFolders searchFolders, Registry& registry,
                Journal& journal);

  bool CanLoad(const std::string& library) override;
  LibraryResult ReadResource(const std::string& library, const std::string& type,
                             const std::string& name, std::string& bytes) override;
  Picture LoadBitmapPicture(const std::string& library, const std::string& name) override;
  Picture LoadCursorPicture(const std::string& library, const std::string& name) override;
  Picture ExtractIconPicture(const std::string& library, int index) override;
  LibraryResult CallEntry(const std::string& library, const std::string& entry,
                          std::int32_t& result) override;

 private:
  struct Loaded;
  // LoadLibraryA: the library's Windows path and parsed file, or nothing. A file loaded once
  // is kept for the rest of the run, until it changes on disk.
  std::shared_ptr<const Loaded> Load(const std::string& library);
  std::optional<std::string> Locate(const std::string& library);

  PathResolver resolve_;
  SearchFolders searchFolders_;
  Registry& registry_;
  Journal& journal_;
  std::map<std::filesystem::path, std::shared_ptr<const Loaded>> loaded_;  // by host file
};

// What vxeject.dll's entries do, on any registry: DllRegisterServer writes its keys with
// `modulePath` as its InprocServer32, DllUnregisterServer deletes them. Returns the HRESULT.
std::int32_t RegisterShellExtension(Registry& registry, const std::string& modulePath);
std::int32_t UnregisterShellExtension(Registry& registry);

}  // namespace vlx::prefix
