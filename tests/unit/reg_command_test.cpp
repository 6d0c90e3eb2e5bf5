// volnrx-cli reg as a user or a script runs it: the reg tool's argument forms, output and exit
// codes, and refusals where reg would ask for confirmation.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "path_temp_dir.h"
#include "text/cp1251.h"

namespace vlx {
namespace {

using vlx::testing::ReadHostFile;
using vlx::testing::TempDir;

class RegCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(cli_)) GTEST_SKIP() << "volnrx-cli is not built";
    ASSERT_EQ(std::system(("'" + cli_ + "' init '" + Image() + "' >/dev/null").c_str()), 0);
  }
  std::string Image() const { return (dir_.path() / "image").string(); }

  struct Result {
    int code;
    std::string out, err;
  };
  // Runs `volnrx-cli --prefix IMAGE reg ARGS`; arguments and output are UTF-8 on the way.
  Result Reg(const std::string& args) { return RegIn(Image(), args); }
  Result RegIn(const std::string& image, const std::string& args) {
    const std::string out = (dir_.path() / "out").string(), err = (dir_.path() / "err").string();
    const int status = std::system(("'" + cli_ + "' --prefix '" + image + "' reg " +
                                    Cp1251ToUtf8(args) +
                                    " >'" + out + "' 2>'" + err + "'")
                                       .c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Utf8ToCp1251(ReadHostFile(out)),
            Utf8ToCp1251(ReadHostFile(err))};
  }

  TempDir dir_;
  std::string cli_ = std::string(VLX_BINARY_DIR) + "/volnrx-cli";
};

TEST_F(RegCommand, AddsQueriesAndDeletesWithTheRegToolsOutput) {
  const std::string key = "'HKCU\\Software\\Проба'";
  EXPECT_EQ(Reg("add " + key + " /v Имя /d 'Текст \"в кавычках\"' /f").code, 0);
  EXPECT_EQ(Reg("add " + key + " /v Число /t REG_DWORD /d 0x1F /f").code, 0);
  EXPECT_EQ(Reg("add " + key + " /v Байты /t reg_binary /d 00ff10 /f").code, 0);
  EXPECT_EQ(Reg("add " + key + " /v Список /t REG_MULTI_SZ /d 'а\\0б' /f").code, 0);
  EXPECT_EQ(Reg("add " + key + " /ve /d умолчание /f").code, 0);
  const Result added = Reg("add 'HKCU\\Software\\Проба\\Вложенный' /v x /t REG_EXPAND_SZ /d %P% /f");
  EXPECT_EQ(added.code, 0);
  EXPECT_EQ(added.out, "The operation completed successfully.\n");

  EXPECT_EQ(Reg("query 'hkey_current_user\\software\\проба'").out,
            "\n"
            "HKEY_CURRENT_USER\\software\\проба\n"
            "    (Default)    REG_SZ    умолчание\n"
            "    Байты    REG_BINARY    00FF10\n"
            "    Имя    REG_SZ    Текст \"в кавычках\"\n"
            "    Список    REG_MULTI_SZ    а\\0б\n"
            "    Число    REG_DWORD    0x1f\n"
            "\n"
            "HKEY_CURRENT_USER\\software\\проба\\Вложенный\n");
  EXPECT_EQ(Reg("query " + key + " /v x /s").out,
            "\n"
            "HKEY_CURRENT_USER\\Software\\Проба\\Вложенный\n"
            "    x    REG_EXPAND_SZ    %P%\n"
            "\n"
            "Search complete. Number of matches found: 1\n");
  EXPECT_EQ(Reg("query " + key + " /ve").out,
            "\nHKEY_CURRENT_USER\\Software\\Проба\n    (Default)    REG_SZ    умолчание\n\n");

  EXPECT_EQ(Reg("delete " + key + " /va /f").code, 0);
  EXPECT_EQ(Reg("query " + key).out, "\nHKEY_CURRENT_USER\\Software\\Проба\\Вложенный\n");
  EXPECT_EQ(Reg("delete " + key + " /f").code, 0);  // the whole tree
  const Result gone = Reg("query " + key);
  EXPECT_EQ(gone.code, 1);
  EXPECT_NE(gone.err.find("unable to find"), std::string::npos) << gone.err;
}

