#include "prefix/profile_engine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "path_temp_dir.h"
#include "prefix/prefix_files.h"
#include "prefix/prefix_profile.h"
#include "profile_transcript.h"
#include "unit/win98_folders.h"

namespace vlx::prefix {
namespace {

namespace fs = std::filesystem;
using vlx::testing::ReadHostFile;
using vlx::testing::TempDir;
using vlx::testing::WriteHostFile;

// A machine image with the profile port over it.
struct Image {
  Image() { fs::create_directories(dir.path() / "drive_c" / "WINDOWS"); }
  fs::path Host(const std::string& relative) const { return dir.path() / "drive_c" / relative; }
  std::string Get(const char* section, const char* key, const char* def, std::uint32_t size,
                  const std::string& file, std::uint32_t* ret = nullptr) {
    std::string out;
    const auto r = profile.GetString(section, key, def, out, size, file);
    if (ret) *ret = r;
    return out;
  }

  TempDir dir;
  PathMapper paths{dir.path()};
  PrefixFiles files{paths};
  vlx::testing::Win98Folders system;
  PrefixProfile profile{paths, files, system};
};

class ImageTarget : public vlx::testing::ProfileTarget {
 public:
  explicit ImageTarget(Image& image) : image_(image) {}
  std::string FileFor(const std::string& caseName) override {
    fs::create_directories(image_.Host("p"));
    return "C:\\p\\" + caseName + ".ini";
  }
  void PutFile(const std::string& file, const std::string& bytes) override {
    WriteHostFile(*image_.paths.ToHost(file), bytes);
  }
  std::optional<std::string> ReadFile(const std::string& file) override {
    const auto host = image_.paths.ToHost(file);
    if (!host || !fs::exists(*host)) return std::nullopt;
    return ReadHostFile(*host);
  }
  std::uint32_t Get(const char* section, const char* key, const char* def, std::uint32_t size,
                    const std::string& file, std::string& out) override {
    return image_.profile.GetString(section, key, def, out, size, file);
  }
  bool Write(const char* section, const char* key, const char* value,
             const std::string& file) override {
    return image_.profile.WriteString(section, key, value, file.c_str());
  }

