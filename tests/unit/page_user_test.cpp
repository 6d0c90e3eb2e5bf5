// The User page's command line and fault log button over an offline machine image, where a
// start or a shell verb is journalled and succeeds only for a file the image holds.
#include "pages/user.h"

#include <gtest/gtest.h>

#include "image_page_fixture.h"
#include "ui/user_action.h"

namespace vlx {
namespace {

class UserPage : public testing::ImagePageTest {
 protected:
  UserPage() {
    machine.dialogs().onMessage = [this](const std::string& title, const std::string& text,
                                         std::uint32_t flags) {
      messages.push_back(title + ": " + text + " | " + std::to_string(flags));
    };
    machine.journal().TakeNew();
  }
  void Put(const std::string& relative) {
    testing::WriteHostFile(dir.path() / "img" / "drive_c" / relative, "MZ");
  }
  std::vector<std::string> Journal() { return machine.journal().TakeNew(); }
  ui::Control& Edit() { return context.Get("edtCommandLine"); }
};

TEST_F(UserPage, CommandLineStartsWithoutWaitingOnClickOrEnter) {
  Put("WINDOWS/NOTEPAD.EXE");
  EXPECT_FALSE(context.Get("btnRunCommandLine").Enabled());
  char enter = '\r';
  ui::UserKey(Edit(), enter);  // an empty edit: nothing
  EXPECT_TRUE(Journal().empty());

  ui::UserType(Edit(), "notepad C:\\readme.txt");
  EXPECT_TRUE(context.Get("btnRunCommandLine").Enabled());
  ui::UserKey(Edit(), '\r');
  ui::UserKey(Edit(), 'x');  // another key runs nothing
  ui::UserClick(context.Get("btnRunCommandLine"));
  EXPECT_EQ(Journal(), (std::vector<std::string>{"CreateProcess: notepad C:\\readme.txt",
                                                 "CreateProcess: notepad C:\\readme.txt"}));
  EXPECT_TRUE(messages.empty());

  ui::UserType(Edit(), "nosuch.exe /q");
  ui::UserClick(context.Get("btnRunCommandLine"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            "Volnerix: Не удается найти файл \"nosuch.exe /q\" (или один из его компонентов).\r\r"
            "Проверьте правильность указания имени файла и пути, а также наличие всех "
            "необходимых библиотек. | " +
                std::to_string(mb::Ok | mb::IconQuestion | mb::TaskModal));
}

TEST_F(UserPage, FaultLogOpensInTheWindowsFolderOrTellsItIsMissing) {
  ui::UserClick(context.Get("spbtnErrorFileRun"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Volnerix: Не удается найти файл \"FAULTLOG.TXT\" ! | " +
                             std::to_string(mb::Ok | mb::IconInformation | mb::TaskModal));
  Put("WINDOWS/FAULTLOG.TXT");
  Journal();
  ui::UserClick(context.Get("spbtnErrorFileRun"));
  EXPECT_EQ(Journal(), std::vector<std::string>{"ShellExecute open: C:\\WINDOWS\\FAULTLOG.TXT"});
  EXPECT_EQ(messages.size(), 1u);
}

}  // namespace
}  // namespace vlx
