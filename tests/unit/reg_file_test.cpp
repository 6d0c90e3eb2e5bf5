// Wine registry files: reading every value form, writing back byte for byte, the layout of values
// written anew, and the errors of files that do not parse.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "path_temp_dir.h"
#include "platform/win_types.h"
#include "prefix/prefix_error.h"
#include "prefix/reg_file.h"
#include "prefix/reg_text.h"

namespace vlx::prefix {
namespace {

using regtext::ToUnits;

// Shaped like a file wineserver writes, with the lines it keeps but we do not interpret.
const std::string kHive =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Control Panel\\\\Desktop] 1796861030\n"
    "#time=1dd8839ef877f0e\n"
    "#class=\"Shell\"\n"
    "; a comment kept as it is\n"
    "@=\"def\"\n"
    "\"Binary\"=hex:01,02,ab\n"
    "\"Dword\"=dword:0000004d\n"
    "\"Escapes\"=\"q\\\"b\\\\t\\tn\\n\\x41f\\x0416a\"\n"
    "\"Expand\"=str(2):\"%PATH%;\\x451\"\n"
    "\"Long\"=hex:02,00,00,00,00,00,60,00,02,00,00,00,00,00,00,00,30,70,69,33,\\\n"
    "  00,00,00,00,00,00,00,00,01,00,00,00\n"
    "\"Multi\"=str(7):\"a\\0b\\0\\x416\\0\"\n"
    "\"None\"=hex(0):61,00,62,00,00,00\n"
    "\"Qword\"=hex(b):78,56,34,12,00,00,00,00\n"
    "\"\\x418\\x43c\\x44f\"=\"\\x417\\x43d\\x430\\x447\\x435\\x43d\\x438\\x435\"\n"
    "\n"
    "[Software\\\\Wine\\\\Link] 1796861030\n"
    "#time=1dd8839ef877f0e\n"
    "#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00,52,00\n";

RegKeyNode& Key(RegFile& file, std::initializer_list<const char*> path) {
  RegKeyNode* key = &file.Root();
  for (const char* name : path) {
    key = file.FindSubkey(*key, ToUnits(name));
    if (!key) throw std::runtime_error(std::string("no key ") + name);
  }
  return *key;
}

RegData Data(RegFile& file, RegKeyNode& key, const char* name) {
  const RegValueNode* value = file.FindValue(key, ToUnits(name));
  if (!value) throw std::runtime_error(std::string("no value ") + name);
  return RegFile::ValueData(*value);
}

TEST(RegFile, ReadsEveryValueFormAndWritesTheFileBackUnchanged) {
  RegFile file(kHive, "user.reg");
  RegKeyNode& desktop = Key(file, {"Control Panel", "Desktop"});
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string bytes;
    std::uint32_t storedSize;
  } cases[] = {
      {"", regtype::Sz, std::string("def\0", 4), 8},
      {"Binary", regtype::Binary, "\x01\x02\xab", 3},
      {"Dword", regtype::Dword, std::string("\x4d\0\0\0", 4), 4},
      {"Escapes", regtype::Sz, std::string("q\"b\\t\tn\nПЖa\0", 12), 24},
      {"Expand", regtype::ExpandSz, std::string("%PATH%;ё\0", 9), 18},
      {"Multi", regtype::MultiSz, std::string("a\0b\0Ж\0\0", 7), 14},
      {"None", regtype::None, std::string("a\0b\0\0\0", 6), 6},
      {"Qword", 11, std::string("\x78\x56\x34\x12\0\0\0\0", 8), 8},
      {"ИМЯ", regtype::Sz, std::string("Значение\0", 9), 18},  // any letter case finds it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const RegData data = Data(file, desktop, c.name);
    EXPECT_EQ(data.type, c.type);
    EXPECT_EQ(data.bytes, c.bytes);
    EXPECT_EQ(data.storedSize, c.storedSize);
  }
  EXPECT_EQ(Data(file, desktop, "Long").bytes.size(), 32u);
  EXPECT_EQ(Data(file, desktop, "long").bytes.substr(16, 4), "0pi3");
  EXPECT_EQ(Data(file, Key(file, {"SOFTWARE", "wine", "link"}), "SymbolicLinkValue").type,
            regtype::Link);
  EXPECT_EQ(file.Serialize(), kHive);
  EXPECT_FALSE(file.Modified());

