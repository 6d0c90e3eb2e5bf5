// The overlay of a dry run over a fresh offline image: reads see the pending changes, the image
// below sees none; the changes come out as a REGEDIT4 patch and file diffs, and commit and undo
// carry them over and back.
#include <gtest/gtest.h>

#include <string>

#include "overlay/overlay.h"
#include "overlay/unified_diff.h"
#include "path_temp_dir.h"
#include "prefix/machine_image.h"
#include "prefix/prefix_machine.h"
#include "store/regedit_registry.h"
#include "store/reg_store.h"
#include "store/store_routine.h"

namespace vlx::overlay {
namespace {

using vlx::testing::TempDir;

std::string Text(const std::vector<regedit::Entry>& entries) {
  regedit::Writer w(regedit::Form::Regedit4);
  for (const auto& e : entries) w.Add(e);
  return w.Text();
}

class OverlayTest : public ::testing::Test {
 protected:
  static std::filesystem::path Created(const TempDir& dir) {
    prefix::CreateMachineImage(dir.path() / "img");
    return dir.path() / "img";
  }
  // Every key and value below the key, through the port.
  static std::string Dump(Registry& registry, const std::string& key) {
    regedit::Writer w(regedit::Form::Regedit4);
    regedit::ExportKey(registry, key, w);
    return w.Text();
  }
  long Set(Registry& r, RegKey key, const std::string& name, const std::string& data) {
    return r.SetValue(key, name, regtype::Sz, reinterpret_cast<const unsigned char*>(data.c_str()),
                      static_cast<std::uint32_t>(data.size() + 1));
  }

