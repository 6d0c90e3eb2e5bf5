#include "win32/win32_library.h"

#include <windows.h>
#include <shellapi.h>

namespace vlx::win32 {

namespace {

// LoadLibraryA / FreeLibrary.
class Module {
 public:
  explicit Module(const std::string& library) : module_(LoadLibraryA(library.c_str())) {}
  ~Module() {
    if (module_) FreeLibrary(module_);
  }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

// The size of an icon or cursor, from its mask and colour bitmaps (freed again).
void IconSize(HICON icon, Picture& picture) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return;
  BITMAP bitmap{};
  if (GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap)) {
    picture.width = bitmap.bmWidth;
    picture.height = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
}

Picture IconPicture(HICON icon, Picture::Kind kind, std::string origin) {
  Picture picture;
  picture.kind = kind;
  picture.origin = std::move(origin);
  picture.native = std::shared_ptr<void>(icon, [](void* h) { DestroyIcon(static_cast<HICON>(h)); });
  IconSize(icon, picture);
  return picture;
}

}  // namespace

bool Win32Library::CanLoad(const std::string& library) { return Module(library).get() != nullptr; }

LibraryResult Win32Library::ReadResource(const std::string& library, const std::string& type,
                                         const std::string& name, std::string& bytes) {
  Module module(library);
  if (!module.get()) return LibraryResult::LibraryMissing;
  HRSRC found = FindResourceA(module.get(), name.c_str(), type.c_str());
  if (!found) return LibraryResult::NotFound;
  HGLOBAL loaded = LoadResource(module.get(), found);
  const DWORD size = SizeofResource(module.get(), found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data && size != 0) return LibraryResult::NotFound;
  bytes.assign(static_cast<const char*>(data), size);
  return LibraryResult::Ok;
}

Picture Win32Library::LoadBitmapPicture(const std::string& library, const std::string& name) {
  Picture picture;
  Module module(library);
  if (!module.get()) return picture;
  HBITMAP bitmap = LoadBitmapA(module.get(), name.c_str());
  if (!bitmap) return picture;
  picture.kind = Picture::Kind::Bitmap;
  picture.origin = library + "," + name;
  picture.native = std::shared_ptr<void>(bitmap, [](void* h) { DeleteObject(static_cast<HBITMAP>(h)); });
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info)) {
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
  }
  return picture;
}

Picture Win32Library::LoadCursorPicture(const std::string& library, const std::string& name) {
  Module module(library);
  if (!module.get()) return {};
  // LoadCursorA gives a handle shared with the module; the copy outlives FreeLibrary.
  HCURSOR shared = LoadCursorA(module.get(), name.c_str());
  HICON own = shared ? CopyIcon(shared) : nullptr;
  if (!own) return {};
  return IconPicture(own, Picture::Kind::Cursor, library + "," + name);
}

Picture Win32Library::ExtractIconPicture(const std::string& library, int index) {
  if (index == -1) return {};  // ExtractIconA(-1) counts the icons
  HICON icon = ExtractIconA(GetModuleHandleA(nullptr), library.c_str(), static_cast<UINT>(index));
  // NULL: no such icon; 1: the file holds no icons at all.
  if (!icon || icon == reinterpret_cast<HICON>(1)) return {};
  return IconPicture(icon, Picture::Kind::Icon, library + "," + std::to_string(index));
}

LibraryResult Win32Library::CallEntry(const std::string& library, const std::string& entry,
                                      std::int32_t& result) {
  Module module(library);
  if (!module.get()) return LibraryResult::LibraryMissing;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto call = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module.get(), entry.c_str())));
  if (!call) return LibraryResult::NotFound;
  result = static_cast<std::int32_t>(call());
  return LibraryResult::Ok;
}

}  // namespace vlx::win32
