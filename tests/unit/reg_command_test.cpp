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
      {"add " + key + " /v n /d x /f /f", "Invalid syntax"},  // a switch given twice
      {"query " + key + " /s /s", "Invalid syntax"},
      {"delete " + key + " /va /va /f", "Invalid syntax"},
      {"query 'HKLM\\Software\\Проба\\\\'", "Invalid key name"},  // ends in two backslashes
      {"add 'HKLM\\Software\\Проба\\\\' /v n /d x /f", "Invalid key name"},
      {"query " + key + " /reg:32 /reg:64", "Invalid syntax"},
      {"query " + key + " /reg:64 /reg:64", "Invalid syntax"},
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

TEST_F(RegCommand, QueryOfAMissingDefaultValueShowsItNotSet) {
  ASSERT_EQ(Reg("add 'HKCU\\Software\\Пусто' /v x /d y /f").code, 0);
  const Result result = Reg("query 'HKCU\\Software\\Пусто' /ve");
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(result.out,
            "\nHKEY_CURRENT_USER\\Software\\Пусто\n    (Default)    REG_SZ    (value not set)\n\n");
}

// What reg add stores for each data form, seen through reg query and reg export.
TEST_F(RegCommand, AddStoresEachDataFormAsRegDoes) {
  const std::string key = "'HKCU\\Software\\Данные'";
  struct Case {
    std::string args;   // after "add KEY /v n"
    std::string shown;  // reg query's data column; empty: refused
    std::string exported;
  } cases[] = {
      {"/t REG_DWORD_BIG_ENDIAN /d 0x456", "0x456", "hex(5):00,00,04,56"},
      {"/t REG_DWORD_BIG_ENDIAN /d 1", "0x1", "hex(5):00,00,00,01"},
      {"/t REG_DWORD", "0x0", "dword:00000000"},
      {"/t REG_QWORD", "0x0", "hex(b):00,00,00,00,00,00,00,00"},
      {"/t REG_QWORD /d -1", "0xffffffffffffffff", "hex(b):ff,ff,ff,ff,ff,ff,ff,ff"},
      {"/t REG_QWORD /d -0x10", "0xfffffffffffffff0", "hex(b):f0,ff,ff,ff,ff,ff,ff,ff"},
      {"/t REG_MULTI_SZ /s '#' /d '#'", "", "hex(7):00,00"},
      {"/t REG_MULTI_SZ /d '\\0'", "", "hex(7):00,00"},
      {"/t REG_MULTI_SZ /s '#' /d 'a#'", "a", "hex(7):61,00,00"},
      {"/t REG_MULTI_SZ /d 'a\\0b\\0'", "a\\0b", "hex(7):61,00,62,00,00"},
      {"/t REG_MULTI_SZ /s '#' /d 'a\\0b'", "a\\0b", "hex(7):61,5c,30,62,00,00"},
      {"/t REG_DWORD /d -1", "-", ""},
      {"/t REG_MULTI_SZ /s '##' /d 'a##b'", "-", ""},
      {"/t REG_MULTI_SZ /s '' /d 'a'", "-", ""},
      {"/t REG_MULTI_SZ /s '#' /d '##'", "-", ""},
      {"/t REG_MULTI_SZ /s '#' /d '#a'", "-", ""},
      {"/t REG_MULTI_SZ /d '\\0a'", "-", ""},
  };
  const std::string file = (dir_.path() / "n.reg").string();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    Reg("delete " + key + " /f");
    const Result added = Reg("add " + key + " /v n " + c.args + " /f");
    if (c.shown == "-") {
      EXPECT_EQ(added.code, 1);
      EXPECT_EQ(Reg("query " + key + " /v n").code, 1);
      continue;
    }
    ASSERT_EQ(added.code, 0) << added.err;
    const Result shown = Reg("query " + key + " /v n");
    const std::size_t column = shown.out.find("    ", shown.out.find("    n    ") + 9);
    ASSERT_NE(column, std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.substr(column + 4), c.shown + "\n\n");
    ASSERT_EQ(Reg("export " + key + " '" + file + "' /y").code, 0);
    EXPECT_NE(ReadHostFile(file).find("\"n\"=" + c.exported + "\r\n"), std::string::npos)
        << ReadHostFile(file);
  }
}

