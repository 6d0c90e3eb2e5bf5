#include <gtest/gtest.h>

#include <filesystem>

#include "cli/script.h"
#include "prefix/prefix_desktop.h"
#include "prefix/prefix_dialogs.h"

namespace vlx {
namespace {

using cli::ParseArguments;
using cli::ParseScript;
using cli::ScriptError;

TEST(CliScript, LinesCommentsAndTextArguments) {
  const auto commands = ParseScript(
      "# set up\n\npage 13\r\ntype edtX  two  blanks \ntype edtX \ndump\npick-file C:\\My Files\\a.exe\n"
      "item clb 2 on");
  ASSERT_EQ(commands.size(), 6u);
  EXPECT_EQ(commands[0].line, 3);
  EXPECT_EQ(commands[0].args, (std::vector<std::string>{"13"}));
  EXPECT_EQ(commands[1].args, (std::vector<std::string>{"edtX", " two  blanks "}))
      << "the text is the rest of the line after one blank";
  EXPECT_EQ(commands[2].args, (std::vector<std::string>{"edtX", ""}));
  EXPECT_TRUE(commands[3].args.empty());
  EXPECT_EQ(commands[4].args, (std::vector<std::string>{"C:\\My Files\\a.exe"}));
  EXPECT_EQ(commands[5].line, 8);

  struct Bad {
    const char* script;
    int line;
  } bad[] = {{"page 1\nfly away\n", 2}, {"click\n", 1}, {"apply now\n", 1},
             {"\n\nitem clb 1\n", 3}, {"pick-folder\n", 1}};
  for (const auto& b : bad) {
    try {
      ParseScript(b.script);
      ADD_FAILURE() << b.script;
    } catch (const ScriptError& error) {
      EXPECT_EQ(error.line, b.line) << b.script;
    }
  }
}

// A text argument in double quotes is taken without them; "" stands for one quote.
TEST(CliScript, QuotedTextArguments) {
  struct Case {
    const char* line;
    const char* text;  // nullptr: refused
  } cases[] = {
      {"type edt \"\xCE\xCE\xCE \xD0\xEE\xEC\xE0\xF8\xEA\xE0\"", "\xCE\xCE\xCE \xD0\xEE\xEC\xE0\xF8\xEA\xE0"},
      {"type edt \"  blanks kept  \"  ", "  blanks kept  "},
      {"type edt \"say \"\"hi\"\"\"", "say \"hi\""},
      {"type edt \"\"", ""},
      {"type edt a \"b\" c", "a \"b\" c"},  // not starting with a quote: as it is
      {"pick-file \"C:\\My Files\\a.exe\"", "C:\\My Files\\a.exe"},
      {"type edt \"open", nullptr},
      {"type edt \"a\" b", nullptr},
  };
  for (const Case& c : cases) {
    if (!c.text) {
      EXPECT_THROW(ParseScript(c.line), ScriptError) << c.line;
      continue;
    }
    const auto commands = ParseScript(c.line);
    ASSERT_EQ(commands.size(), 1u) << c.line;
    EXPECT_EQ(commands[0].args.back(), c.text) << c.line;
  }
}

// A script with the UTF-8 byte-order mark is UTF-8; without one it is in the host's encoding.
TEST(CliScript, ScriptTextByByteOrderMark) {
  const std::string cp1251 = "type edt \xD0\xEE\xEC\xE0\xF8\xEA\xE0\r\n";
  const std::string utf8 = "type edt \xD0\xA0\xD0\xBE\xD0\xBC\xD0\xB0\xD1\x88\xD0\xBA\xD0\xB0\r\n";
  struct Case {
    std::string bytes;
    cli::ScriptEncoding plain;
  } cases[] = {
      {"\xEF\xBB\xBF" + utf8, cli::ScriptEncoding::Cp1251},
      {"\xEF\xBB\xBF" + utf8, cli::ScriptEncoding::Utf8},
      {cp1251, cli::ScriptEncoding::Cp1251},
      {utf8, cli::ScriptEncoding::Utf8},
  };
  for (const Case& c : cases) {
    const std::string text = cli::ScriptText(c.bytes, c.plain);
    EXPECT_EQ(text, cp1251);
    EXPECT_EQ(ParseScript(text)[0].verb, "type");
  }
}

TEST(CliScript, ArgumentsTakeTheWordsEachCommandNeeds) {
  const auto commands =
      ParseArguments({"page", "13", "dump", "apply", "dump", "ImgAbout", "type", "edt", "a b"});
  ASSERT_EQ(commands.size(), 5u);
  EXPECT_TRUE(commands[1].args.empty()) << "dump's name is optional";
  EXPECT_EQ(commands[3].args, (std::vector<std::string>{"ImgAbout"}));
  EXPECT_EQ(commands[4].args, (std::vector<std::string>{"edt", "a b"}));
  EXPECT_THROW(ParseArguments({"select", "lst"}), ScriptError);
}

TEST(PrefixDialogs, QueuedAnswersDefaultsAndMismatches) {
  prefix::Journal journal;
  prefix::PrefixDialogs dialogs(journal);
  const std::uint32_t question = mb::YesNo | mb::IconQuestion | mb::DefButton2;
  EXPECT_EQ(dialogs.ShowMessage("Volnerix", "?", question), idanswer::No) << "default button";
  EXPECT_EQ(dialogs.ShowMessage("Volnerix", "!", mb::Ok), idanswer::Ok);
  dialogs.QueueAnswer(idanswer::Yes);
  EXPECT_EQ(dialogs.ShowMessage("Volnerix", "?", question), idanswer::Yes);
  dialogs.QueueAnswer(idanswer::Yes);
  EXPECT_EQ(dialogs.ShowMessage("Volnerix", "!", mb::Ok), idanswer::Ok);
  EXPECT_EQ(dialogs.TakeProblems().size(), 1u) << "Yes queued for a box with OK only";

  std::string path;
  EXPECT_FALSE(dialogs.PickFile({}, path)) << "nothing queued: cancelled";
  dialogs.QueueDialog({.kind = prefix::DialogAnswer::Kind::File, .path = "C:\\a.exe"});
  std::uint32_t colour = 0;
  EXPECT_FALSE(dialogs.PickColour(colour));
  EXPECT_EQ(dialogs.TakeProblems().size(), 1u) << "a file answer does not fit a colour dialog";
  EXPECT_TRUE(dialogs.PickFile({}, path));
  EXPECT_EQ(path, "C:\\a.exe");
  dialogs.QueueDialog({.kind = prefix::DialogAnswer::Kind::Cancel});
  EXPECT_FALSE(dialogs.PickFile({}, path));
  EXPECT_EQ(journal.Entries(), (std::vector<std::string>{
                                   "GetOpenFileName cancelled", "ChooseColor cancelled",
                                   "GetOpenFileName C:\\a.exe", "GetOpenFileName cancelled"}));
}

TEST(PrefixDesktop, OneInstanceMutexPerImage) {
  const auto image = std::filesystem::temp_directory_path() / "vlx-desktop-test-image";
  std::filesystem::create_directories(image);
  prefix::Journal journal;
  {
    prefix::PrefixDesktop first(image, journal);
    prefix::PrefixDesktop second(image, journal);
    EXPECT_TRUE(first.CreateInstanceMutex("Test"));
    EXPECT_FALSE(second.CreateInstanceMutex("Test"));
    EXPECT_TRUE(second.CreateInstanceMutex("Other"));
    second.Broadcast(second.RegisterMessage("Test"), 0, 0);
    second.Broadcast(0x1A, 0, 0);
  }
  prefix::PrefixDesktop again(image, journal);
  EXPECT_TRUE(again.CreateInstanceMutex("Test")) << "released when its holder went";
  EXPECT_EQ(journal.Entries(), (std::vector<std::string>{
                                   "SendMessage HWND_BROADCAST Test 0 0",
                                   "SendMessage HWND_BROADCAST WM_WININICHANGE 0 0"}));
  std::filesystem::remove_all(image);
}

}  // namespace
}  // namespace vlx
