// ProfileFile against real INI handling: the same assertions hold under Wine and on the machine
// image. The edge files are written byte for byte, then read through the profile functions.
#include <vector>

#include "conformance/conformance_test.h"
#include "store/profile_file.h"

namespace vlx::conformance {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ProfileConformance : public ConformanceTest {
 protected:
  // A ProfileFile on a scratch file holding exactly `bytes` (no file when `bytes` is null).
  ProfileFile FileWith(const char* name, const std::string* bytes = nullptr) {
    const std::string path = machine_->ScratchFile(name);
    if (bytes != nullptr) machine_->WriteFileBytes(path, *bytes);
    return ProfileFile(*platform_.profile, path);
  }
  ProfileFile FileWith(const char* name, const std::string& bytes) { return FileWith(name, &bytes); }

  std::string BytesOf(ProfileFile& file) {
    file.FlushProfiles();
    return machine_->ReadFileBytes(file.Path());
  }

  std::vector<std::string> Keys(ProfileFile& file, const std::string& section) {
    std::vector<std::string> keys{"stale"};
    file.ListProfileKeys(section, keys);
    return keys;
  }
};

TEST_F(ProfileConformance, WriteCreatesFileSectionAndKey) {
  ProfileFile file = FileWith("new.ini");
  file.WriteProfileText("386Enh", "MessageBackColor", "1");
  file.WriteProfileText("386Enh", "MessageTextColor", "Ж");
  EXPECT_EQ(file.ReadProfileText("386Enh", "MessageBackColor", "d"), "1");
  EXPECT_EQ(file.ReadProfileText("386enh", "messagetextcolor", "d"), "Ж");
  EXPECT_EQ(BytesOf(file), "[386Enh]\r\nMessageBackColor=1\r\nMessageTextColor=Ж\r\n");
}

TEST_F(ProfileConformance, ReadFallsBackToTheDefaultOnlyWhenAbsent) {
  ProfileFile missing = FileWith("missing.ini");
  EXPECT_EQ(missing.ReadProfileText("S", "K", "default"), "default");
  ProfileFile file = FileWith("present.ini", "[S]\r\nK=value\r\nEmpty=\r\n");
  EXPECT_EQ(file.ReadProfileText("S", "K", "default"), "value");
  EXPECT_EQ(file.ReadProfileText("S", "Empty", "default"), "");
  EXPECT_EQ(file.ReadProfileText("S", "Other", "default"), "default");
  EXPECT_EQ(file.ReadProfileText("T", "K", "default"), "default");
  EXPECT_FALSE(machine_->ReadFileBytes(missing.Path()).size());
}

TEST_F(ProfileConformance, LongValueReadsBackCutTo1023Characters) {
  ProfileFile file = FileWith("long.ini");
  std::string value;
  for (int i = 0; i < 1500; ++i) value += static_cast<char>('a' + i % 26);
  file.WriteProfileText("S", "Long", value);
  EXPECT_EQ(file.ReadProfileText("S", "Long", ""), value.substr(0, 1023));
  EXPECT_NE(BytesOf(file).find(value), std::string::npos);  // stored whole
}

TEST_F(ProfileConformance, ReadProfileNumberTable) {
  ProfileFile file = FileWith("numbers.ini",
                              "[N]\r\nHex=0x1F\r\nDollar=$1F\r\nDec=12\r\nBareX=0x\r\nWord=abc\r\n"
                              "Empty=\r\nNeg=-5\r\nSpaced=  42  \r\nUpper=0X1f\r\n");
  struct Case {
    const char* key;
    std::int32_t expected;
  } cases[] = {{"Hex", 31},   {"Dollar", 31}, {"Dec", 12},   {"BareX", -1}, {"Word", -1},
               {"Empty", -1}, {"Neg", -5},    {"Spaced", 42}, {"Upper", 31}, {"Absent", -1}};
  for (const auto& c : cases) EXPECT_EQ(file.ReadProfileNumber("N", c.key, -1), c.expected) << c.key;
}

TEST_F(ProfileConformance, WriteProfileNumberWritesDecimalText) {
  ProfileFile file = FileWith("number.ini");
  file.WriteProfileNumber("N", "Value", -17);
  file.WriteProfileNumber("N", "Big", 2147483647);
  EXPECT_EQ(file.ReadProfileText("N", "Value", ""), "-17");
  EXPECT_EQ(file.ReadProfileNumber("N", "Big", 0), 2147483647);
}

TEST_F(ProfileConformance, WriteIntoAMissingFolderRaisesUnableToWrite) {
  const std::string path = machine_->ScratchFile("no such folder\\x.ini");
  ProfileFile file(*platform_.profile, path);
  EXPECT_STORE_ERROR(file.WriteProfileText("S", "K", "v"), "Unable to write to " + path);
  EXPECT_STORE_ERROR(file.WriteProfileNumber("S", "K", 1), "Unable to write to " + path);
  file.RemoveProfileKey("S", "K");  // never raises
}

TEST_F(ProfileConformance, RemoveProfileKeyDeletesOnlyThatKey) {
  ProfileFile file = FileWith("remove.ini", "[S]\r\nA=1\r\nB=2\r\nC=3\r\n[T]\r\nB=4\r\n");
  file.RemoveProfileKey("s", "b");
  file.RemoveProfileKey("S", "Absent");
  file.RemoveProfileKey("Absent", "B");
  EXPECT_EQ(file.ReadProfileText("S", "B", "gone"), "gone");
  EXPECT_EQ(file.ReadProfileText("T", "B", ""), "4");
  EXPECT_EQ(BytesOf(file), "[S]\r\nA=1\r\nC=3\r\n[T]\r\nB=4\r\n");
}

TEST_F(ProfileConformance, RemoveProfileKeyOnAMissingFileLeavesNoFile) {
  ProfileFile file = FileWith("never.ini");
  file.RemoveProfileKey("S", "K");
  file.FlushProfiles();
  EXPECT_FALSE(platform_.files->Exists(file.Path()));
}

TEST_F(ProfileConformance, KeyListingInFileOrder) {
  ProfileFile file = FileWith("desktop.ini",
                              "[.ShellClassInfo]\r\nIconFile=x.ico\r\nIconIndex=0\r\nInfoTip=Подсказка\r\n"
                              "Ключ=1\r\n[Other]\r\nZ=1\r\n");
  EXPECT_THAT(Keys(file, ".ShellClassInfo"),
              ElementsAre("IconFile", "IconIndex", "InfoTip", "Ключ"));
  EXPECT_THAT(Keys(file, ".shellclassinfo"),
              ElementsAre("IconFile", "IconIndex", "InfoTip", "Ключ"));
  EXPECT_THAT(Keys(file, "Missing"), IsEmpty());
  EXPECT_TRUE(file.HasProfileSection(".ShellClassInfo"));
  EXPECT_FALSE(file.HasProfileSection("Missing"));
  EXPECT_TRUE(file.HasProfileKey(".ShellClassInfo", "ICONINDEX"));
  EXPECT_TRUE(file.HasProfileKey(".ShellClassInfo", "infotip"));
  EXPECT_TRUE(file.HasProfileKey(".ShellClassInfo", "кЛЮЧ"));
  EXPECT_FALSE(file.HasProfileKey(".ShellClassInfo", "Z"));
  ProfileFile none = FileWith("none.ini");
  EXPECT_THAT(Keys(none, "S"), IsEmpty());
  EXPECT_FALSE(none.HasProfileSection("S"));
}

TEST_F(ProfileConformance, KeysAddedLaterAreListedAfterTheExistingOnes) {
  ProfileFile file = FileWith("append.ini", "[S]\r\nB=1\r\n");
  file.WriteProfileText("S", "A", "2");
  file.WriteProfileText("S", "b", "3");  // replaces B in place
  EXPECT_THAT(Keys(file, "S"), ElementsAre("B", "A"));
  EXPECT_EQ(file.ReadProfileText("S", "B", ""), "3");
}

TEST_F(ProfileConformance, NoFinalNewline) {
  ProfileFile file = FileWith("nonewline.ini", "[S]\r\nA=1\r\nB=last");
  EXPECT_EQ(file.ReadProfileText("S", "B", ""), "last");
  file.WriteProfileText("S", "C", "new");
  EXPECT_EQ(file.ReadProfileText("S", "B", ""), "last");
  EXPECT_EQ(file.ReadProfileText("S", "C", ""), "new");
  EXPECT_THAT(Keys(file, "S"), ElementsAre("A", "B", "C"));
}

TEST_F(ProfileConformance, CrOnlyLineEnds) {
  ProfileFile file = FileWith("cr.ini", "[S]\rA=1\rB=2\r[T]\rC=3\r");
  EXPECT_EQ(file.ReadProfileText("S", "A", "d"), "1");
  EXPECT_EQ(file.ReadProfileText("S", "B", "d"), "2");
  EXPECT_EQ(file.ReadProfileText("T", "C", "d"), "3");
  EXPECT_THAT(Keys(file, "S"), ElementsAre("A", "B"));
  // Writing into such a file keeps every key readable.
  file.WriteProfileText("S", "New", "4");
  file.WriteProfileText("T", "C", "5");
  EXPECT_EQ(file.ReadProfileText("S", "B", "d"), "2");
  EXPECT_EQ(file.ReadProfileText("S", "New", "d"), "4");
  EXPECT_EQ(file.ReadProfileText("T", "C", "d"), "5");
  EXPECT_THAT(Keys(file, "S"), ElementsAre("A", "B", "New"));
}

TEST_F(ProfileConformance, LfOnlyLineEnds) {
  ProfileFile file = FileWith("lf.ini", "[S]\nA=1\nB=2\n");
  EXPECT_EQ(file.ReadProfileText("S", "B", "d"), "2");
  EXPECT_THAT(Keys(file, "S"), ElementsAre("A", "B"));
}

TEST_F(ProfileConformance, VeryLongLines) {
  const std::string longValue(5000, 'v');
  const std::string longKey(300, 'k');
  ProfileFile file = FileWith("longlines.ini", "[S]\r\nLong=" + longValue + "\r\n" + longKey +
                                                   "=key\r\nAfter=ok\r\n");
  EXPECT_EQ(file.ReadProfileText("S", "Long", ""), longValue.substr(0, 1023));
  EXPECT_EQ(file.ReadProfileText("S", longKey, ""), "key");
  EXPECT_EQ(file.ReadProfileText("S", "After", ""), "ok");
  file.WriteProfileText("S", "After", "changed");
  EXPECT_EQ(file.ReadProfileText("S", longKey, ""), "key");
  EXPECT_NE(BytesOf(file).find("Long=" + longValue + "\r\n"), std::string::npos);
}

TEST_F(ProfileConformance, DuplicateSectionsAndKeys) {
  ProfileFile file = FileWith("dups.ini",
                              "[S]\r\nA=first\r\nA=second\r\nB=1\r\n[T]\r\nX=0\r\n[s]\r\nA=third\r\nC=2\r\n");
  EXPECT_EQ(file.ReadProfileText("S", "A", ""), "first");
  EXPECT_EQ(file.ReadProfileText("S", "B", ""), "1");
  EXPECT_EQ(file.ReadProfileText("S", "C", "d"), "d");
  EXPECT_THAT(Keys(file, "S"), ElementsAre("A", "A", "B"));
  // Writes go to the first of the duplicates.
  file.WriteProfileText("S", "A", "changed");
  file.WriteProfileText("S", "C", "new");
  EXPECT_EQ(file.ReadProfileText("S", "A", ""), "changed");
  EXPECT_EQ(file.ReadProfileText("S", "C", ""), "new");
  EXPECT_THAT(Keys(file, "S"), ElementsAre("A", "A", "B", "C"));
  EXPECT_EQ(file.ReadProfileText("T", "X", ""), "0");
}

TEST_F(ProfileConformance, QuotesBlanksAndOddLines) {
  ProfileFile file = FileWith("odd.ini",
                              "; comment\r\n\r\n  [ Spaced ]  \r\n  Key  =  value with  spaces  \r\n"
                              "Quoted=\"in quotes\"\r\nHalf=\"open\r\nInner=a \"b\" c\r\n"
                              "Single='x'\r\nBlankQuoted=\" padded \"\r\nNoEquals\r\n\r\n"
                              "=nokey\r\nEq=a=b\r\n");
  EXPECT_EQ(file.ReadProfileText("Spaced", "Key", ""), "value with  spaces");
  EXPECT_EQ(file.ReadProfileText("Spaced", "Quoted", ""), "in quotes");
  EXPECT_EQ(file.ReadProfileText("Spaced", "Half", ""), "\"open");
  EXPECT_EQ(file.ReadProfileText("Spaced", "Inner", ""), "a \"b\" c");
  EXPECT_EQ(file.ReadProfileText("Spaced", "Single", ""), "x");
  EXPECT_EQ(file.ReadProfileText("Spaced", "BlankQuoted", ""), " padded ");
  EXPECT_EQ(file.ReadProfileText("Spaced", "Eq", ""), "a=b");
  // A line without "=" is no key: neither read nor listed.
  EXPECT_EQ(file.ReadProfileText("Spaced", "NoEquals", "d"), "d");
  // "=nokey" is a key with an empty name. It is listed as an empty name, which ends the
  // listing for ListProfileKeys.
  EXPECT_EQ(file.ReadProfileText("Spaced", "", "d"), "nokey");
  std::string raw;
  platform_.profile->GetString("Spaced", nullptr, "", raw, 16384, file.Path());
  EXPECT_EQ(raw, std::string("Key\0Quoted\0Half\0Inner\0Single\0BlankQuoted\0\0Eq\0", 45));
  EXPECT_THAT(Keys(file, "Spaced"),
              ElementsAre("Key", "Quoted", "Half", "Inner", "Single", "BlankQuoted"));
}

TEST_F(ProfileConformance, WritingKeepsOtherSectionsAndComments) {
  // Blank lines are not compared: Windows keeps them where Wine drops them.
  ProfileFile file = FileWith("keep.ini", "; first line\r\n[A]\r\nX=1\r\n;note\r\n[B]\r\nY=2\r\nZ=4\r\n");
  file.WriteProfileText("B", "Y", "3");
  EXPECT_EQ(BytesOf(file), "; first line\r\n[A]\r\nX=1\r\n;note\r\n[B]\r\nY=3\r\nZ=4\r\n");
}

TEST_F(ProfileConformance, PortReturnsWhatTheApiReturns) {
  ProfileFile file = FileWith("port.ini", "[One]\r\nKey=abcdef\r\nK2=x\r\n[Two]\r\n[Three]\r\nA=1\r\n");
  Profile& profile = *platform_.profile;
  std::string out;
  EXPECT_EQ(profile.GetString("One", "Key", "", out, 1024, file.Path()), 6u);
  EXPECT_EQ(out, "abcdef");
  EXPECT_EQ(profile.GetString("One", "Key", "", out, 4, file.Path()), 3u);  // cut to size - 1
  EXPECT_EQ(out, "abc");
  // The default loses its trailing blanks.
  EXPECT_EQ(profile.GetString("One", "Absent", "dflt  ", out, 1024, file.Path()), 4u);
  EXPECT_EQ(out, "dflt");
  EXPECT_EQ(profile.GetString("One", nullptr, "", out, 1024, file.Path()), 7u);
  EXPECT_EQ(out, std::string("Key\0K2\0", 7));
  EXPECT_EQ(profile.GetString(nullptr, nullptr, "", out, 1024, file.Path()), 14u);
  EXPECT_EQ(out, std::string("One\0Two\0Three\0", 14));
  EXPECT_EQ(profile.GetString("Two", nullptr, "", out, 1024, file.Path()), 0u);
  EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace vlx::conformance
