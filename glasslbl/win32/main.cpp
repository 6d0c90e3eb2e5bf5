// glasslbl: a windowed-subsystem program that opens no window of its own.
#include <windows.h>

#include "core/glasslbl.h"
#include "win32/desktop_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  glasslbl::Win32Desktop desktop;
  return glasslbl::RunGlasslbl(desktop, GetCommandLineA());
}