TEST_F(RegCommand, CopiesValuesOrTheWholeTree) {
  const std::string from = "'HKCU\\Software\\Откуда'";
  Reg("add " + from + " /v Имя /d текст /f");
  Reg("add " + from + " /ve /d умолчание /f");
  Reg("add " + from + "'\\Вложенный' /v n /t REG_DWORD /d 7 /f");
  const std::string copied = "\nHKEY_CURRENT_USER\\Software\\Куда\n"
                             "    (Default)    REG_SZ    умолчание\n"
                             "    Имя    REG_SZ    текст\n\n";
  const std::string subkey = "HKEY_CURRENT_USER\\Software\\Куда\\Вложенный\n"
                             "    n    REG_DWORD    0x7\n\n";
  struct Case {
    std::string args;       // after "copy FROM"
    int code;
    std::string queried;    // reg query /s of the destination afterwards; "-": no such key
    std::string message;
  } cases[] = {
      {"'HKCU\\Software\\Куда'", 0, copied, ""},
      {"'HKCU\\Software\\Куда\\' /s /f", 0, copied + subkey, ""},
      {"'HKCU\\Software\\Куда' /s", 1, copied + subkey, "/f"},  // would replace values
      {"'HKCU\\Software\\Откуда'", 1, "-", "same"},
      {"'HKCU\\Software\\откуда\\' /f", 1, "-", "same"},
      {"'HKCU\\'", 2, "-", "Invalid key name"},
      {"'HKCU\\Software\\Куда' /a", 2, "-", "Invalid syntax"},
      {"'HKCU\\Software\\Куда' /f /f", 2, "-", "Invalid syntax"},
      {"", 2, "-", "Invalid syntax"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    if (c.queried == "-") Reg("delete 'HKCU\\Software\\Куда' /f");
    if (&c == &cases[0]) Reg("delete 'HKCU\\Software\\Куда' /f");
    const Result result = Reg("copy " + from + " " + c.args);
    EXPECT_EQ(result.code, c.code) << result.err;
    if (!c.message.empty()) {
      EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    const Result after = Reg("query 'HKCU\\Software\\Куда' /s");
    EXPECT_EQ(after.code, c.queried == "-" ? 1 : 0);
    if (c.queried != "-") {
      EXPECT_EQ(after.out, c.queried);
    }
  }
  const Result missing = Reg("copy 'HKCU\\Software\\Нет' 'HKCU\\Software\\Куда2'");
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("unable to find"), std::string::npos) << missing.err;
}

// An image's registry has one view: /reg:32 and /reg:64 are taken, said once to change nothing.
TEST_F(RegCommand, TakesTheRegistryViewSwitches) {
  for (const std::string view : {"/reg:32", "/REG:64"}) {
    SCOPED_TRACE(view);
    EXPECT_EQ(Reg("add 'HKLM\\Software\\Вид' /v v /d x /f " + view).code, 0);
    const Result result = Reg("query 'HKLM\\Software\\Вид' " + view + " /v v");
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "\nHKEY_LOCAL_MACHINE\\Software\\Вид\n    v    REG_SZ    x\n\n");
    EXPECT_NE(result.err.find("one view"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("one view"), result.err.rfind("one view"));
  }
}

// On a 9x drive values list in the order they were made, as the 9x registry keeps them.
TEST_F(RegCommand, KeepsTheValueOrderOfA9xHive) {
  const std::string drive = (dir_.path() / "drive").string();
  ASSERT_EQ(std::system(("'" + cli_ + "' init --win9x '" + drive + "' >/dev/null").c_str()), 0);
  auto reg9x = [&](const std::string& args) {
    const std::string out = (dir_.path() / "out9x").string();
    std::system(("'" + cli_ + "' --win9x '" + drive + "' reg " + Cp1251ToUtf8(args) + " >'" +
                 out + "' 2>/dev/null")
                    .c_str());
    return Utf8ToCp1251(ReadHostFile(out));
  };
  for (const char* name : {"zeta", "Альфа", "beta", "alpha"})
    reg9x(std::string("add 'HKCU\\Software\\Порядок' /v ") + name + " /d x /f");
  EXPECT_EQ(reg9x("query 'HKCU\\Software\\Порядок'"),
            "\nHKEY_CURRENT_USER\\Software\\Порядок\n"
            "    zeta    REG_SZ    x\n    Альфа    REG_SZ    x\n"
            "    beta    REG_SZ    x\n    alpha    REG_SZ    x\n\n");
  const std::string file = (dir_.path() / "order.reg").string();
  reg9x("export 'HKCU\\Software\\Порядок' '" + file + "'");
  EXPECT_NE(ReadHostFile(file).find("\"zeta\"=\"x\"\r\n\"\xC0\xEB\xFC\xF4\xE0\"=\"x\"\r\n"
                                    "\"beta\"=\"x\"\r\n\"alpha\"=\"x\"\r\n"),
            std::string::npos)
      << ReadHostFile(file);
}

}  // namespace
}  // namespace vlx
