// RegStore against a real registry: the same assertions hold under Wine and on the machine image.
#include <array>
#include <vector>

#include "conformance/conformance_test.h"
#include "store/reg_store.h"
#include "store/store_routine.h"

namespace vlx::conformance {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const std::string kScratch = std::string("\\") + kScratchKey;

struct RawValue {
  long rc = -1;
  std::uint32_t type = 0;
  std::string data;
};

class RegStoreConformance : public ConformanceTest {
 protected:
  Registry& registry() { return *platform_.registry; }

  bool KeyExists(RegKey root, const std::string& path) {
    RegKey key = 0;
    if (registry().OpenKey(root, path, key) != winerr::Success) return false;
    registry().CloseKey(key);
    return true;
  }

  // The value exactly as the platform stores it, read without RegStore.
  RawValue Raw(RegKey root, const std::string& path, const std::string& name) {
    RawValue value;
    RegKey key = 0;
    value.rc = registry().OpenKey(root, path, key);
    if (value.rc != winerr::Success) return value;
    std::uint32_t size = 0;
    value.rc = registry().QueryValue(key, name, &value.type, nullptr, &size);
    if (value.rc == winerr::Success) {
      value.data.assign(size, '\0');
      value.rc = registry().QueryValue(key, name, &value.type,
                                       reinterpret_cast<unsigned char*>(value.data.data()), &size);
      value.data.resize(size);
    }
    registry().CloseKey(key);
    return value;
  }

  void SetRaw(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
              const std::string& data) {
    RegKey key = 0;
    ASSERT_EQ(registry().CreateKey(root, path, key), winerr::Success) << path;
    EXPECT_EQ(registry().SetValue(key, name, type,
                                  reinterpret_cast<const unsigned char*>(data.data()),
                                  static_cast<std::uint32_t>(data.size())),
              winerr::Success);
    registry().CloseKey(key);
  }

