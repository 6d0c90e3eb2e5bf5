// bgfmt: a windowed-subsystem program that opens no window of its own; arguments are ignored.
#include <windows.h>

#include "core/bgfmt.h"
#include "win32/system_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  bgfmt::Win32Registry registry;
  bgfmt::Win32Drives drives;
  bgfmt::Win32Shell shell;
  bgfmt::System system{registry, drives, shell};
  return bgfmt::StartBackgroundFormat(system);
}
