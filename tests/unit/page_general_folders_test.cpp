// The General page's folder protection over an offline machine image: files placed only where
// missing and hidden, an existing settings file kept as it is, and both files removed, also one
// that another program put there.
#include <gtest/gtest.h>

#include "pages/general.h"
#include "platform/files.h"
#include "platform/text_files.h"
#include "store/folders.h"
#include "ui/user_action.h"
#include "unit/image_page_fixture.h"

namespace vlx {
namespace {

class GeneralFolders : public testing::ImagePageTest {
 protected:
  std::string Content(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(machine.platform().textFiles->ReadWholeFile(path, bytes)) << path;
    return bytes;
  }
};

TEST_F(GeneralFolders, PlacesMissingFilesHiddenAndRemovesBoth) {
  auto& files = *machine.platform().files;
  const std::string windows = GetWindowsDir(*machine.platform().system);
  const std::string system = GetSystemDir(*machine.platform().system);
  ASSERT_TRUE(files.WriteWholeFile(windows + "\\desktop.ini", "[mine]\r\n"));
  ASSERT_TRUE(files.WriteWholeFile(system + "\\folder.htt", "old"));
  ASSERT_TRUE(files.WriteWholeFile(system + "\\desktop.ini", "[other program]\r\n"));

  LoadFolderProtection(context);
  EXPECT_FALSE(context.Get<ui::CheckBox>("cbViewWindowsFiles").Checked());
  EXPECT_TRUE(context.Get<ui::CheckBox>("cbViewSystemsFiles").Checked());

  ui::UserCheck(context.Get("cbViewWindowsFiles"), true);
  ui::UserCheck(context.Get("cbViewSystemsFiles"), false);
  ApplyFolderProtection(context);
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(Content(windows + "\\folder.htt").empty());
  EXPECT_EQ(files.GetAttributes(windows + "\\folder.htt"), fileattr::Hidden | fileattr::Archive);
  EXPECT_EQ(Content(windows + "\\desktop.ini"), "[mine]\r\n");
  EXPECT_FALSE(files.Exists(system + "\\folder.htt"));
  EXPECT_FALSE(files.Exists(system + "\\desktop.ini"));

  ASSERT_TRUE(files.SetAttributes(windows + "\\desktop.ini", fileattr::ReadOnly));
  const std::uint32_t kept = files.GetAttributes(windows + "\\desktop.ini");
  ASSERT_TRUE(files.WriteWholeFile(windows + "\\folder.htt", "edited"));
  ApplyFolderProtection(context);  // existing files stay as they are
  EXPECT_EQ(Content(windows + "\\folder.htt"), "edited");
  EXPECT_EQ(files.GetAttributes(windows + "\\desktop.ini"), kept);

  LoadFolderProtection(context);
  EXPECT_TRUE(context.Get<ui::CheckBox>("cbViewWindowsFiles").Checked());
  EXPECT_FALSE(context.Get<ui::CheckBox>("cbViewSystemsFiles").Checked());
}

}  // namespace
}  // namespace vlx