// REG_DWORD_BIG_ENDIAN holds the number's bytes most significant first; reg shows the number.
TEST_F(RegCommand, ShowsABigEndianDwordAsItsNumber) {
  const std::string key = "'HKCU\\Software\\Проба'";
  ASSERT_EQ(Reg("add " + key + " /v big /t REG_DWORD_BIG_ENDIAN /d 0x456 /f").code, 0);
  const std::string file = (dir_.path() / "big.reg").string();
  {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\X]\r\n\"one\"=hex(5):00,00,00,01\r\n", out);
    std::fclose(out);
  }
  ASSERT_EQ(Reg("import '" + file + "'").code, 0);
  EXPECT_EQ(Reg("query " + key + " /v big").out,
            "\nHKEY_CURRENT_USER\\Software\\Проба\n    big    REG_DWORD_BIG_ENDIAN    0x456\n\n");
  EXPECT_EQ(Reg("query 'HKCU\\Software\\X' /v one").out,
            "\nHKEY_CURRENT_USER\\Software\\X\n    one    REG_DWORD_BIG_ENDIAN    0x1\n\n");
}

TEST_F(RegCommand, RefusesWhatRegWouldAskAboutAndReportsBadArguments) {
  const std::string key = "'HKLM\\Software\\Проба'";
  ASSERT_EQ(Reg("add " + key + " /v v /d old /f").code, 0);
  struct Case {
    std::string args;
    std::string message;
  } cases[] = {
      {"add " + key + " /v V /d new", "/f"},  // would overwrite
      {"delete " + key + " /v v", "/f"},       // would ask
      {"delete " + key, "/f"},
      {"delete " + key + " /v missing /f", "unable to find"},
      {"query " + key + " /v missing", "unable to find"},
      {"query 'HKLM\\Software\\Нет'", "unable to find"},
      {"query " + key + " /v", "Invalid syntax"},
      {"query " + key + " /v v /ve", "Invalid syntax"},
      {"query " + key + " /d x", "Invalid syntax"},
      {"frob " + key, "Invalid syntax"},
      {"query 'HKXX\\Software'", "Invalid key name"},
      {"add " + key + " /v n /t REG_DWORD /d 4294967296 /f", "/d"},
      {"add " + key + " /v n /t REG_DWORD /d -1 /f", "/d"},
      {"add " + key + " /v n /t REG_BINARY /d 0g /f", "/d"},
      {"add " + key + " /v n /t REG_FOO /d 1 /f", "REG_FOO"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const Result result = Reg(c.args);
    // A command line reg cannot take is a usage error (2); a refusal or failure ends with 1.
    const bool usage = c.message == "Invalid syntax" || c.message == "Invalid key name";
    EXPECT_EQ(result.code, usage ? 2 : 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  EXPECT_EQ(Reg("query " + key + " /v v").out,
            "\nHKEY_LOCAL_MACHINE\\Software\\Проба\n    v    REG_SZ    old\n\n");
}

TEST_F(RegCommand, ExportsATreeThatAFreshImageImportsEqual) {
  const std::string key = "'HKCU\\Software\\Проба'";
  Reg("add " + key + " /v Имя /d 'Текст \"в кавычках\" \\путь' /f");
  Reg("add " + key + " /v Длинное /t REG_BINARY /d " + std::string(300, 'a') + " /f");
  Reg("add " + key + "'\\Вложенный' /v Список /t REG_MULTI_SZ /d 'а\\0б' /f");
  Reg("add " + key + "'\\Вложенный\\Пустой' /ve /d '' /f");
  const std::string file = (dir_.path() / "out.reg").string();
  EXPECT_EQ(Reg("export " + key + " '" + file + "'").code, 0);
  const std::string bytes = ReadHostFile(file);
  EXPECT_EQ(bytes.rfind("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\", 0), 0u) << bytes;

  const std::string fresh = (dir_.path() / "fresh").string();
  ASSERT_EQ(std::system(("'" + cli_ + "' init '" + fresh + "' >/dev/null").c_str()), 0);
  EXPECT_EQ(RegIn(fresh, "import '" + file + "'").code, 0);
  const Result before = Reg("query " + key + " /s"), after = RegIn(fresh, "query " + key + " /s");
  EXPECT_NE(before.out.find("Пустой"), std::string::npos);
  EXPECT_EQ(before.out, after.out);

  // An existing file needs /y; a file with a bad line changes nothing.
  EXPECT_NE(Reg("export " + key + " '" + file + "'").err.find("/y"), std::string::npos);
  EXPECT_EQ(Reg("export " + key + " '" + file + "' /y").code, 0);
  const std::string bad = (dir_.path() / "bad.reg").string();
  vlx::testing::WriteHostFile(bad, "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\Проба]\r\n"
                                   "[HKEY_CURRENT_USER\\X]\r\n\"a\"=hex:zz\r\n");
  const Result refused = Reg("import '" + bad + "'");
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("line 4"), std::string::npos) << refused.err;
  EXPECT_EQ(Reg("query " + key + " /s").out, before.out);
}

}  // namespace
}  // namespace vlx