  TempDir dir;
  prefix::PrefixMachine machine{Created(dir)};
  Platform& base = machine.platform();
};

TEST_F(OverlayTest, RegistryChangesAreSeenAboveAndNotBelow) {
  const std::string below = Dump(*base.registry, "HKEY_CURRENT_USER\\Control Panel");
  RegKey key = 0;
  ASSERT_EQ(base.registry->CreateKey(regroot::CurrentUser, "Software\\Старое\\Ветка", key), 0);
  Set(*base.registry, key, "v", "old");
  base.registry->CloseKey(key);
  const std::string oldTree = Dump(*base.registry, "HKEY_CURRENT_USER\\Software\\Старое");

  Overlay overlay(base);
  Registry& reg = *overlay.platform().registry;
  ASSERT_EQ(reg.CreateKey(regroot::CurrentUser, "Control Panel\\Новый\\Глубже", key), 0);
  EXPECT_EQ(Set(reg, key, "Имя", "значение"), 0);
  reg.CloseKey(key);
  ASSERT_EQ(reg.OpenKey(regroot::CurrentUser, "control panel\\desktop", key), 0);
  EXPECT_EQ(Set(reg, key, "MenuShowDelay", "1"), 0);
  reg.CloseKey(key);
  RegStore store(reg);
  store.SetRoot(regroot::CurrentUser);
  ASSERT_TRUE(store.RemoveKeyTree("\\Software\\Старое"));
  EXPECT_FALSE(store.HasKey("\\Software\\Старое\\Ветка"));

  // Above: the new tree, the changed value, the deleted tree gone.
  const std::string above = Dump(reg, "HKEY_CURRENT_USER\\Control Panel");
  EXPECT_NE(above.find("[HKEY_CURRENT_USER\\Control Panel\\Новый\\Глубже]\n\"Имя\"=\"значение\""),
            std::string::npos) << above;
  EXPECT_NE(above.find("\"MenuShowDelay\"=\"1\""), std::string::npos);
  // Below: nothing.
  EXPECT_EQ(Dump(*base.registry, "HKEY_CURRENT_USER\\Control Panel"), below);
  EXPECT_EQ(Dump(*base.registry, "HKEY_CURRENT_USER\\Software\\Старое"), oldTree);

  const std::string patch = Text(overlay.registry().Changes());
  EXPECT_NE(patch.find("[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"MenuShowDelay\"=\"1\"\n"),
            std::string::npos) << patch;
  EXPECT_NE(patch.find("[HKEY_CURRENT_USER\\Control Panel\\Новый]\n"), std::string::npos);
  EXPECT_NE(patch.find("[-HKEY_CURRENT_USER\\Software\\Старое]\n"), std::string::npos);
  EXPECT_EQ(patch.find("Ветка"), std::string::npos) << "only the top of a deleted tree";

  // Committed, the image holds what the overlay showed; the undo script puts it back.
  regedit::Script undo;
  undo.entries = overlay.registry().Undo();
  overlay.Commit();
  EXPECT_EQ(Dump(*base.registry, "HKEY_CURRENT_USER\\Control Panel"), above);
  regedit::Apply(*base.registry, undo);
  EXPECT_EQ(Dump(*base.registry, "HKEY_CURRENT_USER\\Control Panel"), below);
  EXPECT_EQ(Dump(*base.registry, "HKEY_CURRENT_USER\\Software\\Старое"), oldTree);
}

TEST_F(OverlayTest, FileChangesAreSeenAboveLoggedAndDoneOnCommit) {
  Overlay overlay(base);
  Platform& p = overlay.platform();
  const std::string ini = "C:\\WINDOWS\\system.ini";
  std::string original;
  ASSERT_TRUE(base.textFiles->ReadWholeFile(ini, original));

  EXPECT_TRUE(p.profile->WriteString("boot", "shell", "progman.exe", "system.ini"));
  std::string value;
  p.profile->GetString("boot", "shell", "", value, 64, "system.ini");
  EXPECT_EQ(value, "progman.exe");
  EXPECT_TRUE(p.files->MakeDirectory("C:\\Новая"));
  EXPECT_TRUE(p.files->WriteWholeFile("C:\\Новая\\a.txt", "один\r\n"));
  EXPECT_TRUE(p.fileOps->Copy("C:\\Новая\\a.txt", "C:\\Новая\\b.txt", true));
  EXPECT_FALSE(p.fileOps->Copy("C:\\Новая\\a.txt", "C:\\Новая\\b.txt", true)) << "exists now";
  EXPECT_TRUE(p.fileOps->Rename("C:\\Новая\\b.txt", "C:\\Новая\\c.txt"));
  EXPECT_TRUE(p.files->SetAttributes("C:\\Новая\\c.txt", fileattr::ReadOnly));
  EXPECT_FALSE(p.fileOps->Delete("C:\\Новая\\c.txt")) << "read-only";
  EXPECT_TRUE(p.fileOps->Delete("C:\\Новая\\a.txt"));
  EXPECT_FALSE(p.files->WriteWholeFile("C:\\Нет\\x.txt", "x")) << "no such folder";

  EXPECT_FALSE(p.files->Exists("C:\\Новая\\a.txt"));
  EXPECT_EQ(p.files->GetAttributes("C:\\Новая\\c.txt"), fileattr::ReadOnly);
  FoundFile found;
  ASSERT_TRUE(p.fileOps->FindFirst("c:\\НОВАЯ\\C.TXT", found));
  EXPECT_EQ(found.name, "c.txt");
  EXPECT_EQ(found.size, 6u);
  // Below: nothing yet.
  EXPECT_FALSE(base.files->Exists("C:\\Новая"));
  std::string now;
  ASSERT_TRUE(base.textFiles->ReadWholeFile(ini, now));
  EXPECT_EQ(now, original);

  const std::vector<std::string> report = overlay.Report();
  const auto has = [&](const std::string& line) {
    return std::find(report.begin(), report.end(), line) != report.end();
  };
  EXPECT_TRUE(has("rename C:\\Новая\\b.txt -> C:\\Новая\\c.txt"));
  EXPECT_TRUE(has("attributes C:\\Новая\\c.txt ---A -> R---"));
  EXPECT_TRUE(has("+++ C:\\WINDOWS\\system.ini"));
  EXPECT_TRUE(has("+shell=progman.exe"));

  EXPECT_TRUE(overlay.Commit().empty());
  EXPECT_TRUE(base.files->GetAttributes("C:\\Новая\\c.txt") & fileattr::ReadOnly);
  EXPECT_FALSE(base.files->Exists("C:\\Новая\\a.txt"));
  ASSERT_TRUE(base.textFiles->ReadWholeFile(ini, now));
  EXPECT_NE(now.find("shell=progman.exe"), std::string::npos);
}

TEST(UnifiedDiff, HunksWithThreeLinesOfContext) {
  const std::string before = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n";
  const std::string after = "1\r\nzwei\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n";
  EXPECT_EQ(UnifiedDiff("F", &before, &after),
            (std::vector<std::string>{"--- F", "+++ F", "@@ -1,5 +1,5 @@", " 1", "-2", "+zwei", " 3",
                                      " 4", " 5", "@@ -10,3 +10,4 @@", " 10", " 11", " 12", "+13"}));
  EXPECT_TRUE(UnifiedDiff("F", &before, &before).empty());
  const std::string one = "a\n";
  EXPECT_EQ(UnifiedDiff("F", nullptr, &one),
            (std::vector<std::string>{"--- /dev/null", "+++ F", "@@ -0,0 +1 @@", "+a"}));
  EXPECT_EQ(UnifiedDiff("F", &one, nullptr),
            (std::vector<std::string>{"--- F", "+++ /dev/null", "@@ -1 +0,0 @@", "-a"}));
}

TEST_F(OverlayTest, FolderRemovalSeesEveryEntryBelow) {
  ASSERT_TRUE(base.files->MakeDirectory("C:\\Папка"));
  ASSERT_TRUE(base.files->WriteWholeFile("C:\\Папка\\a.txt", "a"));
  ASSERT_TRUE(base.files->WriteWholeFile("C:\\Папка\\b.txt", "b"));
  Overlay overlay(base);
  Platform& p = overlay.platform();
  ASSERT_TRUE(p.fileOps->Delete("C:\\Папка\\a.txt"));
  EXPECT_FALSE(p.files->RemoveEmptyDirectory("C:\\Папка")) << "b.txt is still there";
  ASSERT_TRUE(p.fileOps->Delete("C:\\Папка\\b.txt"));
  EXPECT_TRUE(p.files->RemoveEmptyDirectory("C:\\Папка"));
}

// A parameter set for good is a registry change like any other: in the patch, in the undo, and
// in the journal line with its action's name; one set for the session only is not.
TEST_F(OverlayTest, StoredSystemParametersAreRegistryChanges) {
  struct Case {
    std::uint32_t action, param, flags;
    const char* patch;    // expected in the patch; null: no registry change
    const char* journal;
  };
  const Case cases[] = {
      {spi::SetScreenSaveActive, 0, spif::UpdateIniFile, "\"ScreenSaveActive\"=\"0\"",
       "SystemParametersInfo 17 SPI_SETSCREENSAVEACTIVE 0 flags 1: HKEY_CURRENT_USER\\Control Panel\\Desktop "
       "\"ScreenSaveActive\"=\"0\""},
      {spi::SetScreenSaveTimeout, 600, spif::UpdateIniFile | spif::SendWinIniChange,
       "\"ScreenSaveTimeOut\"=\"600\"", "SystemParametersInfo 15 SPI_SETSCREENSAVETIMEOUT 600 flags 3: "},
      {spi::SetMenuShowDelay, 250, spif::SendWinIniChange, nullptr,
       "SystemParametersInfo 107 SPI_SETMENUSHOWDELAY 250 flags 2"},
  };
  for (const Case& c : cases) {
    Overlay overlay(base);
    ASSERT_TRUE(overlay.platform().parameters->Set(c.action, c.param, c.flags));
    const std::string patch = Text(overlay.registry().Changes());
    if (c.patch)
      EXPECT_NE(patch.find(std::string("[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n") + c.patch), std::string::npos)
          << patch;
    else
      EXPECT_EQ(patch.find("Control Panel"), std::string::npos) << patch;
    ASSERT_EQ(overlay.effects().size(), 1u);
    EXPECT_EQ(overlay.effects()[0].text.rfind(c.journal, 0), 0u) << overlay.effects()[0].text;
    if (!c.patch) continue;
    // The undo holds the earlier value, so that a restore puts it back.
    const OverlayRegistry::UndoItems items = overlay.registry().Items();
    ASSERT_EQ(items.values.size(), 1u);
    EXPECT_EQ(items.values[0].key, "HKEY_CURRENT_USER\\Control Panel\\Desktop");
  }
}

}  // namespace
}  // namespace vlx::overlay
