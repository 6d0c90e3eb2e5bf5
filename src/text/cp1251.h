// Code page 1251 at the edges: UTF-8 on terminals, UTF-16 in Wine's registry files.
#pragma once
#include <string>
#include <string_view>

namespace vlx {

// Unicode code point of a CP1251 byte.
char32_t Cp1251ToCodePoint(unsigned char byte);
// CP1251 byte of a code point; false when the code page has no such character.
bool CodePointToCp1251(char32_t codePoint, unsigned char& byte);

std::string Cp1251ToUtf8(const std::string& text);
// Characters that code page 1251 lacks become '?', as WideCharToMultiByte does.
std::string Utf8ToCp1251(const std::string& text);
std::u16string Cp1251ToUtf16(const std::string& text);
std::string Utf16ToCp1251(const std::u16string& text);

// Lower-case form of a CP1251 byte (Latin and Cyrillic letters), for names that Windows compares
// without regard to case.
unsigned char Cp1251ToLower(unsigned char byte);
bool EqualNoCaseCp1251(std::string_view a, std::string_view b);

}  // namespace vlx
