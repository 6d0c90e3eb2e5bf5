#include "win32/desktop_win32.h"

#include <windows.h>
#include <commctrl.h>

#include "core/glasslbl.h"

namespace glasslbl {

static_assert(kLvmGetItemCount == LVM_GETITEMCOUNT && kLvmRedrawItems == LVM_REDRAWITEMS &&
              kLvmGetTextColor == LVM_GETTEXTCOLOR && kLvmSetTextColor == LVM_SETTEXTCOLOR &&
              kLvmGetTextBkColor == LVM_GETTEXTBKCOLOR && kLvmSetTextBkColor == LVM_SETTEXTBKCOLOR);
static_assert(kClrNone == CLR_NONE && kColorBackground == COLOR_BACKGROUND && kMbOk == MB_OK);

namespace {

HWND ToHandle(Window window) { return reinterpret_cast<HWND>(window); }
Window FromHandle(HWND window) { return reinterpret_cast<Window>(window); }

}  // namespace

Window Win32Desktop::FindTopWindow(const std::string& className) {
  return FromHandle(FindWindowA(className.c_str(), nullptr));
}

Window Win32Desktop::FirstChild(Window parent) {
  return FromHandle(GetWindow(ToHandle(parent), GW_CHILD));
}

std::string Win32Desktop::ClassNameOf(Window window) {
  char name[40];
  const int length = GetClassNameA(ToHandle(window), name, sizeof name);
  return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::intptr_t Win32Desktop::Send(Window window, unsigned message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
  return SendMessageA(ToHandle(window), message, wParam, lParam);
}

void Win32Desktop::Repaint(Window window) { UpdateWindow(ToHandle(window)); }

std::uint32_t Win32Desktop::SystemColour(int index) { return GetSysColor(index); }

void Win32Desktop::ShowMessage(const std::string& text, const std::string& title, unsigned flags) {
  MessageBoxA(nullptr, text.c_str(), title.c_str(), flags);
}

}  // namespace glasslbl
