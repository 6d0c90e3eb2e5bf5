// The program's context: the two forms, the program-wide state and the ports. Every page
// routine receives it instead of reaching for globals.
#pragma once
#include <cstdint>
#include <string>

#include "app/step.h"
#include "platform/platform.h"
#include "tools/uninstall.h"
#include "ui/form.h"

namespace vlx {

// The "?" caption button: its rectangle relative to the window's top-left corner, and whether
// the mouse holds it down.
struct HelpButtonState {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool pressed = false;
};

struct ProgramState {
  std::string title = "Volnerix";     // the application title
  std::string helpFile;               // the program folder + "volnrx.hlp"
  std::string moduleFile;             // the running program's file; empty: "volnrx.exe" there
  std::uint32_t instanceMessage = 0;  // RegisterWindowMessageA of the instance name
  WindowHandle mainWindow = 0;        // the main window once it is made; 0 offline
  bool iconRefreshPending = false;    // the shortcut overlay changed since the last apply
  std::string iconFilePath;           // the chosen overlay icon's file, at most 259 characters
  std::int32_t iconIndex = 0;         // and the icon's index in it
  bool activated = false;             // FormActivate has run (it runs once)
  Picture cursorSlot10;               // the cursor "PROPERTY"
  HelpButtonState helpButton;
};

class Context {
 public:
  // `programDir` is the folder of the running executable with its trailing backslash.
  Context(Platform& platform, std::string programDir);
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  Platform& platform;
  const std::string programDir;
  ui::Form frmMain{"frmMain"};      // TfrmMain
  ui::Form frmChange{"frmChange"};  // TfrmChange
  ProgramState state;
  UninstallState uninstall;  // the uninstall page's entry names and dialog mode
  // The load-all and apply-all sequences (LoadAllSteps and ApplyAllSteps unless replaced).
  Sequence loadAll;
  Sequence applyAll;

  // A control of the main window by name; raises ui::UiError when absent or of another class.
  template <class T = ui::Control>
  T& Get(const std::string& name) const {
    return frmMain.Get<T>(name);
  }
  // Full path of one of the program's own files ("vlximg.dll").
  std::string ProgramFile(const std::string& name) const { return programDir + name; }
  // The running program's own file, as the system reports it (renamed or not).
  std::string ModuleFile() const {
    return state.moduleFile.empty() ? ProgramFile("volnrx.exe") : state.moduleFile;
  }
};

}  // namespace vlx