  // Windows line ends are read too and kept.
  std::string crlf;
  for (char c : kHive) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  RegFile dos(crlf, "user.reg");
  EXPECT_EQ(Data(dos, Key(dos, {"Control Panel", "Desktop"}), "Long").bytes.size(), 32u);
  EXPECT_EQ(dos.Serialize(), crlf);
}

TEST(RegFile, AChangedKeyKeepsItsOtherLinesAndTheRestOfTheFileStaysAsItWas) {
  RegFile file(kHive, "user.reg");
  RegKeyNode& desktop = Key(file, {"Control Panel", "Desktop"});
  file.SetValue(desktop, ToUnits("DWORD"), regtype::Dword, std::string("\x01\0\0\0", 4));
  EXPECT_TRUE(file.RemoveValue(desktop, ToUnits("binary")));
  const std::string text = file.Serialize();
  const auto section = text.substr(text.find("[Control Panel"), text.find("[Software") -
                                                                    text.find("[Control Panel"));
  EXPECT_NE(section.find("#class=\"Shell\"\n; a comment kept as it is\n@=\"def\"\n"),
            std::string::npos);
  EXPECT_NE(section.find("\n\"Dword\"=dword:00000001\n"), std::string::npos);  // spelling kept
  EXPECT_EQ(section.find("Binary"), std::string::npos);
  EXPECT_EQ(section.find("#time=1dd8839ef877f0e"), std::string::npos);  // a new time
  EXPECT_NE(section.find("\"Long\"=hex:02,00,00,00,00,00,60,00,02,00,00,00,00,00,00,00,30,70,69,"
                         "33,\\\n  00,00,00,00,00,00,00,00,01,00,00,00\n"),
            std::string::npos);
  EXPECT_EQ(text.substr(text.find("[Software")), kHive.substr(kHive.find("[Software")));

  // What was written reads back the same.
  RegFile again(text, "user.reg");
  RegKeyNode& reread = Key(again, {"control panel", "desktop"});
  EXPECT_EQ(Data(again, reread, "dword").bytes, std::string("\x01\0\0\0", 4));
  EXPECT_EQ(again.FindValue(reread, ToUnits("Binary")), nullptr);
  EXPECT_EQ(Data(again, reread, "Escapes").bytes, std::string("q\"b\\t\tn\nПЖa\0", 12));
}

TEST(RegFile, ValuesSetAnewAreWrittenAsWineserverWritesThem) {
  const std::string bytes40(40, '\x5a');
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string bytes;
    std::string line;
  } cases[] = {
      {"", regtype::Sz, std::string("x\0", 2), "@=\"x\""},
      {"Имя", regtype::Sz, std::string("Ж1\"\\\0", 5), "\"\\x418\\x43c\\x44f\"=\"\\x04161\\\"\\\\\""},
      {"s", regtype::Sz, "no zero", "\"s\"=hex(1):6e,00,6f,00,20,00,7a,00,65,00,72,00,6f,00"},
      {"e", regtype::ExpandSz, std::string("%A%\0", 4), "\"e\"=str(2):\"%A%\""},
      {"m", regtype::MultiSz, std::string("a\0b\0\0", 5), "\"m\"=str(7):\"a\\0b\\0\""},
      {"c", regtype::Sz, std::string("\x01\x1b" "7\0", 4), "\"c\"=\"\\1\\e7\""},
      {"d", regtype::Dword, std::string("\x78\x56\x34\x12", 4), "\"d\"=dword:12345678"},
      {"d3", regtype::Dword, "abc", "\"d3\"=hex(4):61,62,63"},
      {"q", 11, std::string("\1\0\0\0\0\0\0\0", 8), "\"q\"=hex(b):01,00,00,00,00,00,00,00"},
      {"b", regtype::Binary, "", "\"b\"=hex:"},
      {"FilterData", regtype::Binary, bytes40,
       "\"FilterData\"=hex:5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,\\\n"
       "  5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    RegFile file("REGISTRY\\\\Machine");
    RegKeyNode& key = file.AddSubkey(file.Root(), ToUnits("K"));
    file.SetValue(key, ToUnits(c.name), c.type, c.bytes);
    const std::string text = file.Serialize();
    EXPECT_NE(text.find("\n" + c.line + "\n"), std::string::npos) << text;
    RegFile again(text, "system.reg");
    const RegData data = Data(again, Key(again, {"k"}), c.name);
    EXPECT_EQ(data.type, c.type);
    EXPECT_EQ(data.bytes, c.bytes);
  }
}