  // A store opened (with creation) on the scratch key of HKEY_CURRENT_USER.
  std::unique_ptr<RegStore> OpenScratch(const std::string& sub = "") {
    auto store = std::make_unique<RegStore>(registry());
    store->SetRoot(regroot::CurrentUser);
    EXPECT_TRUE(store->OpenPath(sub.empty() ? kScratch : kScratch + "\\" + sub, true));
    return store;
  }
};

TEST_F(RegStoreConformance, FreshStoreStartsAtCurrentUserWithNoKey) {
  RegStore store(registry());
  EXPECT_EQ(store.Root(), regroot::CurrentUser);
  EXPECT_FALSE(store.HasCurrentKey());
  EXPECT_EQ(store.CurrentPath(), "");
}

TEST_F(RegStoreConformance, OpenPathWithCreateMakesEveryMissingKeyAlongThePath) {
  RegStore store(registry());
  EXPECT_TRUE(store.OpenPath(kScratch + "\\One\\Two\\Three", true));
  EXPECT_EQ(store.CurrentPath(), kScratch + "\\One\\Two\\Three");
  EXPECT_TRUE(KeyExists(regroot::CurrentUser, std::string(kScratchKey) + "\\One"));
  EXPECT_TRUE(KeyExists(regroot::CurrentUser, std::string(kScratchKey) + "\\One\\Two\\Three"));
}

TEST_F(RegStoreConformance, OpenPathWithoutCreateFailsOnMissingKeyAndChangesNothing) {
  auto store = OpenScratch("Existing");
  EXPECT_FALSE(store->OpenPath(kScratch + "\\Missing\\Deeper", false));
  EXPECT_FALSE(store->OpenPath("Missing", false));
  EXPECT_EQ(store->CurrentPath(), kScratch + "\\Existing");
  EXPECT_TRUE(store->HasCurrentKey());
  EXPECT_FALSE(KeyExists(regroot::CurrentUser, std::string(kScratchKey) + "\\Missing"));
  // The key that stayed current still works.
  store->WriteText("Alive", "yes");
  EXPECT_EQ(store->ReadText("Alive"), "yes");
}

TEST_F(RegStoreConformance, RelativePathsGoBelowTheCurrentKeyAndAbsoluteOnesFromTheRoot) {
  RegStore store(registry());
  // Without a current key a path without a backslash is taken from the root.
  EXPECT_TRUE(store.OpenPath(std::string(kScratchKey), true));
  EXPECT_EQ(store.CurrentPath(), kScratchKey);
  EXPECT_TRUE(store.OpenPath("Child\\Grandchild", true));
  EXPECT_EQ(store.CurrentPath(), std::string(kScratchKey) + "\\Child\\Grandchild");
  store.WriteText("Where", "grandchild");
  EXPECT_TRUE(KeyExists(regroot::CurrentUser, std::string(kScratchKey) + "\\Child\\Grandchild"));
  // A leading backslash starts at the root even while a key is current.
  EXPECT_TRUE(store.OpenPath(kScratch + "\\Child", false));
  EXPECT_EQ(store.CurrentPath(), kScratch + "\\Child");
  EXPECT_TRUE(store.OpenPath("Grandchild", false));
  EXPECT_EQ(store.ReadText("Where"), "grandchild");
  // ClosePath forgets the key; relative paths then start at the root again.
  store.ClosePath();
  EXPECT_FALSE(store.HasCurrentKey());
  EXPECT_EQ(store.CurrentPath(), "");
  EXPECT_FALSE(store.OpenPath("Grandchild", false));
  EXPECT_TRUE(store.OpenPath(std::string(kScratchKey) + "\\Child\\Grandchild", false));
}

TEST_F(RegStoreConformance, OpenPathWithCreateAndEmptyPathOpensTheRootAndCreatesNothing) {
  SetRaw(regroot::CurrentUser, std::string(kScratchKey) + "\\Marker", "", regtype::Sz,
         std::string("x", 2));
  RegStore store(registry());
  std::vector<std::string> before;
  store.ListSubkeys(before);
  EXPECT_TRUE(store.OpenPath("", true));
  EXPECT_TRUE(store.HasCurrentKey());
  EXPECT_EQ(store.CurrentPath(), "");
  std::vector<std::string> after;
  store.ListSubkeys(after);
  EXPECT_EQ(after, before);
  // The opened key is the root itself: paths below it resolve.
  EXPECT_TRUE(store.HasKey(std::string(kScratchKey) + "\\Marker"));
  EXPECT_TRUE(store.OpenPath(std::string(kScratchKey) + "\\Marker", false));
}

TEST_F(RegStoreConformance, SetRootClosesTheCurrentKeyOnlyWhenTheRootChanges) {
  auto store = OpenScratch();
  store->SetRoot(regroot::CurrentUser);
  EXPECT_TRUE(store->HasCurrentKey());
  EXPECT_EQ(store->CurrentPath(), kScratch);
  store->SetRoot(regroot::LocalMachine);
  EXPECT_EQ(store->Root(), regroot::LocalMachine);
  EXPECT_FALSE(store->HasCurrentKey());
  EXPECT_EQ(store->CurrentPath(), "");
}

TEST_F(RegStoreConformance, LocalMachineAndClassesRootAreSeparateRoots) {
  RegStore machine(registry());
  machine.SetRoot(regroot::LocalMachine);
  ASSERT_TRUE(machine.OpenPath(kScratch, true));
  machine.WriteNumber("Where", 2);
  EXPECT_FALSE(KeyExists(regroot::CurrentUser, kScratchKey));
  EXPECT_EQ(Raw(regroot::LocalMachine, kScratchKey, "Where").type, regtype::Dword);

  // HKEY_CLASSES_ROOT shows HKEY_LOCAL_MACHINE\Software\Classes.
  SetRaw(regroot::LocalMachine, kScratchClassKey, "", regtype::Sz, std::string("Test file", 10));
  RegStore classes(registry());
  classes.SetRoot(regroot::ClassesRoot);
  const std::string classKey = std::string(kScratchClassKey).substr(sizeof "Software\\Classes");
  ASSERT_TRUE(classes.OpenPath("\\" + classKey, false));
  EXPECT_EQ(classes.ReadText(""), "Test file");
  classes.WriteText("Added", "through the view");
  EXPECT_EQ(Raw(regroot::LocalMachine, kScratchClassKey, "Added").data,
            std::string("through the view", 17));
}

TEST_F(RegStoreConformance, TextValuesRoundTripAsRegSzWithTheFinalZero) {
  auto store = OpenScratch();
  const std::string cyrillic = "Привет, мир! Ёё";
  store->WriteText("Имя", cyrillic);
  store->WriteText("", "default value");
  store->WriteText("Empty", "");
  EXPECT_EQ(store->ReadText("Имя"), cyrillic);
  EXPECT_EQ(store->ReadText("ИМЯ"), cyrillic);  // value names ignore letter case
  EXPECT_EQ(store->ReadText(""), "default value");
  EXPECT_EQ(store->ReadText("Empty"), "");
  const RawValue raw = Raw(regroot::CurrentUser, kScratchKey, "Имя");
  EXPECT_EQ(raw.type, regtype::Sz);
  EXPECT_EQ(raw.data, cyrillic + '\0');
}

TEST_F(RegStoreConformance, ReadTextOfAbsentEmptyExpandAndForeignValues) {
  auto store = OpenScratch();
  SetRaw(regroot::CurrentUser, kScratchKey, "Expand", regtype::ExpandSz,
         std::string("%windir%\\x", 11));
  SetRaw(regroot::CurrentUser, kScratchKey, "Embedded", regtype::Sz, std::string("ab\0cd", 6));
  SetRaw(regroot::CurrentUser, kScratchKey, "NoZero", regtype::Sz, "abc");
  SetRaw(regroot::CurrentUser, kScratchKey, "ZeroBytes", regtype::Binary, "");
  SetRaw(regroot::CurrentUser, kScratchKey, "Dword", regtype::Dword, std::string("\1\0\0\0", 4));
  SetRaw(regroot::CurrentUser, kScratchKey, "Binary", regtype::Binary, "\1\2");
  EXPECT_EQ(store->ReadText("Absent"), "");
  EXPECT_EQ(store->ReadText("Expand"), "%windir%\\x");  // not expanded
  EXPECT_EQ(store->ReadText("Embedded"), "ab");
  EXPECT_EQ(store->ReadText("NoZero"), "abc");
  EXPECT_EQ(store->ReadText("ZeroBytes"), "");  // size 0 counts as empty, whatever its type
  EXPECT_STORE_ERROR(store->ReadText("Dword"), "Invalid data type for 'Dword'");
  EXPECT_STORE_ERROR(store->ReadText("Binary"), "Invalid data type for 'Binary'");
}

TEST_F(RegStoreConformance, NumbersAreFourByteLittleEndianDwords) {
  auto store = OpenScratch();
  store->WriteNumber("Positive", 0x12345678);
  store->WriteNumber("Negative", -2);
  EXPECT_EQ(store->ReadNumber("Positive"), 0x12345678);
  EXPECT_EQ(store->ReadNumber("Negative"), -2);
  const RawValue raw = Raw(regroot::CurrentUser, kScratchKey, "Positive");
  EXPECT_EQ(raw.type, regtype::Dword);
  EXPECT_EQ(raw.data, std::string("\x78\x56\x34\x12", 4));
}

TEST_F(RegStoreConformance, ReadNumberFailures) {
  auto store = OpenScratch();
  SetRaw(regroot::CurrentUser, kScratchKey, "Text4", regtype::Sz, std::string("abc", 4));
  SetRaw(regroot::CurrentUser, kScratchKey, "Text6", regtype::Sz, std::string("hello", 6));
  SetRaw(regroot::CurrentUser, kScratchKey, "Binary4", regtype::Binary, "\1\0\0\0");
  SetRaw(regroot::CurrentUser, kScratchKey, "Short", regtype::Dword, "\1\2");
  EXPECT_STORE_ERROR(store->ReadNumber("Absent"), "Failed to get data for 'Absent'");
  // Data longer than the 4-byte buffer fails the query itself.
  EXPECT_STORE_ERROR(store->ReadNumber("Text6"), "Failed to get data for 'Text6'");
  EXPECT_STORE_ERROR(store->ReadNumber("Text4"), "Invalid data type for 'Text4'");
  EXPECT_STORE_ERROR(store->ReadNumber("Binary4"), "Invalid data type for 'Binary4'");
  // A short REG_DWORD reads what is there, the rest of the buffer staying zero.
  EXPECT_EQ(store->ReadNumber("Short"), 0x0201);
}

TEST_F(RegStoreConformance, BytesRoundTripWithExactlyTheGivenSize) {
  auto store = OpenScratch();
  const unsigned char flag[4] = {1, 0, 0, 0};
  store->WriteBytes("NoRun", flag, 4);
  const RawValue raw = Raw(regroot::CurrentUser, kScratchKey, "NoRun");
  EXPECT_EQ(raw.type, regtype::Binary);
  EXPECT_EQ(raw.data, std::string("\1\0\0\0", 4));

  std::array<unsigned char, 4> buffer{9, 9, 9, 9};
  EXPECT_EQ(store->ReadBytes("NoRun", buffer.data(), 4), 4u);
  EXPECT_EQ(buffer, (std::array<unsigned char, 4>{1, 0, 0, 0}));

  SetRaw(regroot::CurrentUser, kScratchKey, "Two", regtype::Binary, "\7\7");
  buffer = {9, 9, 9, 9};
  EXPECT_EQ(store->ReadBytes("Two", buffer.data(), 4), 2u);
  EXPECT_EQ(buffer, (std::array<unsigned char, 4>{7, 7, 9, 9}));
}

TEST_F(RegStoreConformance, ReadBytesOfAbsentForeignAndLongerValues) {
  auto store = OpenScratch();
  store->WriteNumber("Dword", 1);
  SetRaw(regroot::CurrentUser, kScratchKey, "Long", regtype::Binary, "12345678");
  store->WriteText("Text", "1");
  std::array<unsigned char, 4> buffer{9, 8, 7, 6};
  EXPECT_EQ(store->ReadBytes("Absent", buffer.data(), 4), 0u);
  EXPECT_EQ(buffer, (std::array<unsigned char, 4>{9, 8, 7, 6}));
  EXPECT_STORE_ERROR(store->ReadBytes("Dword", buffer.data(), 4), "Invalid data type for 'Dword'");
  EXPECT_STORE_ERROR(store->ReadBytes("Long", buffer.data(), 4), "Invalid data type for 'Long'");
  EXPECT_STORE_ERROR(store->ReadBytes("Text", buffer.data(), 4), "Invalid data type for 'Text'");
  EXPECT_EQ(buffer, (std::array<unsigned char, 4>{9, 8, 7, 6}));
}

TEST_F(RegStoreConformance, HasValueAndRemoveValue) {
  auto store = OpenScratch();
  store->WriteNumber("Number", 0);
  store->WriteText("", "");
  SetRaw(regroot::CurrentUser, kScratchKey, "Multi", regtype::MultiSz, std::string("a\0\0", 3));
  EXPECT_TRUE(store->HasValue("Number"));
  EXPECT_TRUE(store->HasValue("NUMBER"));
  EXPECT_TRUE(store->HasValue(""));
  EXPECT_TRUE(store->HasValue("Multi"));
  EXPECT_FALSE(store->HasValue("Absent"));
  EXPECT_TRUE(store->RemoveValue("number"));
  EXPECT_FALSE(store->HasValue("Number"));
  EXPECT_FALSE(store->RemoveValue("Number"));
  EXPECT_FALSE(store->RemoveValue("Absent"));
}

TEST_F(RegStoreConformance, HasKeyLeavesTheCurrentKeyAlone) {
  auto store = OpenScratch("Настройки\\Вложенный");
  ASSERT_TRUE(store->OpenPath(kScratch, false));
  EXPECT_TRUE(store->HasKey("Настройки"));
  EXPECT_TRUE(store->HasKey("НАСТРОЙКИ\\вложенный"));  // Cyrillic letter case ignored
  EXPECT_TRUE(store->HasKey(kScratch + "\\Настройки"));
  EXPECT_FALSE(store->HasKey("Missing"));
  EXPECT_FALSE(store->HasKey(kScratch + "\\Missing"));
  EXPECT_EQ(store->CurrentPath(), kScratch);
  store->WriteText("Still", "here");
  EXPECT_EQ(Raw(regroot::CurrentUser, kScratchKey, "Still").data, std::string("here", 5));
}

TEST_F(RegStoreConformance, KeyNamesKeepTheCaseTheyWereCreatedWith) {
  auto store = OpenScratch("MixedCase");
  ASSERT_TRUE(store->OpenPath(kScratch + "\\MIXEDCASE", true));
  ASSERT_TRUE(store->OpenPath(kScratch, false));
  std::vector<std::string> names;
  store->ListSubkeys(names);
  EXPECT_THAT(names, ElementsAre("MixedCase"));
}

TEST_F(RegStoreConformance, RemoveKeyTreeRemovesNestedSubkeys) {
  auto store = OpenScratch("Tree\\A\\B\\C");
  ASSERT_TRUE(store->OpenPath(kScratch + "\\Tree\\A\\D", true));
  store->WriteText("Leaf", "1");
  ASSERT_TRUE(store->OpenPath(kScratch + "\\Tree\\Ещё", true));
  store->WriteNumber("N", 1);
  ASSERT_TRUE(store->OpenPath(kScratch + "\\Keep", true));

  EXPECT_TRUE(store->RemoveKeyTree(kScratch + "\\Tree"));
  EXPECT_FALSE(KeyExists(regroot::CurrentUser, std::string(kScratchKey) + "\\Tree"));
  EXPECT_TRUE(KeyExists(regroot::CurrentUser, std::string(kScratchKey) + "\\Keep"));
  // The current key is unchanged and still usable.
  EXPECT_EQ(store->CurrentPath(), kScratch + "\\Keep");
  store->WriteText("After", "yes");
  EXPECT_EQ(Raw(regroot::CurrentUser, std::string(kScratchKey) + "\\Keep", "After").data,
            std::string("yes", 4));
}

TEST_F(RegStoreConformance, RemoveKeyTreeRelativeToTheCurrentKey) {
  auto store = OpenScratch("Parent\\Sub\\Deep");
  ASSERT_TRUE(store->OpenPath(kScratch + "\\Parent", false));
  EXPECT_TRUE(store->RemoveKeyTree("Sub"));
  EXPECT_FALSE(store->HasKey("Sub"));
  EXPECT_TRUE(KeyExists(regroot::CurrentUser, std::string(kScratchKey) + "\\Parent"));
  EXPECT_EQ(store->CurrentPath(), kScratch + "\\Parent");
}

TEST_F(RegStoreConformance, RemoveKeyTreeOfAMissingKeyReturnsFalse) {
  auto store = OpenScratch();
  EXPECT_FALSE(store->RemoveKeyTree(kScratch + "\\Missing"));
  EXPECT_FALSE(store->RemoveKeyTree("Missing\\Deeper"));
  EXPECT_TRUE(store->HasCurrentKey());
}

TEST_F(RegStoreConformance, ListSubkeysInThePlatformOrder) {
  auto store = OpenScratch();
  // Created out of order; the registry enumerates subkeys sorted by their lower-case code
  // points ("_" before letters, "Ё" after "я"), as Wine keeps them.
  for (const char* name : {"beta", "Alpha", "гамма", "Бета", "10", "9", "alpha2", "_x", "Ёж", "яма"})
    ASSERT_TRUE(store->OpenPath(kScratch + "\\" + name, true));
  ASSERT_TRUE(store->OpenPath(kScratch, false));
  std::vector<std::string> names{"stale"};
  store->ListSubkeys(names);
  EXPECT_THAT(names, ElementsAreArray({"10", "9", "_x", "Alpha", "alpha2", "beta", "Бета", "гамма",
                                       "яма", "Ёж"}));
  ASSERT_TRUE(store->OpenPath("beta", false));
  store->ListSubkeys(names);
  EXPECT_THAT(names, IsEmpty());
}

TEST_F(RegStoreConformance, ListSubkeysWithoutACurrentKeyListsTheRoot) {
  OpenScratch();
  RegStore store(registry());
  std::vector<std::string> names;
  store.ListSubkeys(names);
  EXPECT_THAT(names, ::testing::Contains("Software"));
}

TEST_F(RegStoreConformance, WriteSubkeyTextCreatesTheSubkeyAndKeepsTheCurrentKey) {
  auto store = OpenScratch();
  store->WriteSubkeyText("Shell\\Open", "", "Открыть");
  store->WriteSubkeyText("Shell\\Open", "Extra", "x");
  EXPECT_EQ(store->CurrentPath(), kScratch);
  const RawValue raw = Raw(regroot::CurrentUser, std::string(kScratchKey) + "\\Shell\\Open", "");
  EXPECT_EQ(raw.type, regtype::Sz);
  EXPECT_EQ(raw.data, std::string("Открыть") + '\0');
  // Later writes still go to the current key, not the subkey.
  store->WriteText("Own", "1");
  EXPECT_EQ(Raw(regroot::CurrentUser, kScratchKey, "Own").rc, winerr::Success);
  EXPECT_NE(Raw(regroot::CurrentUser, std::string(kScratchKey) + "\\Shell\\Open", "Own").rc,
            winerr::Success);

  // Without a current key the subkey is taken below the root.
  RegStore fresh(registry());
  fresh.WriteSubkeyText(std::string(kScratchKey) + "\\FromRoot", "Name", "v");
  EXPECT_EQ(Raw(regroot::CurrentUser, std::string(kScratchKey) + "\\FromRoot", "Name").data,
            std::string("v", 2));
  EXPECT_FALSE(fresh.HasCurrentKey());
}

TEST_F(RegStoreConformance, OperationsOnADeletedCurrentKeyReportTheirErrors) {
  auto store = OpenScratch("Doomed");
  store->WriteNumber("N", 1);
  {
    RegStore other(registry());
    ASSERT_TRUE(other.RemoveKeyTree(kScratch + "\\Doomed"));
  }
  EXPECT_STORE_ERROR(store->WriteText("T", "x"), "Failed to set data for 'T'");
  EXPECT_STORE_ERROR(store->WriteNumber("N", 2), "Failed to set data for 'N'");
  const unsigned char bytes[4] = {1, 0, 0, 0};
  EXPECT_STORE_ERROR(store->WriteBytes("B", bytes, 4), "Failed to set data for 'B'");
  EXPECT_STORE_ERROR(store->ReadNumber("N"), "Failed to get data for 'N'");
  EXPECT_STORE_ERROR(store->WriteSubkeyText("Sub", "V", "x"), "Failed to create key Sub");
  EXPECT_EQ(store->ReadText("N"), "");
  EXPECT_FALSE(store->HasValue("N"));
  EXPECT_FALSE(store->RemoveValue("N"));
  std::vector<std::string> names{"stale"};
  store->ListSubkeys(names);
  EXPECT_THAT(names, IsEmpty());
  EXPECT_FALSE(KeyExists(regroot::CurrentUser, std::string(kScratchKey) + "\\Doomed"));
}

TEST_F(RegStoreConformance, LoadRoutineOnAMissingKeyCreatesNothing) {
  bool fellBack = false;
  const bool ok = RunRegistryRule(
      registry(), regroot::LocalMachine,
      [&](RegStore& store) {
        if (!store.OpenPath(kScratch + "\\Policies\\Explorer", false)) return;
        store.ReadNumber("NoRun");
      },
      [&] { fellBack = true; });
  EXPECT_TRUE(ok);
  EXPECT_FALSE(fellBack);
  EXPECT_FALSE(KeyExists(regroot::LocalMachine, kScratchKey));

  // A foreign value type raises inside the rule: swallowed, the fallback runs, the key is
  // closed and the store released.
  SetRaw(regroot::LocalMachine, kScratchKey, "Flag", regtype::Dword, std::string(4, '\0'));
  const bool failed = RunRegistryRule(
      registry(), regroot::LocalMachine,
      [&](RegStore& store) {
        ASSERT_TRUE(store.OpenPath(kScratch, false));
        unsigned char buffer[4] = {};
        store.ReadBytes("Flag", buffer, 4);
      },
      [&] { fellBack = true; });
  EXPECT_FALSE(failed);
  EXPECT_TRUE(fellBack);
}

}  // namespace
}  // namespace vlx::conformance
