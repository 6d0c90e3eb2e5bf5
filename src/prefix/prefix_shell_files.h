// File icons and property sheets of an offline machine image. Icons are named by their origin
// ("file,index"), found through the file-type keys of HKEY_CLASSES_ROOT as the shell finds
// them. Opening a property sheet is recorded in the journal.
#pragma once
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell_files.h"
#include "prefix/journal.h"

namespace vlx::prefix {

class PrefixShellFiles : public ShellFiles {
 public:
  PrefixShellFiles(Registry& registry, Files& files, Journal& journal);

  Picture WinLogoIcon() override;
  Picture FileTypeIcon(const std::string& path, bool small) override;
  Picture AssociatedIcon(const std::string& path) override;
  bool ShowProperties(WindowHandle owner, const std::string& path) override;
  // Nothing opens offline: the request is journalled, and succeeds (42) when the file exists,
  // relative names taken in `directory`; otherwise SE_ERR_FNF (2).
  std::intptr_t Execute(const std::string& verb, const std::string& file,
                        const std::string& parameters, const std::string& directory,
                        int show) override;

  // The DefaultIcon of the path's file type with "%1" resolved; "shell32.dll,0" when the type
  // has none (the shell's icon for unknown files).
  std::string TypeIconOrigin(const std::string& path);

 private:
  Registry& registry_;
  Files& files_;
  Journal& journal_;
};

}  // namespace vlx::prefix
