// Shell port for files: icons of file types, the stock Windows-logo icon, and the property
// sheet of a file.
#pragma once
#include <cstdint>
#include <string>

#include "platform/picture.h"
#include "platform/top_windows.h"

namespace vlx {

class ShellFiles {
 public:
  virtual ~ShellFiles() = default;

  // LoadImageA(NULL, IDI_WINLOGO, IMAGE_ICON, 64, 64, LR_SHARED).
  virtual Picture WinLogoIcon() = 0;
  // SHGetFileInfoA(path, FILE_ATTRIBUTE_NORMAL, SHGFI_ICON | SHGFI_USEFILEATTRIBUTES
  // [| SHGFI_SMALLICON]): the icon of the file's type, not of its content.
  virtual Picture FileTypeIcon(const std::string& path, bool small) = 0;
  // ExtractAssociatedIconA(path, index 0).
  virtual Picture AssociatedIcon(const std::string& path) = 0;
  // ShellExecuteExA(verb "properties", SEE_MASK_INVOKEIDLIST, owner, path).
  virtual bool ShowProperties(WindowHandle owner, const std::string& path) = 0;
  // ShellExecuteA(no owner, verb, file, parameters, directory, show): above 32 on success,
  // an SE_ERR_ code otherwise.
  virtual std::intptr_t Execute(const std::string& verb, const std::string& file,
                                const std::string& parameters, const std::string& directory,
                                int show) = 0;
};

}  // namespace vlx
