// Text forms of Wine's registry files: escaped strings of UTF-16 code units, and names compared
// the way wineserver compares them (code units folded to lower case, then length).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vlx::prefix::regtext {

// Reads an escaped string up to the unescaped `end` character, appending its code units to
// `out`. Returns the offset of `end` in `text`, or npos when the text ends first.
std::size_t Unescape(std::string_view text, char end, std::u16string& out);
// Where Unescape would stop, without decoding: the offset of the unescaped `end`, or npos.
std::size_t FindUnescaped(std::string_view text, char end);

// Appends `units` escaped as wineserver writes them; `specials` are the two characters that need
// a backslash besides the backslash itself ("\"\"" in values, "[]" in key paths). A final NUL is
// left out. Returns the number of characters appended.
std::size_t Escape(std::u16string_view units, std::string_view specials, std::string& out);

char16_t FoldCaseSlow(char16_t unit);
inline char16_t FoldCase(char16_t unit) {
  if (unit < 0x80) return (unit >= 'A' && unit <= 'Z') ? static_cast<char16_t>(unit + 32) : unit;
  return FoldCaseSlow(unit);
}
inline int CompareNames(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;
    const int d = static_cast<int>(FoldCase(a[i])) - static_cast<int>(FoldCase(b[i]));
    if (d) return d;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Code page 1251 bytes and UTF-16 code units, one for one; units the code page lacks become '?'.
char16_t ToUnit(unsigned char byte);
unsigned char FromUnit(char16_t unit);
std::u16string ToUnits(std::string_view cp1251);
std::string FromUnits(std::u16string_view units);

}  // namespace vlx::prefix::regtext
