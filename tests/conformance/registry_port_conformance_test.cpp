// The registry port itself, below RegStore: the Win32 shapes the offline adapter must copy.
#include <vector>

#include "conformance/conformance_test.h"

namespace vlx::conformance {
namespace {

class RegistryPortConformance : public ConformanceTest {
 protected:
  RegistryPortConformance() { EXPECT_EQ(reg.CreateKey(regroot::CurrentUser, kScratchKey, key), 0); }
  ~RegistryPortConformance() override { reg.CloseKey(key); }

  long Set(const std::string& name, std::uint32_t type, const std::string& data) {
    return reg.SetValue(key, name, type, reinterpret_cast<const unsigned char*>(data.data()),
                        static_cast<std::uint32_t>(data.size()));
  }

  Registry& reg = *platform_.registry;
  RegKey key = 0;
};

// Every type keeps the bytes it was given, but for REG_SZ on the 9x family: there the size is
// ignored and the text is stored up to its first zero, with one terminator.
TEST_F(RegistryPortConformance, EveryValueTypeKeepsItsExactBytes) {
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string data;
    std::string nineX = "same";  // what the 9x family stores, where it differs
  } cases[] = {
      {"Текст", regtype::Sz, std::string("Значение ё\0", 12), std::string("Значение ё", 11)},
      {"Embedded", regtype::Sz, std::string("ab\0cd\0", 6), std::string("ab", 3)},
      {"Expand", regtype::ExpandSz, std::string("%SystemRoot%\\Ж\0", 16)},
      {"Multi", regtype::MultiSz, std::string("один\0two\0\0", 10)},
      {"Binary", regtype::Binary, std::string("\0\xff\x80\x01", 4)},
      {"Empty", regtype::Binary, ""},
      {"Dword", regtype::Dword, std::string("\x78\x56\x34\x12", 4)},
      {"None", regtype::None, "raw"},
      {"Custom", 0x20, std::string("\1\2\3", 3)},
      {"", regtype::Sz, std::string("default\0", 8)},
  };
  const bool nineX = NineXFamily();
  for (const auto& c : cases) ASSERT_EQ(Set(c.name, c.type, c.data), winerr::Success) << c.name;
  for (const auto& c : cases) {
    const std::string& expected = nineX && c.nineX != "same" ? c.nineX : c.data;
    std::uint32_t type = 99, size = 0;
    ASSERT_EQ(reg.QueryValue(key, c.name, &type, nullptr, &size), winerr::Success) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    EXPECT_EQ(size, expected.size()) << c.name;
    std::string data(size, '?');
    EXPECT_EQ(reg.QueryValue(key, c.name, &type,
                             reinterpret_cast<unsigned char*>(data.data()), &size),
              winerr::Success);
    EXPECT_EQ(data.substr(0, size), expected) << c.name;
  }
}

TEST_F(RegistryPortConformance, QueryValueSizesAndMissingValues) {
  ASSERT_EQ(Set("Long", regtype::Binary, "123456"), winerr::Success);
  unsigned char small[4] = {};
  std::uint32_t type = 0, size = sizeof small;
  EXPECT_EQ(reg.QueryValue(key, "Long", &type, small, &size), winerr::MoreData);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, regtype::Binary);
  size = 4;
  EXPECT_EQ(reg.QueryValue(key, "Absent", &type, small, &size), winerr::FileNotFound);
  EXPECT_EQ(reg.DeleteValue(key, "Absent"), winerr::FileNotFound);
  RegKey missing = 0;
  EXPECT_EQ(reg.OpenKey(key, "Missing", missing), winerr::FileNotFound);
  EXPECT_EQ(reg.DeleteKey(key, "Missing"), winerr::FileNotFound);
  EXPECT_EQ(reg.CloseKey(regroot::CurrentUser), winerr::Success);
}

