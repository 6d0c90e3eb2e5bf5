// Library port over kernel32/user32/shell32: each call loads the library and frees it at once.
#pragma once
#include "platform/library.h"

namespace vlx::win32 {

class Win32Library : public Library {
 public:
  bool CanLoad(const std::string& library) override;
  LibraryResult ReadResource(const std::string& library, const std::string& type,
                             const std::string& name, std::string& bytes) override;
  Picture LoadBitmapPicture(const std::string& library, const std::string& name) override;
  Picture LoadCursorPicture(const std::string& library, const std::string& name) override;
  Picture ExtractIconPicture(const std::string& library, int index) override;
  LibraryResult CallEntry(const std::string& library, const std::string& entry,
                          std::int32_t& result) override;
};

}  // namespace vlx::win32