TEST(RegFile, NamesCompareWithoutCaseKeepTheirSpellingAndSortAsWineserverSortsThem) {
  RegFile file("REGISTRY\\\\Machine");
  RegKeyNode& parent = file.AddSubkey(file.Root(), ToUnits("T"));
  for (const char* name : {"b", "A", "_x", "a1", "Яблоко", "яд", "c", "B2"})
    file.AddSubkey(parent, ToUnits(name));
  EXPECT_EQ(&file.AddSubkey(parent, ToUnits("ЯБЛОКО")), file.FindSubkey(parent, ToUnits("яблоко")));
  std::string order;
  for (const auto& sub : file.Subkeys(parent)) order += regtext::FromUnits(sub->name) + " ";
  EXPECT_EQ(order, "_x A a1 b B2 c Яблоко яд ");

  // Keys read out of order, and a key met twice, end up sorted and merged (last value wins).
  RegFile read(
      "WINE REGISTRY Version 2\n\n[Z] 1\n\"v\"=\"1\"\n\"A\"=\"2\"\n\n[a] 1\n\n[z] 1\n\"V\"=\"3\"\n",
      "x.reg");
  ASSERT_EQ(read.Subkeys(read.Root()).size(), 2u);
  EXPECT_EQ(regtext::FromUnits(read.Subkeys(read.Root())[0]->name), "a");
  RegKeyNode& z = *read.Subkeys(read.Root())[1];
  ASSERT_EQ(read.Values(z).size(), 2u);
  EXPECT_EQ(regtext::FromUnits(RegFile::ValueName(read.Values(z)[0])), "A");
  EXPECT_EQ(Data(read, z, "v").bytes, std::string("3\0", 2));
}

// Every key and value in tree order, one line each: "path: name=data" for values.
void Dump(RegFile& file, RegKeyNode& key, const std::string& path, std::string& out) {
  if (!path.empty()) out += path + "\n";
  for (const RegValueNode& value : file.Values(key))
    out += path + ": " + regtext::FromUnits(RegFile::ValueName(value)) + "=" +
           RegFile::ValueData(value).bytes.c_str() + "\n";
  for (const auto& sub : file.Subkeys(key))
    Dump(file, *sub, (path.empty() ? "" : path + "\\") + regtext::FromUnits(sub->name), out);
}

// A file in wineserver's order: keys only some sections name (A, A\B), a name spelled two ways.
const std::string kTree =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n"
    "[A\\\\B\\\\C] 1\n\"v\"=\"c\"\n\n"
    "[A\\\\B\\\\C\\\\D] 1\n@=\"d\"\n\n"
    "[a\\\\b\\\\E] 1\n#time=1\n\"w\"=\"e\"\n\n"
    "[Software] 1\n\"x\"=\"s\"\n\n"
    "[Software\\\\Wine] 1\n#link\n\"y\"=\"w\"\n\n"
    "[Z] 1\n";