 private:
  Image& image_;
};

// The file as Wine writes it back: every line trimmed, blank lines and "[]" dropped, CR LF.
std::string AsWineSavesIt(const std::string& dumpLine) {
  const auto tokens = vlx::testing::Tokenize(dumpLine.substr(3));
  if (tokens.empty() || tokens[0].text == "missing") return dumpLine;
  std::string out, line;
  auto trim = [](std::string s) {
    const char* blanks = " \t\r\n\v\f\x1A";
    s.erase(0, s.find_first_not_of(blanks));
    s.erase(s.find_last_not_of(blanks) + 1);
    return s;
  };
  std::string text = tokens[0].text;
  for (char& c : text)
    if (c == '\r') c = '\n';
  std::istringstream lines(text);
  while (std::getline(lines, line)) {
    line = trim(line);
    if (line.empty()) continue;
    const auto close = line.rfind(']');
    if (line[0] == '[' && close != std::string::npos && close > 0) {
      const std::string name = trim(line.substr(1, close - 1));
      if (!name.empty()) out += "[" + name + "]\r\n";
      continue;
    }
    const auto equals = line.find('=');
    out += equals == std::string::npos
               ? line
               : trim(line.substr(0, equals)) + "=" + trim(line.substr(equals + 1));
    out += "\r\n";
  }
  return out;
}

// Every call of the recorded Wine transcript gives Wine's result. Wine rewrites the whole file
// in its own layout on each change, where we keep untouched lines as they are: file contents
// are compared in Wine's layout (the exact bytes are checked below).
TEST(ProfileEngine, ReproducesTheWineTranscript) {
  std::ifstream in(std::string(VLX_SOURCE_DIR) + "/tests/unit/profile_cases.txt",
                   std::ios::binary);
  ASSERT_TRUE(in);
  std::stringstream recorded;
  recorded << in.rdbuf();
  Image image;
  ImageTarget target(image);
  std::istringstream ours(vlx::testing::RunTranscript(target, recorded.str()));
  std::istringstream wine(recorded.str());
  std::string ourLine, wineLine, command, caseName;
  while (std::getline(wine, wineLine)) {
    ASSERT_TRUE(std::getline(ours, ourLine)) << "transcript ends early at " << wineLine;
    if (wineLine.rfind("case ", 0) == 0) caseName = wineLine;
    if (wineLine.rfind("=> ", 0) == 0 && command == "dump")
      EXPECT_EQ(AsWineSavesIt(ourLine), AsWineSavesIt(wineLine))
          << caseName << "\n ours: " << ourLine << "\n wine: " << wineLine;
    else
      EXPECT_EQ(ourLine, wineLine) << caseName << " after " << command;
    if (wineLine.rfind("=>", 0) != 0) command = wineLine;
  }
}

TEST(ProfileEngine, KeepsUntouchedLinesByteForByte) {
  const std::string original =
      "; header\r\n[Sec]\r\n  Key1 =  one  \r\n; inner\r\nkey2=two\r\n\r\n[Other]\r\n\tx = 1\n";
  struct Case {
    const char* section;
    const char* key;
    const char* value;
    std::string expected;
  } cases[] = {
      {"sec", "KEY1", "changed",
       "; header\r\n[Sec]\r\nKey1=changed\r\n; inner\r\nkey2=two\r\n\r\n[Other]\r\n\tx = 1\n"},
      {"Sec", "key3", "  new",
       "; header\r\n[Sec]\r\n  Key1 =  one  \r\n; inner\r\nkey2=two\r\nkey3=new\r\n\r\n[Other]\r\n\tx = 1\n"},
      {"sec", "key2", nullptr,
       "; header\r\n[Sec]\r\n  Key1 =  one  \r\n; inner\r\n\r\n[Other]\r\n\tx = 1\n"},
      {"sec", nullptr, nullptr, "; header\r\n[Other]\r\n\tx = 1\n"},
      {"New", "k", "v", original + "[New]\r\nk=v\r\n"},
      {"other", "x", "1", original},  // same value: nothing written
      {"other", "none", nullptr, original},
  };
  for (const auto& c : cases) {
    Image image;
    WriteHostFile(image.Host("WINDOWS/test.ini"), original);
    EXPECT_TRUE(image.profile.WriteString(c.section, c.key, c.value, "C:\\WINDOWS\\TEST.INI"));
    EXPECT_EQ(ReadHostFile(image.Host("WINDOWS/test.ini")), c.expected)
        << c.section << " " << (c.key ? c.key : "-");
  }
}

TEST(ProfileEngine, AppendsAfterALastLineWithoutLineEnd) {
  ProfileText text("[a]\rx=1");  // CR-only lines, no final line end
  ASSERT_TRUE(text.SetValue("a", "y", "2"));
  EXPECT_EQ(text.Bytes(), "[a]\rx=1\r\ny=2\r\n");
  ASSERT_TRUE(text.SetValue("b", "z", "3"));
  EXPECT_EQ(text.Bytes(), "[a]\rx=1\r\ny=2\r\n[b]\r\nz=3\r\n");
}

// A one-character buffer holds no key name: the list comes back empty (Wine writes before the
// buffer and returns a wrapped length here).
TEST(ProfileEngine, KeyListInAOneCharacterBufferIsEmpty) {
  ProfileText text("[a]\r\nx=1\r\n");
  std::string out;
  EXPECT_EQ(text.GetString("a", nullptr, "", 1, out), 0u);
  EXPECT_EQ(out, "");
  EXPECT_EQ(text.GetString("a", nullptr, "", 2, out), 0u);
}

// Windows compares names by the ANSI code page, so Cyrillic letters match in either case
// (Wine 8 folds ASCII letters only).
TEST(ProfileEngine, NamesMatchCyrillicWithoutRegardToCase) {
  ProfileText text("[Раздел]\r\nКлюч=Значение\r\n");
  std::string out;
  EXPECT_EQ(text.GetString("рАЗДЕЛ", "кЛЮЧ", "", 64, out), 8u);
  EXPECT_EQ(out, "Значение");
  ASSERT_TRUE(text.SetValue("РАЗДЕЛ", "КЛЮЧ", "ё"));
  EXPECT_EQ(text.Bytes(), "[Раздел]\r\nКлюч=ё\r\n");
}

TEST(ProfileEngine, FilesPathsAndFailures) {
  Image image;
  // A name without a path is a file of the Windows folder.
  ASSERT_TRUE(image.profile.WriteString("386Enh", "MessageBackColor", "1", "system.ini"));
  EXPECT_EQ(ReadHostFile(image.Host("WINDOWS/system.ini")), "[386Enh]\r\nMessageBackColor=1\r\n");
  EXPECT_EQ(image.Get("386ENH", "messagebackcolor", "", 16, "C:\\windows\\SYSTEM.INI"), "1");

  // The flush call has nothing to do and reports false, as documented; so does a null section.
  EXPECT_FALSE(image.profile.WriteString(nullptr, nullptr, nullptr, "system.ini"));
  EXPECT_FALSE(image.profile.WriteString(nullptr, "k", "v", "system.ini"));
  // Missing folder, a path outside the image, a read-only file: failure, nothing written.
  EXPECT_FALSE(image.profile.WriteString("s", "k", "v", "C:\\NoDir\\x.ini"));
  EXPECT_FALSE(image.profile.WriteString("s", "k", "v", "C:\\..\\x.ini"));
  EXPECT_EQ(image.Get("s", "k", "def", 16, "C:\\..\\system.reg"), "def");
  ASSERT_TRUE(image.files.SetAttributes("C:\\WINDOWS\\system.ini", fileattr::ReadOnly));
  EXPECT_FALSE(image.profile.WriteString("386Enh", "MessageBackColor", "2", "system.ini"));
  EXPECT_EQ(image.Get("386Enh", "MessageBackColor", "", 16, "system.ini"), "1");

  // A 1500-character value comes back as its first 1023 characters in a 1024-byte buffer.
  ASSERT_TRUE(image.files.SetAttributes("C:\\WINDOWS\\system.ini", 0));
  const std::string longValue(1500, 'v');
  ASSERT_TRUE(image.profile.WriteString("386Enh", "Long", longValue.c_str(), "system.ini"));
  std::uint32_t ret = 0;
  EXPECT_EQ(image.Get("386Enh", "Long", "", 1024, "system.ini", &ret), longValue.substr(0, 1023));
  EXPECT_EQ(ret, 1023u);
}

}  // namespace
}  // namespace vlx::prefix
