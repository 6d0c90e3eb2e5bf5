// The ports of the running Windows system, bundled as one Platform.
#pragma once
#include "platform/platform.h"
#include "win32/win32_clock.h"
#include "win32/win32_facts.h"
#include "win32/win32_file_ops.h"
#include "win32/win32_files.h"
#include "win32/win32_library.h"
#include "win32/win32_parameters.h"
#include "win32/win32_processes.h"
#include "win32/win32_profile.h"
#include "win32/win32_registry.h"
#include "win32/win32_screen.h"
#include "win32/win32_shell.h"
#include "win32/win32_shell_files.h"
#include "win32/win32_system_info.h"
#include "win32/win32_top_windows.h"

namespace vlx::win32 {

class Win32Platform {
 public:
  Win32Platform() {
    platform_.registry = &registry_;
    platform_.profile = &profile_;
    platform_.files = &files_;
    platform_.system = &system_;
    platform_.shell = &shell_;
    platform_.processes = &processes_;
    platform_.windows = &windows_;
    platform_.clock = &clock_;
    platform_.fileOps = &fileOps_;
    platform_.shellFiles = &shellFiles_;
    platform_.library = &library_;
    platform_.parameters = &parameters_;
    platform_.screen = &screen_;
    platform_.clipboard = &clipboard_;
    platform_.facts = &facts_;
    platform_.textFiles = &files_;
  }
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform& platform() { return platform_; }

 private:
  Win32Registry registry_;
  Win32Profile profile_;
  Win32Files files_;
  Win32SystemInfo system_;
  Win32Shell shell_;
  Win32Processes processes_;
  Win32TopWindows windows_;
  Win32Clock clock_;
  Win32FileOps fileOps_;
  Win32ShellFiles shellFiles_;
  Win32Library library_;
  Win32Parameters parameters_;
  Win32Screen screen_;
  Win32Clipboard clipboard_;
  Win32SystemFacts facts_;
  Platform platform_;
};

}  // namespace vlx::win32