TEST(RegFile, AFileLoadedIsBuiltWhereLookupsReachAndWrittenAsReadElsewhere) {
  testing::TempDir dir;
  const auto path = dir.path() / "system.reg";
  testing::WriteHostFile(path, kTree);
  {
    auto file = RegFile::Load(path);
    std::string dump;
    Dump(*file, file->Root(), "", dump);
    EXPECT_EQ(dump,
              "A\nA\\B\nA\\B\\C\nA\\B\\C: v=c\nA\\B\\C\\D\nA\\B\\C\\D: =d\n"
              "A\\B\\E\nA\\B\\E: w=e\nSoftware\nSoftware: x=s\nSoftware\\Wine\n"
              "Software\\Wine: y=w\nZ\n");
    EXPECT_TRUE(file->WritesWhatWasLoaded());
  }

  auto file = RegFile::Load(path);
  RegKeyNode& e = Key(*file, {"a", "B", "e"});
  file->SetValue(e, ToUnits("n"), regtype::Sz, std::string("new\0", 4));
  // Another program replaces the file: what was not built is still written as it was read.
  testing::WriteHostFile(dir.path() / "other.reg", "WINE REGISTRY Version 2\n\n[Other] 1\n");
  std::filesystem::rename(dir.path() / "other.reg", path);
  const std::string text = file->Serialize();
  const std::size_t sectionStart = kTree.find("[a\\\\b"), sectionEnd = kTree.find("[Software]");
  EXPECT_EQ(text.substr(0, sectionStart), kTree.substr(0, sectionStart));
  EXPECT_EQ(text.substr(text.size() - (kTree.size() - sectionEnd)), kTree.substr(sectionEnd));
  EXPECT_NE(text.find("\n\"n\"=\"new\"\n\"w\"=\"e\"\n"), std::string::npos) << text;

  // A file cut short under a reader is an error when a lookup reaches what is gone.
  testing::WriteHostFile(path, kTree);
  auto cut = RegFile::Load(path);
  std::filesystem::resize_file(path, kTree.find("[Software]"));
  EXPECT_THROW(cut->FindSubkey(cut->Root(), ToUnits("A")), PrefixError);
  EXPECT_THROW(cut->Serialize(), PrefixError);
}

// The load only looks for where a string ends; it must stop where decoding would.
TEST(RegText, FindingAStringsEndAgreesWithDecodingIt) {
  for (const std::string text :
       {"plain\"", "a\\\"b\"", "a\\\\\"", "a\\\\\\\"b\"", "\\x22\"", "\\042\"x\"",
        "\\", "no end", "\"", "\xd0\xb8\"", "\\x\\\"\""}) {
    std::u16string units;
    EXPECT_EQ(regtext::FindUnescaped(text, '"'), regtext::Unescape(text, '"', units)) << text;
  }
}

TEST(RegFile, FilesThatDoNotParseNameTheFileAndLine) {
  const std::string head = "WINE REGISTRY Version 2\n\n[Key] 1\n";
  struct Case {
    std::string text;
    std::string where;
  } cases[] = {
      {"", "line 1"},
      {"REGEDIT4\n\n[Key]\n", "line 1"},
      {head + "\"a\"=\"1\"\nnot a value\n", "line 5"},
      {head + "\"a\"=\"unterminated\n", "line 4"},
      {head + "\"a\"=dword:123\n", "line 4"},
      {head + "\"a\"=hex:01,zz\n", "line 4"},
      {head + "\"a\"=hex(q):01\n", "line 4"},
      {head + "\"a\"=text\n", "line 4"},
      {head + "\"a\"=hex:01,02,\\\n  03,\\\n  04,0g\n", "line 6"},
      {head + "\"a\"=hex:01,02,\\", "line 4"},  // truncated inside a continued value
      {head + "\"a\"=str(2):\"abc", "line 4"},   // truncated inside a string
      {head + "[Software\\\\Wi", "line 4"},       // truncated inside a key name
      {"WINE REGISTRY Version 2\n\"a\"=\"1\"\n", "line 2"},
      {head + "\"a\"=\"1\"\n" + std::string("#\x01\x00\xff\xfe junk", 9), "line 5"},
      {head + "\"a\"=\"1\"\n\x01\xff\xfe junk", "line 5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      RegFile file(c.text, "/prefix/system.reg");
      ADD_FAILURE() << "parsed";
    } catch (const PrefixError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find("/prefix/system.reg"), std::string::npos) << message;
      EXPECT_NE(message.find(c.where + ":"), std::string::npos) << message;
    }
  }
}

}  // namespace
}  // namespace vlx::prefix