// The NT family refuses to delete a key that has subkeys; the 9x family deletes the whole tree.
// (Wine's 9x mode stops at a subkey whose name is longer than the one it enumerated before, as
// it does not reset its name buffer's size; the names here shorten in enumeration order.)
TEST_F(RegistryPortConformance, DeleteKeyOfAKeyWithSubkeys) {
  RegKey child = 0;
  ASSERT_EQ(reg.CreateKey(key, "Parent\\Longer\\Deep", child), winerr::Success);
  reg.CloseKey(child);
  ASSERT_EQ(reg.CreateKey(key, "Parent\\Short", child), winerr::Success);
  reg.CloseKey(child);
  if (NineXFamily()) {
    EXPECT_EQ(reg.DeleteKey(key, "PARENT"), winerr::Success);
    EXPECT_EQ(reg.OpenKey(key, "Parent\\Longer", child), winerr::FileNotFound);
    EXPECT_EQ(reg.OpenKey(key, "Parent", child), winerr::FileNotFound);
    return;
  }
  EXPECT_NE(reg.DeleteKey(key, "Parent"), winerr::Success);
  EXPECT_EQ(reg.OpenKey(key, "Parent\\Longer\\Deep", child), winerr::Success);
  reg.CloseKey(child);
  for (const char* leaf : {"Parent\\Longer\\Deep", "Parent\\Longer", "Parent\\Short"})
    EXPECT_EQ(reg.DeleteKey(key, leaf), winerr::Success) << leaf;
  EXPECT_EQ(reg.DeleteKey(key, "PARENT"), winerr::Success);
  EXPECT_EQ(reg.OpenKey(key, "Parent", child), winerr::FileNotFound);
}

TEST_F(RegistryPortConformance, EnumerationAndKeyInfo) {
  ASSERT_EQ(Set("b", regtype::Sz, std::string("1\0", 2)), winerr::Success);
  ASSERT_EQ(Set("LongerName", regtype::Binary, "12345678"), winerr::Success);
  ASSERT_EQ(Set("a", regtype::Dword, std::string("\1\0\0\0", 4)), winerr::Success);
  for (const char* name : {"kb", "Ka", "LongestSubkey"}) {
    RegKey sub = 0;
    ASSERT_EQ(reg.CreateKey(key, name, sub), winerr::Success);
    reg.CloseKey(sub);
  }
  RegKeyInfo info;
  ASSERT_EQ(reg.QueryInfoKey(key, info), winerr::Success);
  EXPECT_EQ(info.subkeys, 3u);
  EXPECT_EQ(info.maxSubkeyLen, 13u);
  EXPECT_EQ(info.values, 3u);
  EXPECT_EQ(info.maxValueNameLen, 10u);
  EXPECT_EQ(info.maxValueLen, 8u);

  // Subkeys come sorted without regard to case; values too, except in 9x hive files, which
  // keep them in creation order.
  std::vector<std::string> names;
  std::string name, data;
  std::uint32_t type = 0;
  for (std::uint32_t i = 0; reg.EnumValue(key, i, name, type, data) == winerr::Success; ++i)
    names.push_back(name + ":" + std::to_string(type) + ":" + std::to_string(data.size()));
  if (machine_->ValuesInCreationOrder())
    EXPECT_THAT(names, ::testing::ElementsAre("b:1:2", "LongerName:3:8", "a:4:4"));
  else
    EXPECT_THAT(names, ::testing::ElementsAre("a:4:4", "b:1:2", "LongerName:3:8"));
  EXPECT_EQ(reg.EnumValue(key, 3, name, type, data), winerr::NoMoreItems);
  names.clear();
  for (std::uint32_t i = 0; reg.EnumKey(key, i, name) == winerr::Success; ++i) names.push_back(name);
  EXPECT_THAT(names, ::testing::ElementsAre("Ka", "kb", "LongestSubkey"));
  EXPECT_EQ(reg.EnumKey(key, 3, name), winerr::NoMoreItems);
}

}  // namespace
}  // namespace vlx::conformance
