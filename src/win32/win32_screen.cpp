#include "win32/win32_screen.h"

#include <windows.h>

#include <cstring>

namespace vlx::win32 {

namespace {

// The desktop window's device context, released on every path.
class ScreenDc {
 public:
  ScreenDc() : window_(GetDesktopWindow()), dc_(GetWindowDC(window_)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

class OpenClipboardScope {
 public:
  OpenClipboardScope() : open_(OpenClipboard(nullptr) != 0) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

// Global memory that is freed unless the clipboard takes it.
class GlobalText {
 public:
  explicit GlobalText(const std::string& text)
      : memory_(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    if (!memory_) return;
    if (void* bytes = GlobalLock(memory_)) {
      std::memcpy(bytes, text.c_str(), text.size() + 1);
      GlobalUnlock(memory_);
    } else {
      GlobalFree(memory_);
      memory_ = nullptr;
    }
  }
  ~GlobalText() {
    if (memory_) GlobalFree(memory_);
  }
  GlobalText(const GlobalText&) = delete;
  GlobalText& operator=(const GlobalText&) = delete;
  HGLOBAL get() const { return memory_; }
  void release() { memory_ = nullptr; }

 private:
  HGLOBAL memory_;
};

}  // namespace

bool Win32Screen::CursorPos(int& x, int& y) {
  POINT point{};
  if (!GetCursorPos(&point)) return false;
  x = point.x;
  y = point.y;
  return true;
}

std::uint32_t Win32Screen::PixelAt(int x, int y) {
  ScreenDc dc;
  if (!dc.get()) return kInvalidColour;
  return GetPixel(dc.get(), x, y);
}

std::uint32_t Win32Screen::SystemColour(int index) { return GetSysColor(index); }

bool Win32Clipboard::SetText(const std::string& text) {
  GlobalText memory(text);
  if (!memory.get()) return false;
  OpenClipboardScope clipboard;
  if (!clipboard.open() || !EmptyClipboard()) return false;
  if (!SetClipboardData(CF_TEXT, memory.get())) return false;
  memory.release();  // the clipboard owns it now
  return true;
}

std::string Win32Clipboard::Text() {
  OpenClipboardScope clipboard;
  if (!clipboard.open()) return {};
  HANDLE data = GetClipboardData(CF_TEXT);
  if (!data) return {};
  const char* bytes = static_cast<const char*>(GlobalLock(data));
  if (!bytes) return {};
  std::string text(bytes, strnlen(bytes, GlobalSize(data)));
  GlobalUnlock(data);
  return text;
}

}  // namespace vlx::win32
