// Clipboard port: plain text on the clipboard (user32).
#pragma once
#include <string>

namespace vlx {

class Clipboard {
 public:
  virtual ~Clipboard() = default;

  // OpenClipboard, EmptyClipboard, SetClipboardData(CF_TEXT), CloseClipboard: the text replaces
  // what the clipboard held. False when the clipboard cannot be taken.
  virtual bool SetText(const std::string& text) = 0;
  // GetClipboardData(CF_TEXT): the text on the clipboard, empty when it holds none.
  virtual std::string Text() = 0;
};

}  // namespace vlx
