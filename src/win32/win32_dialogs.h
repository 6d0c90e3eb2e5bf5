// Dialogs port over user32, comdlg32 and shell32: message boxes owned by the main window, the
// open-file, colour and folder dialogs and the shell's icon picker.
#pragma once
#include <windows.h>

#include "platform/dialogs.h"

namespace vlx::win32 {

class Win32Dialogs : public Dialogs {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }

  int ShowMessage(const std::string& title, const std::string& text, std::uint32_t flags) override;
  bool PickFile(const OpenFileRequest& request, std::string& path) override;
  bool PickColour(std::uint32_t& colour) override;
  bool BrowseFolder(const std::string& title, const std::string& start,
                    std::string& path) override;
  bool PickIcon(std::string& file, int& index) override;

 private:
  HWND owner_ = nullptr;
  COLORREF customColours_[16] = {};
};

}  // namespace vlx::win32
