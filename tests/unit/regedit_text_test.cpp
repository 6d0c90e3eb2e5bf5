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
      {"REGEDIT\r\n[HKEY_CURRENT_USER\\A]\r\n", 2},  // Windows 3.1 form: HKEY_CLASSES_ROOT lines only
      {"\r\n\x01\x02garbage\r\n", 1},
      {"Windows Registry Editor Version 5.00\r\n", -1},  // UTF-16 form without its BOM: accepted
      {"REGEDIT4\r\n\"a\"=\"b\"\r\n", 2},
      {"REGEDIT4\r\n[HKEY_NOWHERE\\A]\r\n", 2},
      {"REGEDIT4\r\n[-HKEY_CURRENT_USER]\r\n", 2},
      {"REGEDIT4\r\n[HKCU\\A]\r\n\"a\"=hex:01,zz\r\n", 3},
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

// The lines Windows' registry editor reads, and the value each gives.
TEST(RegeditParser, ReadsTheSyntaxRegeditAccepts) {
  const std::string head = "REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n";
  struct Case {
    std::string lines;  // after the key line; the value read is the last entry
    std::uint32_t type;
    std::string data;
  } cases[] = {
      // a continued hex value whose file ends after the backslash
      {"\"v\"=hex(0):56,61,6c,75,65,\\", regtype::None, "Value"},
      {"\"v\"=hex:01,\\\r\n\r\n  \r\n", regtype::Binary, "\x01"},
      // comments and blank or white-space lines between continued lines
      {"\"v\"=hex:01,\\\r\n;comment\r\n  02", regtype::Binary, "\x01\x02"},
      {"\"v\"=hex:01,\\\r\n  ;comment\r\n\r\n \t \r\n  02,\\ ;c\r\n  03\r\n", regtype::Binary,
       "\x01\x02\x03"},
      {"\"v\"=hex:01,  \\  ;comment\r\n  02\r\n", regtype::Binary, "\x01\x02"},
      {"\"v\"=hex(2):\\\r\n  25,00\r\n", regtype::ExpandSz, std::string("%\0", 2)},
      // blanks after dword: and around '='
      {"\"v\"=dword:  00000008\r\n", regtype::Dword, Dword(8)},
      {"\"v\" \t=  dword:\t8 ;c\r\n", regtype::Dword, Dword(8)},
      {"@ = \"x\"\r\n", regtype::Sz, std::string("x\0", 2)},
      // type words without regard to case
      {"\"HEX\"=HEX:01,02\r\n", regtype::Binary, "\x01\x02"},
      {"\"d\"=DWORD:0000000a\r\n", regtype::Dword, Dword(10)},
      {"\"e\"=Hex(2):41,00\r\n", regtype::ExpandSz, std::string("A\0", 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    try {
      const Script s = Parse(head + c.lines);
      ASSERT_EQ(s.entries.size(), 2u);
      EXPECT_EQ(s.entries[1].type, c.type);
      EXPECT_EQ(s.entries[1].data, c.data);
    } catch (const ParseError& e) {
      ADD_FAILURE() << "line " << e.line << ": " << e.what();
    }
  }
}

// What regedit does not import, refused whole with the line named.
TEST(RegeditParser, RefusesWhatRegeditDoesNotImport) {
  const std::string head = "REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n";
  struct Case {
    std::string lines;
    int line;
  } cases[] = {
      {"\"a\"=\"x\\0y\"\r\n", 3},                                  // \0 in a REGEDIT4 string
      {"\"a\"=\"x\\0\"\r\n", 3},
      {"\"a\"=hex:01,02\\\r\n  03\r\n", 3},                          // no comma before '\'
      {"\"a\"=hex:01,02\\", 3},
      {"\"a\"=hex:01,\\\r\n\\\r\n  02\r\n", 3},                    // a lone backslash line
      {"\"a\"=hex:01,\\\r\n  \\\r\n  02\r\n", 3},
      {"\\\r\n", 3},
      {"\"a\"=hex:01,\\\r\n;comment\r\n\"b\"=\"x\"\r\n", 3},          // runs into a value
      {"\"a\"=hex:01,\\\r\n\r\n\"b\"=\"x\"\r\n", 3},
      {"\"a\"=hex:01,\\\r\n[HKEY_CURRENT_USER\\L]\r\n", 3},
      {"\"a\"=hex:01,\\\r\n#comment\r\n  02\r\n", 3},               // '#' is no comment there
      {"\"a\"=hex:01,\\#comment\r\n  02\r\n", 3},
      {"\"a\"=hex:01,\r\n  02\r\n", 4},                             // no backslash: a new line
      {"\"a\"=dword:1234 #c\r\n", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    try {
      Parse(head + c.lines);
      ADD_FAILURE() << "accepted";
    } catch (const ParseError& e) {
      EXPECT_EQ(e.line, c.line) << e.what();
    }
  }
}

TEST(RegeditParser, TakesTheHeaderOnTheFirstLineOnly) {
  struct Case {
    std::string text;
    bool accepted;
  } cases[] = {
      {"REGEDIT4\r\n", true},
      {" REGEDIT4\r\n", true},
      {"\tREGEDIT4 \r\n", true},
      {"\r\nREGEDIT4\r\n", false},
      {"\nREGEDIT4\n", false},
      {"  \r\nREGEDIT4\r\n", false},
      {"regedit4\r\n", false},
      {"REGEDIT4FOO\r\n", false},
      {"AREGEDIT4\r\n", false},
      {"REGEDIT\r\n", true},
      {"Windows Registry Editor Version 5.00\r\n", true},
      {"\r\nWindows Registry Editor Version 5.00\r\n", false},
      {std::string("\xFF\xFE\r\0\n\0R\0E\0G\0E\0D\0I\0T\0" "4\0", 22), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    if (c.accepted) {
      EXPECT_NO_THROW(Parse(c.text));
    } else {
      EXPECT_THROW(Parse(c.text), ParseError);
    }
  }
}

// "REGEDIT" then "HKEY_CLASSES_ROOT\key = text" lines: default values of HKEY_CLASSES_ROOT keys.
TEST(RegeditParser, ReadsTheWindows31Form) {
  const Script s = Parse(
      "REGEDIT\r\n"
      "HKEY_CLASSES_ROOT\\.txt = txtfile\r\n"
      "\r\n"
      "HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\command = notepad.exe %1\r\n"
      "HKEY_CLASSES_ROOT\\a=x\r\n"
      "HKEY_CLASSES_ROOT\\b =  two \"q\"\r\n"
      "HKEY_CLASSES_ROOT\\c\tplain\n");
  const std::pair<std::string, std::string> expected[] = {
      {"HKEY_CLASSES_ROOT\\.txt", "txtfile"},
      {"HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\command", "notepad.exe %1"},
      {"HKEY_CLASSES_ROOT\\a", "x"},
      {"HKEY_CLASSES_ROOT\\b", " two \"q\""},  // one blank after '=' is skipped, no escapes
      {"HKEY_CLASSES_ROOT\\c", "plain"},
  };
  ASSERT_EQ(s.entries.size(), 2 * std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(s.entries[2 * i].kind, Entry::Kind::Key);
    EXPECT_EQ(s.entries[2 * i].key, expected[i].first);
    const Entry& value = s.entries[2 * i + 1];
    EXPECT_EQ(value.kind, Entry::Kind::Value);
    EXPECT_EQ(value.name, "");
    EXPECT_EQ(value.type, regtype::Sz);
    EXPECT_EQ(value.data, expected[i].second + '\0');
  }
  for (const char* bad : {"REGEDIT\r\nHKEY_CURRENT_USER\\x = y\r\n",
                          "REGEDIT\r\n[HKEY_CLASSES_ROOT\\x]\r\n",
                          "REGEDIT\r\nHKEY_CLASSES_ROOTX = y\r\n"}) {
    try {
      Parse(bad);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const ParseError& e) {
      EXPECT_EQ(e.line, 2) << bad;
    }
  }
}

}  // namespace
}  // namespace vlx::regedit
