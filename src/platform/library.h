// Library port: kernel32/user32/shell32 calls on a DLL that is loaded for one use and freed at
// once (LoadLibraryA, FindResourceA, LoadBitmapA, LoadCursorA, ExtractIconA, GetProcAddress,
// FreeLibrary). Method names avoid the A/W macros of <windows.h>.
//
// `library` is a full path ("C:\Program Files\Volnerix\vlximg.dll") or a plain file name
// ("vlximg.dll"), which the system searches for starting in the program's own folder.
// Resource types and names are texts; "#123" names the integer identifier 123, as FindResourceA
// reads it. Names compare without regard to case.
#pragma once
#include <cstdint>
#include <string>

#include "platform/picture.h"

namespace vlx {

namespace restype {
constexpr const char* Cursor = "#1";
constexpr const char* Bitmap = "#2";
constexpr const char* Icon = "#3";
constexpr const char* GroupCursor = "#12";
constexpr const char* GroupIcon = "#14";
}  // namespace restype

enum class LibraryResult {
  Ok,
  LibraryMissing,   // LoadLibraryA failed
  NotFound,         // the library loaded; the resource or entry point is not in it
};

class Library {
 public:
  virtual ~Library() = default;

  // LoadLibraryA succeeds (the library is freed again at once).
  virtual bool CanLoad(const std::string& library) = 0;
  // FindResourceA + LoadResource + SizeofResource: the resource's bytes, exactly.
  virtual LibraryResult ReadResource(const std::string& library, const std::string& type,
                                     const std::string& name, std::string& bytes) = 0;
  // LoadBitmapA / LoadCursorA by name; an empty picture when the library or resource is missing.
  virtual Picture LoadBitmapPicture(const std::string& library, const std::string& name) = 0;
  virtual Picture LoadCursorPicture(const std::string& library, const std::string& name) = 0;
  // ExtractIconA(instance, library, index): index N >= 0 is the N-th icon group in resource
  // order, N < -1 the group with identifier -N; empty when there is none.
  virtual Picture ExtractIconPicture(const std::string& library, int index) = 0;
  // GetProcAddress(entry) and a call without arguments (the COM self-registration entries
  // "DllRegisterServer" / "DllUnregisterServer"); `result` receives the HRESULT on Ok.
  virtual LibraryResult CallEntry(const std::string& library, const std::string& entry,
                                  std::int32_t& result) = 0;
};

}  // namespace vlx
