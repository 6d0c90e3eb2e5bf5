// Registry script files: the lines regedit writes for each data form, its hex wrapping, the
// UTF-16 form, and reading both forms back.
#include <gtest/gtest.h>

#include <string>

#include "store/regedit_text.h"

namespace vlx::regedit {
namespace {

std::string Dword(std::uint32_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
          static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
}

TEST(RegeditWriter, WritesEachDataFormAsRegeditDoes) {
  struct Case {
    std::string name;
    std::uint32_t type;
    std::string data;
    std::string line;
  } cases[] = {
      {"Имя", regtype::Sz, std::string("C:\\Путь \"x\"\0", 12), "\"Имя\"=\"C:\\\\Путь \\\"x\\\"\""},
      {"", regtype::Sz, std::string("d\0", 2), "@=\"d\""},
      {"NoRun", regtype::Dword, Dword(1), "\"NoRun\"=dword:00000001"},
      {"big", regtype::Dword, Dword(0xDEADBEEF), "\"big\"=dword:deadbeef"},
      {"b", regtype::Binary, "\x01\xAB", "\"b\"=hex:01,ab"},
      {"e", regtype::Binary, "", "\"e\"=hex:"},
      {"x", regtype::ExpandSz, std::string("%A%\0", 4), "\"x\"=hex(2):25,41,25,00"},
      {"two", regtype::Sz, std::string("a\0b\0", 4), "\"two\"=hex(1):61,00,62,00"},
      {"w", regtype::Dword, "\x01\x02", "\"w\"=hex(4):01,02"},
  };
  for (const Case& c : cases) {
    Writer w(Form::Regedit4);
    w.Key("HKEY_CURRENT_USER\\K");
    w.Value(c.name, c.type, c.data);
    EXPECT_EQ(w.Bytes(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n" + c.line + "\r\n\r\n") << c.line;
  }
}

TEST(RegeditWriter, WrapsHexLinesAtRegeditsWidth) {
  Writer w(Form::Regedit4);
  w.Key("HKEY_CURRENT_USER\\K");
  w.Value("TEMP", regtype::Binary, std::string(50, '\x11'));
  const std::string bytes = w.Bytes();
  // The first line breaks once 11 + 3n characters reach 77: 22 bytes.
  const std::string first = "\"TEMP\"=hex:" + [] {
    std::string s;
    for (int i = 0; i < 22; ++i) s += "11,";
    return s;
  }() + "\\\r\n";
  ASSERT_NE(bytes.find(first), std::string::npos) << bytes;
  // Continuation lines: two spaces, then 25 bytes.
  std::string second = "  ";
  for (int i = 0; i < 25; ++i) second += "11,";
  EXPECT_NE(bytes.find(second + "\\\r\n  11,11,11\r\n"), std::string::npos) << bytes;
  for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    EXPECT_LE(end - start, 80u);
}

TEST(RegeditWriter, Version5IsUtf16WithStringDataInUtf16) {
  Writer w(Form::Version5);
  w.Key("HKEY_CURRENT_USER\\Ж");
  w.Value("x", regtype::ExpandSz, std::string("Я\0", 2));
  w.DeleteValue("old");
  const std::string bytes = w.Bytes();
  ASSERT_EQ(bytes.substr(0, 4), std::string("\xFF\xFEW\0", 4));
  const Script back = Parse(bytes);
  EXPECT_EQ(back.form, Form::Version5);
  ASSERT_EQ(back.entries.size(), 3u);
  EXPECT_EQ(back.entries[0].key, "HKEY_CURRENT_USER\\Ж");
  EXPECT_EQ(back.entries[1].data, std::string("Я\0", 2));  // hex(2):2f,04,00,00 read as UTF-16
  EXPECT_EQ(back.entries[2].kind, Entry::Kind::DeleteValue);
}

TEST(RegeditParser, ReadsWhatTheWriterWroteAndRegeditsOwnForms) {
  Writer w(Form::Regedit4);
  w.DeleteKey("HKEY_CURRENT_USER\\Gone");
  w.Key("HKEY_LOCAL_MACHINE\\Soft");
  w.Value("long", regtype::Binary, std::string(200, '\x7F'));
  w.Value("", regtype::Sz, std::string("\"\\\0", 3));
  w.Value("n", regtype::Dword, Dword(7));
  const Script s = Parse(w.Bytes() + "[HKCU\\Short]\r\n  \"sp\" = \"v\" ; comment\r\n\"z\"=-\r\n");
  ASSERT_EQ(s.entries.size(), 8u);
  EXPECT_EQ(s.entries[0].kind, Entry::Kind::DeleteKey);
  EXPECT_EQ(s.entries[2].data, std::string(200, '\x7F'));
  EXPECT_EQ(s.entries[3].data, std::string("\"\\\0", 3));
  EXPECT_EQ(s.entries[4].data, Dword(7));
  EXPECT_EQ(s.entries[5].key, "HKEY_CURRENT_USER\\Short");
  EXPECT_EQ(s.entries[6].data, std::string("v\0", 2));
  EXPECT_EQ(s.entries[7].kind, Entry::Kind::DeleteValue);
}

TEST(RegeditParser, RefusesTheWholeFileNamingTheLine) {
  struct Case {
    std::string text;
    int line;
  } cases[] = {
      {"REGEDIT\r\n[HKEY_CURRENT_USER\\A]\r\n", 1},
      {"\r\n\x01\x02garbage\r\n", 2},
      {"Windows Registry Editor Version 5.00\r\n", -1},  // UTF-16 form without its BOM: accepted
      {"REGEDIT4\r\n\"a\"=\"b\"\r\n", 2},
      {"REGEDIT4\r\n[HKEY_NOWHERE\\A]\r\n", 2},
      {"REGEDIT4\r\n[-HKEY_CURRENT_USER]\r\n", 2},
      {"REGEDIT4\r\n[HKCU\\A]\r\n\"a\"=hex:01,zz\r\n", 3},
      {"REGEDIT4\r\n[HKCU\\A]\r\n\"a\"=hex:01,\\\r\n", 3},
      {"REGEDIT4\r\n[HKCU\\A]\r\n\"a\"=dword:123456789\r\n", 3},
      {"REGEDIT4\r\n[HKCU\\A]\r\n\"a\"=\"open\r\n", 3},
      {"REGEDIT4\r\n[HKCU\\A]\r\n\"a\"=str:x\r\n", 3},
  };
  for (const Case& c : cases) {
    if (c.line < 0) {
      EXPECT_NO_THROW(Parse(c.text));
      continue;
    }
    try {
      Parse(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const ParseError& e) {
      EXPECT_EQ(e.line, c.line) << c.text << ": " << e.what();
    }
  }
}

// A character code page 1251 lacks would be imported as '?', so that names could collide: such a
// line is refused by its number.
TEST(RegeditParser, RefusesUtf16TextWithoutACodePage1251Form) {
  auto file = [](const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n" + text) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
  };
  struct Case {
    std::u16string lines;
    int line;
  } cases[] = {
      {u"\"\u4E2D\"=\"x\"\r\n", 4},                           // a name
      {u"\"a\"=\"b\"\r\n\"c\"=\"\u4E2D\u6587\"\r\n", 5},       // data
      {u"\"a\"=hex(2):2d,4e,00,00\r\n", 4},                  // UTF-16 bytes of a string type
      {u"[HKEY_CURRENT_USER\\A\\\U0001F600]\r\n", 4},         // beyond the 16-bit plane
      {u"\"\u0416\u2116\"=\"\u20AC\"\r\n", -1},                  // Cyrillic, No. and euro: in 1251
  };
  for (const Case& c : cases) {
    if (c.line < 0) {
      EXPECT_EQ(Parse(file(c.lines)).entries.back().name, "\xC6\xB9");
      continue;
    }
    try {
      Parse(file(c.lines));
      ADD_FAILURE() << "accepted case refused at " << c.line;
    } catch (const ParseError& e) {
      EXPECT_EQ(e.line, c.line) << e.what();
    }
  }
}

}  // namespace
}  // namespace vlx::regedit
