// A picture taken from a library (bitmap, icon or cursor) as the control model holds it.
#pragma once
#include <memory>
#include <string>

namespace vlx {

struct Picture {
  enum class Kind { None, Bitmap, Icon, Cursor };
  Kind kind = Kind::None;
  std::string origin;             // e.g. "C:\\Program Files\\Volnerix\\vlximg.dll,BACKGROUND"
  int width = 0;
  int height = 0;
  std::shared_ptr<void> native;   // HBITMAP / HICON / HCURSOR in the Win32 build; empty offline

  bool Empty() const { return kind == Kind::None; }
};

}  // namespace vlx
