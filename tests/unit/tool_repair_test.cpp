// The Repair page over an offline machine image: the selector, the association and thumbnail
// data under both roots, the icon refresh with its broadcasts, and the view files.
#include "tools/repair.h"

#include <gtest/gtest.h>

#include "platform/file_ops.h"
#include "platform/files.h"
#include "ui/user_action.h"
#include "unit/image_page_fixture.h"

namespace vlx {
namespace {

constexpr RegKey HKCR = regroot::ClassesRoot;
constexpr RegKey HKLM = regroot::LocalMachine;
constexpr RegKey HKCU = regroot::CurrentUser;

class RepairPage : public testing::ImagePageTest {
 protected:
  RepairPage() { LoadRepairSelector(context); }
  void Select(RepairItem item) {
    ui::UserSelect(context.Get("cbRepairSelected"), static_cast<int>(item));
  }
  void Repair() { ui::UserClick(context.Get("btnRepair")); }
  std::vector<std::string> Broadcasts() {
    std::vector<std::string> found;
    for (const auto& entry : machine.journal().Entries())
      if (entry.rfind("SendMessageTimeout", 0) == 0) found.push_back(entry);
    return found;
  }
};

TEST_F(RepairPage, SelectorShowsTheAssociationBoxesOnlyForItemOne) {
  EXPECT_EQ(context.Get("lbSelectDescriptions1").Text(), RepairDescription(RepairItem::Icons));
  EXPECT_NE(RepairDescription(RepairItem::Icons).find("памяти.\r\rВосстановление"),
            std::string::npos);
  EXPECT_FALSE(context.Get("cbAssociateINF").Visible());
  Select(RepairItem::Associations);
  EXPECT_TRUE(context.Get("cbAssociateINF").Visible());
  ui::UserCheck(context.Get("cbAssociateINF"), true);
  Select(RepairItem::Thumbnails);
  EXPECT_FALSE(context.Get("cbAssociateINF").Visible());
  EXPECT_EQ(context.Get("lbSelectDescriptions1").Text(),
            RepairDescription(RepairItem::Thumbnails));
  Select(RepairItem::Associations);
  EXPECT_TRUE(context.Get<ui::CheckBox>("cbAssociateINF").Checked());
}

TEST_F(RepairPage, AssociationsNeedABoxAndWriteOnlyTheTickedOnes) {
  Write(HKLM, "Software\\Classes\\.inf", "", "broken");
  Write(HKLM, "Software\\Classes\\.exe", "", "broken");
  Select(RepairItem::Associations);
  Repair();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Volnerix: Выберите ассоциации, которые хотите починить.");
  EXPECT_EQ(Read(HKLM, "Software\\Classes\\.inf", ""), "broken");

  ui::UserCheck(context.Get("cbAssociateINF"), true);
  Repair();
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(Read(HKCR, ".inf", ""), "inffile");
  EXPECT_EQ(Read(HKLM, "Software\\CLASSES\\inffile", ""), "Сведения для установки");
  EXPECT_EQ(Read(HKLM, "Software\\CLASSES\\inffile\\shell\\install\\command", ""),
            "C:\\WINDOWS\\rundll.exe setupx.dll,InstallHinfSection DefaultInstall 132 %1");
  EXPECT_EQ(Read(HKCR, "inffile\\DefaultIcon", ""), "C:\\WINDOWS\\SYSTEM\\shell32.dll,-151");
  EXPECT_EQ(Read(HKLM, "Software\\Classes\\.exe", ""), "broken");
}

TEST_F(RepairPage, ExeAndAudioCdDataKeepsExistingHandlerValues) {
  const std::string handler =
      "exefile\\shellex\\PropertySheetHandlers\\{86F19A00-42A0-1069-A2E9-08002B30309D}";
  Write(HKCR, handler, "keep", "me");
  Select(RepairItem::Associations);
  ui::UserCheck(context.Get("cbAssociateEXE"), true);
  ui::UserCheck(context.Get("cbAssociateLaserPlayer"), true);
  Repair();
  EXPECT_EQ(Read(HKCR, handler, "keep"), "me");
  EXPECT_EQ(Read(HKCR, "exefile\\shell\\Open\\Command", ""), "\"%1\" %*");
  const std::uint32_t flags = RunStoreRoutine(*machine.platform().registry, HKCR, [](RegStore& s) {
    std::uint32_t n = 0;
    s.OpenPath("exefile", false);
    s.ReadBytes("EditFlags", &n, 4);
    return n;
  });
  EXPECT_EQ(flags, 2008u);
  EXPECT_EQ(Read(HKLM, "Software\\CLASSES\\AudioCD\\shell", ""), "play");
  EXPECT_EQ(Read(HKLM, "Software\\CLASSES\\AudioCD\\shell\\Воспроизвести\\command", ""),
            "C:\\WINDOWS\\cdplayer.exe -play %1");
  EXPECT_EQ(Read(HKLM, "Software\\CLASSES\\cdafile\\shell\\play", ""), "&Воспроизвести");
}

TEST_F(RepairPage, ThumbnailsWriteNineKeysUnderBothRoots) {
  Select(RepairItem::Thumbnails);
  Repair();
  for (const char* ext : {".bmp", ".dib", ".art", ".gif", ".jfif", ".jpe", ".jpeg", ".jpg", ".png"}) {
    const std::string key = std::string(ext) + "\\ShellEx\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}";
    EXPECT_EQ(Read(HKCR, key, ""), "{7376D660-C583-11d0-A3A5-00C04FD706EC}") << ext;
    EXPECT_EQ(Read(HKLM, "Software\\CLASSES\\" + key, ""), "{7376D660-C583-11d0-A3A5-00C04FD706EC}")
        << ext;
  }
}

TEST_F(RepairPage, IconRefreshStepsTheSizeAndRestoresIt) {
  const std::string metrics = "Control Panel\\Desktop\\WindowMetrics";
  Write(HKCU, metrics, "Shell Icon Size", "32");
  Repair();
  EXPECT_EQ(Read(HKCU, metrics, "Shell Icon Size"), "32");
  const std::vector<std::string> expected(
      2, "SendMessageTimeout HWND_BROADCAST WM_WININICHANGE 42 0 2 10000");
  EXPECT_EQ(Broadcasts(), expected);

  Write(HKCU, metrics, "Shell Icon Size", "большой");
  EXPECT_THROW(RefreshShellIcons(machine.platform()), std::invalid_argument);
  EXPECT_EQ(Read(HKCU, metrics, "Shell Icon Size"), "большой");
  Write(HKCU, metrics, "Shell Icon Size", "");
  EXPECT_FALSE(RefreshShellIcons(machine.platform()));
  EXPECT_EQ(Broadcasts().size(), 2u);
}

TEST_F(RepairPage, RecycleBinViewFileIsReplacedAndHidden) {
  auto& files = *machine.platform().files;
  const std::string path = "C:\\Recycled\\Desktop.ini";
  files.MakeDirectory("C:\\Recycled");
  ASSERT_TRUE(files.WriteWholeFile(path, "old"));
  files.SetAttributes(path, fileattr::ReadOnly | fileattr::Hidden);
  Select(RepairItem::RecycleBin);
  Repair();
  EXPECT_EQ(files.GetAttributes(path), 0x22u);
  FoundFile found;
  ASSERT_TRUE(machine.platform().fileOps->FindFirst(path, found));
  EXPECT_GT(found.size, 3u);  // the library's file, not the old one
}

}  // namespace
}  // namespace vlx
