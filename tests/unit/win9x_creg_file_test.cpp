// The 9x registry file: what is written reads back, untouched bytes stay, damage is refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "prefix/prefix_error.h"
#include "win9x/creg_file.h"
#include "win9x/win9x_image.h"

namespace vlx::win9x {
namespace {

using ::testing::HasSubstr;

std::uint32_t At32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}
void Set32(std::string& bytes, std::size_t at, std::uint32_t value) {
  std::memcpy(bytes.data() + at, &value, 4);
}

// Software\Test with four values, Software\Other, and Control Panel\Desktop.
std::string SampleHive() {
  return Win9xHiveBytes({
      {"Software\\Test", "", 1, "по умолчанию"},
      {"Software\\Test", "Name", 1, "Иван"},
      {"Software\\Test", "Count", 4, std::string("\x02\0\0\0", 4)},
      {"Software\\Test", "Blob", 3, std::string("\x01\0\x02", 3)},
      {"Software\\Other", "", 0, ""},
      {"Control Panel\\Desktop", "Wallpaper", 1, "(None)"},
  });
}

TEST(CregFile, ReadsBackWhatItWroteAndSavesTheSameBytesWithoutChanges) {
  const std::string bytes = SampleHive();
  CregFile file(bytes, "USER.DAT");
  EXPECT_FALSE(file.Modified());
  CregKey* test = CregFile::FindSubkey(*CregFile::FindSubkey(file.Root(), "SOFTWARE"), "test");
  ASSERT_NE(test, nullptr);
  ASSERT_EQ(test->values.size(), 4u);
  EXPECT_EQ(CregFile::FindValue(*test, "")->data, std::string("по умолчанию") + '\0');
  EXPECT_EQ(CregFile::FindValue(*test, "NAME")->data, std::string("Иван") + '\0');
  EXPECT_EQ(CregFile::FindValue(*test, "count")->type, 4u);
  EXPECT_EQ(CregFile::FindValue(*test, "Blob")->data, std::string("\x01\0\x02", 3));
  EXPECT_NE(CregFile::FindSubkey(file.Root(), "Control Panel"), nullptr);
  EXPECT_EQ(file.Serialize(), bytes);
}

TEST(CregFile, AChangeLeavesTheRestOfTheFileAsItWas) {
  const std::string bytes = SampleHive();
  CregFile file(bytes, "USER.DAT");
  CregKey& desktop = *CregFile::FindSubkey(*CregFile::FindSubkey(file.Root(), "Control Panel"), "Desktop");
  file.SetValue(desktop, "Wallpaper", 1, std::string("C:\\WINDOWS\\Облака.bmp") + '\0');
  const std::string changed = file.Serialize();
  // The key block is the same; only the data block's record of the changed key differs.
  const std::uint32_t dataStart = At32(bytes, 8);
  EXPECT_EQ(changed.substr(0, dataStart), bytes.substr(0, dataStart));
  CregFile again(changed, "USER.DAT");
  CregKey& back = *CregFile::FindSubkey(*CregFile::FindSubkey(again.Root(), "control panel"), "desktop");
  EXPECT_EQ(CregFile::FindValue(back, "Wallpaper")->data,
            std::string("C:\\WINDOWS\\Облака.bmp") + '\0');
  EXPECT_EQ(again.Serialize(), changed);

  // A new key keeps every existing key entry where it was.
  CregKey& fresh = again.AddSubkey(again.Root(), "Новый");
  again.SetValue(fresh, "x", 4, std::string(4, '\0'));
  const std::string grown = again.Serialize();
  CregFile third(grown, "USER.DAT");
  EXPECT_NE(CregFile::FindSubkey(third.Root(), "новый"), nullptr);
  EXPECT_NE(CregFile::FindSubkey(*CregFile::FindSubkey(third.Root(), "Software"), "Other"), nullptr);
  EXPECT_EQ(third.Serialize(), grown);
}

TEST(CregFile, RemovingAKeyTakesItsSubtreeAndItsRecords) {
  CregFile file(SampleHive(), "USER.DAT");
  CregKey& software = *CregFile::FindSubkey(file.Root(), "Software");
  file.RemoveKey(*CregFile::FindSubkey(software, "Test"));
  EXPECT_TRUE(file.RemoveValue(*CregFile::FindSubkey(*CregFile::FindSubkey(file.Root(), "Control Panel"), "Desktop"), "wallpaper"));
  const std::string saved = file.Serialize();
  CregFile again(saved, "USER.DAT");
  CregKey& back = *CregFile::FindSubkey(again.Root(), "Software");
  EXPECT_EQ(CregFile::FindSubkey(back, "Test"), nullptr);
  EXPECT_NE(CregFile::FindSubkey(back, "Other"), nullptr);
  EXPECT_THAT(saved, ::testing::Not(HasSubstr("Иван")));
  EXPECT_THAT(saved, ::testing::Not(HasSubstr("Wallpaper")));
}

TEST(CregFile, ManyKeysSpreadOverBlocksAndReadBack) {
  CregFile file;
  CregKey& clsid = file.AddSubkey(file.AddSubkey(file.Root(), "Software"), "CLSID");
  for (int i = 0; i < 3000; ++i)
    file.SetValue(file.AddSubkey(clsid, "{key " + std::to_string(i) + "}"), "", 1,
                  std::string(40, 'a' + i % 26) + '\0');
  const std::string bytes = file.Serialize();
  EXPECT_GT(At32(bytes, 16) & 0xFFFF, 1u);  // more than one data block
  CregFile again(bytes, "SYSTEM.DAT");
  CregKey& back = *CregFile::FindSubkey(*CregFile::FindSubkey(again.Root(), "Software"), "CLSID");
  ASSERT_EQ(back.subkeys.size(), 3000u);
  EXPECT_EQ(CregFile::FindValue(*CregFile::FindSubkey(back, "{key 2999}"), "")->data,
            std::string(40, 'a' + 2999 % 26) + '\0');
}

// Damaged files: each is refused with the file name, an offset and what is wrong.
TEST(CregFile, DamagedFilesAreRefusedNamingFileOffsetAndFault) {
  const std::string good = SampleHive();
  const std::uint32_t root = 0x20 + 0x20;  // the root key entry in the file
  const std::uint32_t dataStart = At32(good, 8);
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    const char* message;
  };
  const Case cases[] = {
      {"truncated header", [](std::string& b) { b.resize(20); }, "ends inside its header"},
      {"truncated key block", [](std::string& b) { b.resize(0x30); }, "before its key block"},
      {"truncated data", [&](std::string& b) { b.resize(b.size() - 10); }, "outside the file"},
      {"wrong signature", [](std::string& b) { b[0] = 'X'; }, "no CREG signature"},
      {"unknown version", [](std::string& b) { b[6] = 2; }, "not understood"},
      {"data offset past the end", [](std::string& b) { Set32(b, 8, 0x7FFFFFFF); }, "data blocks offset"},
      {"key block size", [](std::string& b) { Set32(b, 0x24, 0x10); }, "key block size"},
      {"root entry outside", [](std::string& b) { Set32(b, 0x28, 0x7FFFFF00); }, "root key entry"},
      {"subkey offset outside", [&](std::string& b) { Set32(b, root + 16, 0x00FFFFF0); },
       "outside the key block"},
      {"loop to the root", [&](std::string& b) {
         const std::uint32_t child = At32(b, root + 16);
         Set32(b, 0x20 + child + 16, 0x20);
       }, "loop in the key tree"},
      {"sibling loop", [&](std::string& b) {
         const std::uint32_t child = At32(b, root + 16);
         Set32(b, 0x20 + child + 20, child);
       }, "loop in the key tree"},
      {"parent mismatch", [&](std::string& b) {
         const std::uint32_t child = At32(b, root + 16);
         Set32(b, 0x20 + child + 12, 0x1234);
       }, "parent offset"},
      {"missing record", [&](std::string& b) {
         const std::uint32_t child = At32(b, root + 16);
         b[0x20 + child + 24] = 0x7F;
       }, "which is not there"},
      {"record size zero", [&](std::string& b) { Set32(b, dataStart + 0x20, 0); }, "record size"},
      {"name past the record", [&](std::string& b) { b[dataStart + 0x20 + 12] = '\x7F'; },
       "runs past its record"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = good;
    c.damage(bytes);
    try {
      CregFile file(bytes, "SYSTEM.DAT");
      ADD_FAILURE() << "accepted";
    } catch (const prefix::PrefixError& error) {
      EXPECT_THAT(error.what(), HasSubstr("SYSTEM.DAT: damaged registry file at offset 0x"));
      EXPECT_THAT(error.what(), HasSubstr(c.message));
    }
  }
}

TEST(CregFile, ValuesTooLargeForTheFormatAreRefusedOnSave) {
  CregFile file;
  file.SetValue(file.AddSubkey(file.Root(), "Big"), "v", 3, std::string(70000, 'x'));
  EXPECT_THROW(file.Serialize(), prefix::PrefixError);
}

}  // namespace
}  // namespace vlx::win9x
