// Inputs far beyond what a machine holds: huge hive files and values, deep and wide key trees,
// very long INI lines. Each works through the ports and comes back whole after a save.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win_types.h"
#include "prefix/prefix_registry.h"
#include "prefix/profile_engine.h"
#include "unit/path_temp_dir.h"

namespace vlx::prefix {
namespace {

namespace fs = std::filesystem;
using vlx::testing::ReadHostFile;
using vlx::testing::TempDir;
using vlx::testing::WriteHostFile;

const std::string kHeader = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n";

class LimitsTest : public ::testing::Test {
 protected:
  fs::path SystemReg() const { return dir_.path() / "system.reg"; }
  std::unique_ptr<PrefixRegistry> Open() const {
    return std::make_unique<PrefixRegistry>(SystemReg(), dir_.path() / "user.reg");
  }
  static std::string QueryBytes(Registry& registry, RegKey root, const std::string& path,
                                const std::string& name) {
    RegKey key = 0;
    if (registry.OpenKey(root, path, key) != winerr::Success) return "<no key>";
    std::uint32_t type = 0, size = 0;
    std::string data;
    if (registry.QueryValue(key, name, &type, nullptr, &size) == winerr::Success) {
      data.resize(size);
      if (registry.QueryValue(key, name, &type, reinterpret_cast<unsigned char*>(data.data()),
                              &size) != winerr::Success)
        data = "<no data>";
      data.resize(size);
    } else {
      data = "<no value>";
    }
    registry.CloseKey(key);
    return data;
  }

