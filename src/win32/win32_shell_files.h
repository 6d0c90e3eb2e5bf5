// Shell port for files over shell32/user32.
#pragma once
#include "platform/shell_files.h"

namespace vlx::win32 {

class Win32ShellFiles : public ShellFiles {
 public:
  Picture WinLogoIcon() override;
  Picture FileTypeIcon(const std::string& path, bool small) override;
  Picture AssociatedIcon(const std::string& path) override;
  bool ShowProperties(WindowHandle owner, const std::string& path) override;
  std::intptr_t Execute(const std::string& verb, const std::string& file,
                        const std::string& parameters, const std::string& directory,
                        int show) override;
};

}  // namespace vlx::win32
