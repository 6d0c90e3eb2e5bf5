#include "prefix/prefix_library.h"

#include <cstring>

#include "prefix/atomic_file.h"
#include "prefix/byte_source.h"
#include "prefix/pe_resources.h"
#include "prefix/prefix_error.h"
#include "vxeject/vxeject_keys.h"

namespace vlx::prefix {

namespace {

constexpr std::int32_t kNotImplemented = static_cast<std::int32_t>(0x80004001u);  // E_NOTIMPL
constexpr int kLargeIconSize = 32;  // SM_CXICON / SM_CXCURSOR

std::uint32_t U16(std::string_view b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
std::uint32_t U32(std::string_view b, std::size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string_view FileNameOf(std::string_view path) {
  const auto slash = path.find_last_of("\\/:");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// One member of an icon or cursor group: its size and the identifier of its image.
struct GroupMember {
  int width = 0;
  int height = 0;
  std::uint16_t id = 0;
};

// The members of an RT_GROUP_ICON (kind 1) or RT_GROUP_CURSOR (kind 2) resource; empty when the
// data is malformed.
std::vector<GroupMember> GroupMembers(std::string_view data, std::uint32_t kind) {
  std::vector<GroupMember> out;
  if (data.size() < 6 || U16(data, 0) != 0 || U16(data, 2) != kind) return out;
  const std::uint32_t count = U16(data, 4);
  if (data.size() < 6 + 14ull * count) return out;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = 6 + 14 * i;
    GroupMember m;
    if (kind == 1) {  // bWidth, bHeight (0 is 256)
      m.width = static_cast<unsigned char>(data[at]) ? static_cast<unsigned char>(data[at]) : 256;
      m.height = static_cast<unsigned char>(data[at + 1]) ? static_cast<unsigned char>(data[at + 1]) : 256;
    } else {  // wWidth, wHeight (the height of both masks)
      m.width = static_cast<int>(U16(data, at));
      m.height = static_cast<int>(U16(data, at + 2)) / 2;
    }
    m.id = static_cast<std::uint16_t>(U16(data, at + 12));
    out.push_back(m);
  }
  return out;
}

// The member the system would pick for the large size, if its image exists.
std::optional<GroupMember> PickMember(const PeImage& image, std::string_view group,
                                      std::uint32_t kind, const char* imageType) {
  const auto members = GroupMembers(group, kind);
  if (members.empty()) return std::nullopt;
  const GroupMember* pick = &members.front();
  for (const auto& m : members) {
    if (m.width == kLargeIconSize) {
      pick = &m;
      break;
    }
  }
  ResourceId id;
  id.isNumber = true;
  id.number = pick->id;
  if (!image.Find(ResourceId::Parse(imageType), id)) return std::nullopt;
  return *pick;
}

// RAII for a key opened through the Registry port.
class PortKey {
 public:
  explicit PortKey(Registry& registry) : registry_(registry) {}
  ~PortKey() {
    if (key_) registry_.CloseKey(key_);
  }
  PortKey(const PortKey&) = delete;
  PortKey& operator=(const PortKey&) = delete;
  RegKey& out() { return key_; }
  RegKey get() const { return key_; }

 private:
  Registry& registry_;
  RegKey key_ = 0;
};

}  // namespace

struct PrefixLibrary::Loaded {
  std::string path;  // Windows path, as GetModuleFileNameA would name it
  FileIdentity file;
  PeImage image;
};

PrefixLibrary::PrefixLibrary(PathResolver resolve, SearchFolders searchFolders,
                             Registry& registry, Journal& journal)
    : resolve_(std::move(resolve)),
      searchFolders_(std::move(searchFolders)),
      registry_(registry),
      journal_(journal) {}

std::optional<std::string> PrefixLibrary::Locate(const std::string& library) {
  auto isFile = [&](const std::string& windowsPath) {
    const auto host = resolve_(windowsPath);
    std::error_code ec;
    return host && std::filesystem::is_regular_file(*host, ec);
  };
  if (library.find_first_of("\\/:") != std::string::npos) {
    if (isFile(library)) return library;
    return std::nullopt;
  }
  for (const std::string& folder : searchFolders_()) {
    std::string candidate = folder;
    if (!candidate.empty() && candidate.back() != '\\') candidate += '\\';
    candidate += library;
    if (isFile(candidate)) return candidate;
  }
  return std::nullopt;
}

std::shared_ptr<const PrefixLibrary::Loaded> PrefixLibrary::Load(const std::string& library) {
  const auto path = Locate(library);
  if (!path) return nullptr;
  const std::filesystem::path host = *resolve_(*path);
  const FileIdentity file = IdentityOf(host);
  auto& kept = loaded_[host];
  if (kept && kept->path == *path && kept->file == file) return kept;
  kept.reset();
  std::shared_ptr<const FileBytes> bytes;
  try {
    bytes = std::make_shared<const FileBytes>(host);
  } catch (const PrefixError&) {
    journal_.Add("LoadLibrary " + *path + ": cannot read the file");
    return nullptr;
  }
  try {
    kept = std::make_shared<const Loaded>(Loaded{*path, file, PeImage(std::move(bytes), *path)});
  } catch (const PrefixError& error) {
    journal_.Add("LoadLibrary " + *path + " failed: " + error.what());
  }
  return kept;
}

bool PrefixLibrary::CanLoad(const std::string& library) { return Load(library) != nullptr; }

LibraryResult PrefixLibrary::ReadResource(const std::string& library, const std::string& type,
                                          const std::string& name, std::string& bytes) {
  const auto loaded = Load(library);
  if (!loaded) return LibraryResult::LibraryMissing;
  const PeResource* r = loaded->image.Find(ResourceId::Parse(type), ResourceId::Parse(name));
  if (!r) return LibraryResult::NotFound;
  bytes = std::string(loaded->image.Data(*r));
  return LibraryResult::Ok;
}

Picture PrefixLibrary::LoadBitmapPicture(const std::string& library, const std::string& name) {
  Picture picture;
  const auto loaded = Load(library);
  if (!loaded) return picture;
  const PeResource* r = loaded->image.Find(ResourceId::Parse(restype::Bitmap), ResourceId::Parse(name));
  if (!r) return picture;
  const std::string_view dib = loaded->image.Data(*r);
  if (dib.size() < 12) return picture;
  const std::uint32_t header = U32(dib, 0);
  std::int64_t width = 0, height = 0;
  if (header == 12) {  // BITMAPCOREHEADER
    width = U16(dib, 4);
    height = U16(dib, 6);
  } else if (header >= 40 && dib.size() >= header) {  // BITMAPINFOHEADER and later
    width = static_cast<std::int32_t>(U32(dib, 4));
    height = static_cast<std::int32_t>(U32(dib, 8));
  } else {
    return picture;
  }
  if (height < 0) height = -height;  // top-down
  if (width <= 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) return picture;
  picture.kind = Picture::Kind::Bitmap;
  picture.origin = loaded->path + "," + name;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  return picture;
}

Picture PrefixLibrary::LoadCursorPicture(const std::string& library, const std::string& name) {
  Picture picture;
  const auto loaded = Load(library);
  if (!loaded) return picture;
  const PeResource* r =
      loaded->image.Find(ResourceId::Parse(restype::GroupCursor), ResourceId::Parse(name));
  if (!r) return picture;
  const auto member = PickMember(loaded->image, loaded->image.Data(*r), 2, restype::Cursor);
  if (!member) return picture;
  picture.kind = Picture::Kind::Cursor;
  picture.origin = loaded->path + "," + name;
  picture.width = member->width;
  picture.height = member->height;
  return picture;
}

Picture PrefixLibrary::ExtractIconPicture(const std::string& library, int index) {
  Picture picture;
  const auto loaded = Load(library);
  if (!loaded) return picture;
  const PeResource* group = nullptr;
  const auto groups = loaded->image.OfType(ResourceId::Parse(restype::GroupIcon));
  if (index >= 0) {
    if (static_cast<std::size_t>(index) < groups.size()) group = groups[static_cast<std::size_t>(index)];
  } else if (index < -1 && index > -0x10000) {  // names the group's identifier; -1 counts
    for (const PeResource* g : groups) {
      if (g->name.isNumber && g->name.number == -index) group = g;
    }
  }
  if (!group) return picture;
  const auto member = PickMember(loaded->image, loaded->image.Data(*group), 1, restype::Icon);
  if (!member) return picture;
  picture.kind = Picture::Kind::Icon;
  picture.origin = loaded->path + "," + std::to_string(index);
  picture.width = member->width;
  picture.height = member->height;
  return picture;
}

LibraryResult PrefixLibrary::CallEntry(const std::string& library, const std::string& entry,
                                       std::int32_t& result) {
  const auto loaded = Load(library);
  if (!loaded) return LibraryResult::LibraryMissing;
  if (!loaded->image.Exports(entry)) return LibraryResult::NotFound;
  const bool shellExtension = SameText(FileNameOf(loaded->path), vxeject::kFileName);
  if (shellExtension && entry == "DllRegisterServer") {
    result = RegisterShellExtension(registry_, loaded->path);
  } else if (shellExtension && entry == "DllUnregisterServer") {
    result = UnregisterShellExtension(registry_);
  } else {
    journal_.Add("CallEntry " + loaded->path + " " + entry + ": library code does not run offline");
    result = kNotImplemented;
  }
  return LibraryResult::Ok;
}

std::int32_t RegisterShellExtension(Registry& registry, const std::string& modulePath) {
  for (const auto& entry : vxeject::kEntries) {
    PortKey key(registry);
    if (registry.CreateKey(regroot::ClassesRoot, entry.key, key.out()) != winerr::Success) {
      return vxeject::kRegistrationFailed;
    }
    const std::string data =
        std::strcmp(entry.data, vxeject::kModulePath) == 0 ? modulePath : std::string(entry.data);
    if (registry.SetValue(key.get(), entry.name, regtype::Sz,
                          reinterpret_cast<const unsigned char*>(data.c_str()),
                          static_cast<std::uint32_t>(data.size() + 1)) != winerr::Success) {
      return vxeject::kRegistrationFailed;
    }
  }
  return vxeject::kRegistered;
}

std::int32_t UnregisterShellExtension(Registry& registry) {
  std::int32_t result = vxeject::kRegistered;
  for (const char* path : vxeject::kOwnedKeys) {
    const long status = registry.DeleteKey(regroot::ClassesRoot, path);
    if (status != winerr::Success && status != winerr::FileNotFound) {
      result = vxeject::kRegistrationFailed;
    }
  }
  return result;
}

}  // namespace vlx::prefix
