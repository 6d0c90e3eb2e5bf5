#include "prefix/reg_text.h"

#include <array>

#include "text/cp1251.h"

namespace vlx::prefix::regtext {

namespace {
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Bytes above 127 that are not escaped: taken as UTF-8 when they form a sequence, else one unit each.
std::size_t AppendRaw(std::string_view text, std::size_t i, std::u16string& out) {
  const auto c = static_cast<unsigned char>(text[i]);
  auto cont = [&](std::size_t k) {
    return k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80;
  };
  if (c >= 0xC2 && c <= 0xDF && cont(i + 1)) {
    out += static_cast<char16_t>(((c & 0x1F) << 6) | (text[i + 1] & 0x3F));
    return 2;
  }
  if (c >= 0xE0 && c <= 0xEF && cont(i + 1) && cont(i + 2)) {
    out += static_cast<char16_t>(((c & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) |
                                 (text[i + 2] & 0x3F));
    return 3;
  }
  out += static_cast<char16_t>(c);
  return 1;
}

const std::array<unsigned char, 65536>& ByteTable() {
  static const auto table = [] {
    std::array<unsigned char, 65536> t;
    t.fill('?');
    for (int b = 0; b < 256; ++b)
      t[Cp1251ToCodePoint(static_cast<unsigned char>(b))] = static_cast<unsigned char>(b);
    return t;
  }();
  return table;
}
}  // namespace

std::size_t FindUnescaped(std::string_view text, char end) {
  // Only an odd run of backslashes right before it escapes an `end`: no other escape holds a
  // backslash or `end` after its first character, and bytes of UTF-8 sequences are above 0x7F.
  for (std::size_t at = text.find(end); at != std::string_view::npos; at = text.find(end, at + 1)) {
    std::size_t backslashes = 0;
    while (backslashes < at && text[at - 1 - backslashes] == '\\') ++backslashes;
    if (backslashes % 2 == 0) return at;
  }
  return std::string_view::npos;
}

std::size_t Unescape(std::string_view text, char end, std::u16string& out) {
  std::size_t i = 0;
  while (i < text.size()) {
    // Plain characters in one go.
    std::size_t run = i;
    while (run < text.size() && text[run] != end && text[run] != '\\' &&
           static_cast<unsigned char>(text[run]) < 0x80)
      ++run;
    if (run > i) {
      const std::size_t at = out.size();
      out.resize(at + (run - i));
      for (std::size_t k = i; k < run; ++k) out[at + (k - i)] = static_cast<char16_t>(text[k]);
      i = run;
      if (i >= text.size()) break;
    }
    const char c = text[i];
    if (c == end) return i;
    if (c != '\\' || i + 1 >= text.size()) {
      if (static_cast<unsigned char>(c) < 0x80) {
        out += static_cast<char16_t>(c);
        ++i;
      } else {
        i += AppendRaw(text, i, out);
      }
      continue;
    }
    const char e = text[++i];
    switch (e) {
      case 'a': out += u'\a'; ++i; continue;
      case 'b': out += u'\b'; ++i; continue;
      case 'e': out += char16_t{27}; ++i; continue;
      case 'f': out += u'\f'; ++i; continue;
      case 'n': out += u'\n'; ++i; continue;
      case 'r': out += u'\r'; ++i; continue;
      case 't': out += u'\t'; ++i; continue;
      case 'v': out += u'\v'; ++i; continue;
      case 'x': {
        ++i;
        unsigned value = 0;
        int digits = 0;
        while (digits < 4 && i < text.size() && HexDigit(text[i]) >= 0) {
          value = value * 16 + static_cast<unsigned>(HexDigit(text[i++]));
          ++digits;
        }
        out += digits ? static_cast<char16_t>(value) : u'x';
        continue;
      }
      default:
        if (e >= '0' && e <= '7') {
          unsigned value = 0;
          int digits = 0;
          while (digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7') {
            value = value * 8 + static_cast<unsigned>(text[i++] - '0');
            ++digits;
          }
          out += static_cast<char16_t>(value);
          continue;
        }
        // Any other escaped character stands for itself (\\, \", \[, \]).
        if (static_cast<unsigned char>(e) < 0x80) {
          out += static_cast<char16_t>(e);
          ++i;
        } else {
          i += AppendRaw(text, i, out);
        }
    }
  }
  return std::string_view::npos;
}

std::size_t Escape(std::u16string_view units, std::string_view specials, std::string& out) {
  static constexpr char kEscapes[] = ".......abtnvfr.............e....";
  static constexpr char kHex[] = "0123456789abcdef";
  const std::size_t start = out.size();
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    const bool last = i + 1 == units.size();
    if (u > 127) {
      // Four digits when the next character could be read as one more digit.
      const bool pad = !last && units[i + 1] < 128 && HexDigit(static_cast<char>(units[i + 1])) >= 0;
      out += "\\x";
      bool started = false;
      for (int shift = 12; shift >= 0; shift -= 4) {
        const unsigned d = (u >> shift) & 0xF;
        if (d || started || pad || shift == 0) {
          out += kHex[d];
          started = true;
        }
      }
    } else if (u < 32) {
      if (u == 0 && last) continue;
      if (kEscapes[u] != '.') {
        out += '\\';
        out += kEscapes[u];
      } else {
        const bool pad = !last && units[i + 1] >= '0' && units[i + 1] <= '7';
        out += '\\';
        if (pad || u >= 8) {
          if (pad) out += static_cast<char>('0' + (u >> 6));
          if (pad || u >= 8) out += static_cast<char>('0' + ((u >> 3) & 7));
        }
        out += static_cast<char>('0' + (u & 7));
      }
    } else {
      const char c = static_cast<char>(u);
      if (c == '\\' || c == specials[0] || c == specials[1]) out += '\\';
      out += c;
    }
  }
  return out.size() - start;
}

char16_t FoldCaseSlow(char16_t u) {
  if (u >= 0x410 && u <= 0x42F) return static_cast<char16_t>(u + 0x20);
  if (u >= 0x400 && u <= 0x40F) return static_cast<char16_t>(u + 0x50);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char16_t>(u + 0x20);
  if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return static_cast<char16_t>(u + 0x20);
  if (((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177) || (u >= 0x460 && u <= 0x481) ||
       (u >= 0x48A && u <= 0x4BF) || (u >= 0x4D0 && u <= 0x52F)) &&
      (u % 2) == 0)
    return static_cast<char16_t>(u + 1);
  if (((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E) || (u >= 0x4C1 && u <= 0x4CE)) &&
      (u % 2) == 1)
    return static_cast<char16_t>(u + 1);
  return u;
}

char16_t ToUnit(unsigned char byte) { return static_cast<char16_t>(Cp1251ToCodePoint(byte)); }

unsigned char FromUnit(char16_t unit) { return ByteTable()[unit]; }

std::u16string ToUnits(std::string_view cp1251) {
  std::u16string out(cp1251.size(), u'\0');
  for (std::size_t i = 0; i < cp1251.size(); ++i)
    out[i] = ToUnit(static_cast<unsigned char>(cp1251[i]));
  return out;
}

std::string FromUnits(std::u16string_view units) {
  const auto& table = ByteTable();
  std::string out(units.size(), '\0');
  for (std::size_t i = 0; i < units.size(); ++i) out[i] = static_cast<char>(table[units[i]]);
  return out;
}

}  // namespace vlx::prefix::regtext
