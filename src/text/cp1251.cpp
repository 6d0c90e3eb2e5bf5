#include "text/cp1251.h"

#include <array>

namespace vlx {

namespace {
constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char ToCp1251OrQuestion(char32_t cp) {
  unsigned char byte = '?';
  CodePointToCp1251(cp, byte);
  return static_cast<char>(byte);
}
}  // namespace

char32_t Cp1251ToCodePoint(unsigned char byte) {
  return byte < 0x80 ? byte : kHighHalf[byte - 0x80];
}

bool CodePointToCp1251(char32_t codePoint, unsigned char& byte) {
  if (codePoint < 0x80) {
    byte = static_cast<unsigned char>(codePoint);
    return true;
  }
  for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
    if (kHighHalf[i] == codePoint && codePoint != 0xFFFD) {
      byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string Cp1251ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (unsigned char c : text) AppendUtf8(out, Cp1251ToCodePoint(c));
  return out;
}

std::string Utf8ToCp1251(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= text.size() + (extra == 0 ? 1 : 0)) {
      out += '?';
      ++i;
      continue;
    }
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (!valid) {
      out += '?';
      ++i;
      continue;
    }
    out += ToCp1251OrQuestion(cp);
    i += extra + 1;
  }
  return out;
}

std::u16string Cp1251ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (unsigned char c : text) out += static_cast<char16_t>(Cp1251ToCodePoint(c));
  return out;
}

std::string Utf16ToCp1251(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    out += ToCp1251OrQuestion(cp);
  }
  return out;
}

unsigned char Cp1251ToLower(unsigned char byte) {
  char32_t cp = Cp1251ToCodePoint(byte);
  if (cp >= U'A' && cp <= U'Z') return static_cast<unsigned char>(byte + 32);
  if (cp >= 0x0410 && cp <= 0x042F) cp += 0x20;                   // А..Я
  else if (cp >= 0x0400 && cp <= 0x040F) cp += 0x50;              // Ѐ..Џ
  else if (cp >= 0x0460 && cp <= 0x04FF && cp % 2 == 0) cp += 1;   // Ґ and other pairs
  else return byte;
  unsigned char lower = byte;
  return CodePointToCp1251(cp, lower) ? lower : byte;
}

bool EqualNoCaseCp1251(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Cp1251ToLower(static_cast<unsigned char>(a[i])) !=
        Cp1251ToLower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace vlx
