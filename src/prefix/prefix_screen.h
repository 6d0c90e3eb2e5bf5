// The screen offline: a simulated surface a test or a script paints, with a pointer position,
// and clipboard text kept in memory with a journal line per copy.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/screen.h"
#include "prefix/journal.h"

namespace vlx::prefix {

class SimulatedScreen : public Screen {
 public:
  SimulatedScreen(int width = 800, int height = 600, std::uint32_t background = 0x808000)
      : width_(width), height_(height), background_(background) {}

  // Fills the rectangle (clipped to the screen) with the colour (0x00BBGGRR).
  void Paint(int left, int top, int width, int height, std::uint32_t colour);
  void MovePointer(int x, int y);

  bool CursorPos(int& x, int& y) override;
  std::uint32_t PixelAt(int x, int y) override;
  // The Windows standard colour scheme.
  std::uint32_t SystemColour(int index) override;

 private:
  struct Area {
    int left, top, right, bottom;
    std::uint32_t colour;
  };
  int width_, height_;
  std::uint32_t background_;
  std::vector<Area> painted_;  // later areas lie on top
  int x_ = 0, y_ = 0;
};

class PrefixClipboard : public Clipboard {
 public:
  explicit PrefixClipboard(Journal& journal) : journal_(journal) {}
  bool SetText(const std::string& text) override;
  std::string Text() override { return text_; }

 private:
  Journal& journal_;
  std::string text_;
};

}  // namespace vlx::prefix