  TempDir dir_;
};

TEST_F(LimitsTest, RegistryFileOf200MegabytesLoadsChangesAndSavesWhole) {
  // 2,000 keys of 100 values each, every value a 1 KB line of 333 bytes in hex.
  std::string text = kHeader;
  std::string data = "hex:ab";
  for (int i = 1; i < 333; ++i) data += ",00";
  data += "\n";
  for (int k = 0; k < 2000; ++k) {
    text += "[Software\\\\Big\\\\K" + std::to_string(100000 + k) + "] 1\n";
    for (int v = 0; v < 100; ++v) text += "\"v" + std::to_string(100 + v) + "\"=" + data;
    text += "\n";
  }
  ASSERT_GE(text.size(), 200u * 1000 * 1000);
  WriteHostFile(SystemReg(), text);
  {
    auto registry = Open();
    EXPECT_EQ(QueryBytes(*registry, regroot::LocalMachine, "Software\\Big\\K101999", "v199").size(),
              333u);
    RegKey key = 0;
    ASSERT_EQ(registry->CreateKey(regroot::LocalMachine, "Software\\Big\\K100000", key),
              winerr::Success);
    const unsigned char one[4] = {1, 0, 0, 0};
    ASSERT_EQ(registry->SetValue(key, "added", regtype::Dword, one, 4), winerr::Success);
    registry->CloseKey(key);
    registry->Save();
  }
  const std::string saved = ReadHostFile(SystemReg());
  EXPECT_GT(saved.size(), text.size());
  EXPECT_EQ(saved.substr(saved.size() - 1000), text.substr(text.size() - 1000));
  auto reread = Open();
  EXPECT_EQ(QueryBytes(*reread, regroot::LocalMachine, "Software\\Big\\K100000", "added"),
            std::string("\1\0\0\0", 4));
  EXPECT_EQ(QueryBytes(*reread, regroot::LocalMachine, "Software\\Big\\K101000", "v150")[0],
            '\xab');
}

TEST_F(LimitsTest, ValueOf16MegabytesRoundTrips) {
  WriteHostFile(SystemReg(), kHeader);
  std::string big(16u << 20, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + (i >> 12));
  {
    auto registry = Open();
    RegKey key = 0;
    ASSERT_EQ(registry->CreateKey(regroot::LocalMachine, "Software\\Huge", key), winerr::Success);
    ASSERT_EQ(registry->SetValue(key, "blob", regtype::Binary,
                                 reinterpret_cast<const unsigned char*>(big.data()),
                                 static_cast<std::uint32_t>(big.size())),
              winerr::Success);
    registry->CloseKey(key);
    registry->Save();
  }
  auto reread = Open();
  EXPECT_TRUE(QueryBytes(*reread, regroot::LocalMachine, "Software\\Huge", "blob") == big);
}

TEST_F(LimitsTest, KeyPath255LevelsDeepRoundTrips) {
  WriteHostFile(SystemReg(), kHeader);
  std::string path = "Software";
  for (int level = 1; level < 255; ++level) path += "\\L" + std::to_string(level);
  {
    auto registry = Open();
    RegKey key = 0;
    ASSERT_EQ(registry->CreateKey(regroot::LocalMachine, path, key), winerr::Success);
    const unsigned char text[] = "deep";
    ASSERT_EQ(registry->SetValue(key, "v", regtype::Sz, text, sizeof text), winerr::Success);
    registry->CloseKey(key);
    registry->Save();
  }
  auto reread = Open();
  EXPECT_EQ(QueryBytes(*reread, regroot::LocalMachine, path, "v"), std::string("deep", 5));
}

TEST_F(LimitsTest, HundredThousandSubkeysUnderOneKey) {
  // In the file's order and then more made in reverse order, the worst case for insertion.
  std::string text = kHeader;
  for (int k = 0; k < 100000; ++k)
    text += "[Software\\\\Wide\\\\K" + std::to_string(200000 + k) + "] 1\n\n";
  WriteHostFile(SystemReg(), text);
  {
    auto registry = Open();
    RegKey wide = 0;
    ASSERT_EQ(registry->OpenKey(regroot::LocalMachine, "Software\\Wide", wide), winerr::Success);
    for (int k = 99999; k >= 0; k -= 1000) {
      RegKey key = 0;
      ASSERT_EQ(registry->CreateKey(wide, "A" + std::to_string(100000 + k), key), winerr::Success);
      registry->CloseKey(key);
    }
    RegKeyInfo info;
    ASSERT_EQ(registry->QueryInfoKey(wide, info), winerr::Success);
    EXPECT_EQ(info.subkeys, 100100u);
    std::string name;
    EXPECT_EQ(registry->EnumKey(wide, 100099, name), winerr::Success);
    EXPECT_EQ(name, "K299999");
    registry->CloseKey(wide);
    registry->Save();
  }
  auto reread = Open();
  RegKey wide = 0;
  ASSERT_EQ(reread->OpenKey(regroot::LocalMachine, "Software\\Wide", wide), winerr::Success);
  RegKeyInfo info;
  ASSERT_EQ(reread->QueryInfoKey(wide, info), winerr::Success);
  EXPECT_EQ(info.subkeys, 100100u);
  reread->CloseKey(wide);
}

TEST(ProfileLimits, IniLineOfOneMegabyteReadsAndWrites) {
  const std::string longValue(1u << 20, 'x');
  ProfileText text("[a]\r\nlong=" + longValue + "\r\nafter=1\r\n");
  std::string out;
  EXPECT_EQ(text.GetString("a", "long", "", (1u << 20) + 1, out), 1u << 20);
  EXPECT_EQ(out, longValue);
  EXPECT_EQ(text.GetString("a", "after", "", 16, out), 1u);
  EXPECT_EQ(out, "1");
  // A buffer shorter than the value gets its start, as the API cuts it.
  EXPECT_EQ(text.GetString("a", "long", "", 10, out), 9u);
  EXPECT_EQ(out, std::string(9, 'x'));
  EXPECT_TRUE(text.SetValue("a", "long", longValue + "y"));
  EXPECT_EQ(text.Bytes(), "[a]\r\nlong=" + longValue + "y\r\nafter=1\r\n");
}

}  // namespace
}  // namespace vlx::prefix
