// The page "Значки": a folder's icon and tooltip through the Desktop.ini inside it and the
// folder's system attribute.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "ui/form_spec.h"

namespace vlx {

class Context;
class ProfileFile;

std::span<const ui::ControlSpec> IconFolderPageTable();

// The page's handlers and the state they share: the Desktop.ini the folder-icon profile
// routines act on and the index of the icon in the icon file.
class IconFolderPage {
 public:
  explicit IconFolderPage(Context& ctx) : ctx_(ctx) {}

  void edtFolderChange();
  void edtIconFileChange();
  void sbtnOpenFolderClick();
  void sbtnSelectIconClick();
  void btnSetIconClick();
  void btnDelIconClick();

  const std::string& ProfilePath() const { return profilePath_; }
  std::int32_t IconIndex() const { return iconIndex_; }

 private:
  // The folder-icon profile routines on the current profile path.
  ProfileFile Profile() const;
  std::string DesktopIni() const;
  bool FileExists(const std::string& path) const;
  void ReadDesktopIni();
  void ClearPicture();

  Context& ctx_;
  std::string profilePath_;
  std::int32_t iconIndex_ = 0;
};

// Creates the page state and connects the handlers; the controls keep it alive.
std::shared_ptr<IconFolderPage> BindIconFolderPage(Context& ctx);

}  // namespace vlx
