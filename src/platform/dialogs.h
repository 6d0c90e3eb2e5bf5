// Dialogs port: message boxes owned by the main window and the common pickers. Method names
// avoid the A/W macros of <windows.h>.
#pragma once
#include <cstdint>
#include <string>

namespace vlx {

// MessageBoxA flags and answers.
namespace mb {
constexpr std::uint32_t Ok = 0x0;
constexpr std::uint32_t OkCancel = 0x1;
constexpr std::uint32_t AbortRetryIgnore = 0x2;
constexpr std::uint32_t YesNoCancel = 0x3;
constexpr std::uint32_t YesNo = 0x4;
constexpr std::uint32_t RetryCancel = 0x5;
constexpr std::uint32_t TypeMask = 0xF;
constexpr std::uint32_t IconError = 0x10;
constexpr std::uint32_t IconQuestion = 0x20;
constexpr std::uint32_t IconWarning = 0x30;
constexpr std::uint32_t IconInformation = 0x40;
constexpr std::uint32_t IconMask = 0xF0;
constexpr std::uint32_t DefButton2 = 0x100;
constexpr std::uint32_t DefButton3 = 0x200;
constexpr std::uint32_t DefButtonMask = 0xF00;
constexpr std::uint32_t TaskModal = 0x2000;
}  // namespace mb

namespace idanswer {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;
constexpr int No = 7;
}  // namespace idanswer

// OPENFILENAMEA Flags.
namespace ofn {
constexpr std::uint32_t HideReadOnly = 0x4;
constexpr std::uint32_t PathMustExist = 0x800;
constexpr std::uint32_t FileMustExist = 0x1000;
}  // namespace ofn

// GetOpenFileNameA: what the program asks for.
struct OpenFileRequest {
  std::string title;
  std::string filter;  // "Программы|*.exe|Все файлы|*.*" as the pairs the dialog lists
  std::string initialDir;
  std::string fileName;  // initial file name
  std::uint32_t options = 0;  // ofn flags
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // MessageBoxA(main window, text, title, flags): the button pressed (idanswer).
  virtual int ShowMessage(const std::string& title, const std::string& text,
                          std::uint32_t flags) = 0;
  // GetOpenFileNameA: false when cancelled.
  virtual bool PickFile(const OpenFileRequest& request, std::string& path) = 0;
  // ChooseColorA with the full custom-colour panel: `colour` in and out, 0x00BBGGRR.
  virtual bool PickColour(std::uint32_t& colour) = 0;
  // SHBrowseForFolderA + SHGetPathFromIDListA: the folder's path, false when cancelled. The
  // browser opens with `start` selected (BFFM_SETSELECTIONA) unless it is empty.
  virtual bool BrowseFolder(const std::string& title, const std::string& start,
                            std::string& path) = 0;
  // The shell's icon picker (shell32 ordinal 62): file and icon index in and out.
  virtual bool PickIcon(std::string& file, int& index) = 0;
};

}  // namespace vlx
