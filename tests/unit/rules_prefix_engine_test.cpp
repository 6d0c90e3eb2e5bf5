// The rule kinds against the offline registry: each stored form loads as the kind says, both
// states apply, and what is applied is in the hive files after a save.
#include <gtest/gtest.h>

#include <functional>

#include "path_temp_dir.h"
#include "prefix/prefix_registry.h"
#include "rules/rule_engine.h"
#include "store/store_routine.h"
#include "unit/rules_fakes.h"

namespace vlx {
namespace {

constexpr RegKey HKLM = regroot::LocalMachine;
constexpr RegKey HKCU = regroot::CurrentUser;

// An offline machine whose hives start empty.
struct Hives {
  testing::TempDir dir;
  std::unique_ptr<prefix::PrefixRegistry> registry = Open();
  std::unique_ptr<prefix::PrefixRegistry> Open() {
    return std::make_unique<prefix::PrefixRegistry>(dir.path() / "system.reg",
                                                    dir.path() / "user.reg");
  }
  // Saves and reads the hive files afresh.
  void Reopen() {
    registry->Save();
    registry = Open();
  }
  void Store(const TweakRule& rule, const std::function<void(RegStore&)>& write) {
    RunStoreRoutine(*registry, rule.root, [&](RegStore& store) {
      ASSERT_TRUE(store.OpenPath(rule.keyPath, true));
      write(store);
    });
  }
  // Type and data of the rule's value; type 0 when absent.
  std::pair<std::uint32_t, std::string> Read(const TweakRule& rule) {
    RegKey key = 0;
    if (registry->OpenKey(rule.root, rule.keyPath.substr(1), key) != winerr::Success) return {};
    std::uint32_t type = 0, size = 64;
    std::string data(size, '\0');
    const long rc = registry->QueryValue(key, rule.valueName, &type,
                                         reinterpret_cast<unsigned char*>(data.data()), &size);
    registry->CloseKey(key);
    if (rc != winerr::Success) return {};
    data.resize(size);
    return {type, data};
  }
};

const std::string kOne("\1\0\0\0", 4);
auto Bytes(std::string b) {
  return [b](RegStore& s) { s.WriteBytes("v", b.data(), static_cast<std::uint32_t>(b.size())); };
}
auto Number(std::int32_t n) {
  return [n](RegStore& s) { s.WriteNumber("v", n); };
}
auto Text(std::string t) {
  return [t](RegStore& s) { s.WriteText("v", t); };
}
auto KeyOnly() {
  return [](RegStore&) {};
}

TweakRule Make(RegKey root, RuleKind kind) {
  return Rule({"box"}, root, "\\Software\\Test\\Key", "v", std::move(kind));
}

struct LoadCase {
  const char* what;
  TweakRule rule;
  std::function<void(RegStore&)> stored;  // empty: the key is absent
  bool initial;
  bool expected;
};

TEST(PrefixRules, EveryKindLoadsEachStoredForm) {
  const TweakRule flag = Make(HKLM, PolicyFlag{});
  const TweakRule dwordFlag = Make(HKLM, PolicyFlag{Storage::Dword, 1});
  const TweakRule marker = Make(HKCU, MarkerValue{.storage = Storage::Text,
                                                  .marker = StoredValue::Text("dddd 'г.'")});
  const TweakRule twoState = Make(
      regroot::ClassesRoot, TwoStateValue{.storage = Storage::Binary,
                                          .on = StoredValue::Number(0x20000170),
                                          .off = StoredValue::Number(0x20000140),
                                          .referenceIsOn = false});
  const LoadCase cases[] = {
      {"flag: absent key", flag, nullptr, false, true},
      {"flag: absent value", flag, KeyOnly(), false, true},
      {"flag: binary 1", flag, Bytes(kOne), true, false},
      {"flag: binary 2", flag, Bytes(std::string("\2\0\0\0", 4)), true, false},
      {"flag: 8 bytes", flag, Bytes(kOne + kOne), false, true},
      {"flag: dword 1", flag, Number(1), true, false},
      {"flag: dword 0", flag, Number(0), false, true},
      {"flag: text", flag, Text("1"), false, true},
      {"dword flag: dword 1", dwordFlag, Number(1), true, false},
      {"dword flag: binary 1", dwordFlag, Bytes(kOne), true, false},
      {"marker: absent key keeps", marker, nullptr, true, true},
      {"marker: equal", marker, Text("dddd 'г.'"), false, true},
      {"marker: other case", marker, Text("DDDD 'Г.'"), true, false},
      {"marker: dword", marker, Number(5), true, false},
      {"two-state: off value", twoState, Bytes(std::string("\x40\x01\x00\x20", 4)), true, false},
      {"two-state: other value", twoState, Bytes(std::string("\x50\x01\x00\x20", 4)), false, true},
      {"two-state: absent value", twoState, KeyOnly(), true, false},
  };
  for (const auto& c : cases) {
    Hives hives;
    if (c.stored) hives.Store(c.rule, c.stored);
    hives.Reopen();
    rulestest::FakeControls controls;
    Platform platform;
    platform.registry = hives.registry.get();
    RuleContext context{platform, controls};
    controls.checked["box"] = c.initial;
    LoadRule(c.rule, context);
    EXPECT_EQ(controls.checked["box"], c.expected) << c.what;
    if (!c.stored) {
      EXPECT_EQ(hives.Read(c.rule).first, 0u) << c.what;
    }
  }
}

TEST(PrefixRules, AppliedStatesReachTheHiveFiles) {
  struct ApplyCase {
    const char* what;
    TweakRule rule;
    bool checked;
    std::uint32_t type;  // 0: the value is absent afterwards
    std::string data;
    std::function<void(RegStore&)> before = Number(7);  // replaced or deleted
  };
  const TweakRule verb =
      Rule({"box"}, HKLM, "\\Software\\CLASSES\\Directory\\shell\\Sfc", "",
           ShellVerb{"&Проверка системных файлов", "Sfc.exe"});
  const ApplyCase cases[] = {
      {"flag unchecked", Make(HKLM, PolicyFlag{}), false, regtype::Binary, kOne, Number(0)},
      {"flag checked", Make(HKLM, PolicyFlag{}), true, 0, "", Bytes(kOne)},
      {"dword flag", Make(HKLM, PolicyFlag{Storage::Dword, 32}), false, regtype::Dword,
       std::string("\x20\0\0\0", 4), Number(0)},
      {"marker", Make(HKCU, MarkerValue{.marker = StoredValue::Text("Дата 'г.'")}), true,
       regtype::Sz, std::string("Дата 'г.'") + '\0'},
      {"two-state off", Make(HKCU, TwoStateValue{.storage = Storage::Text,
                                                 .on = StoredValue::Text("1"),
                                                 .off = StoredValue::Text("0")}),
       false, regtype::Sz, std::string("0") + '\0', Text("1")},
      {"verb caption", verb, true, regtype::Sz, std::string("&Проверка системных файлов") + '\0'},
  };
  for (const auto& c : cases) {
    Hives hives;
    hives.Store(c.rule, c.before);
    rulestest::FakeControls controls;
    Platform platform;
    platform.registry = hives.registry.get();
    RuleContext context{platform, controls};
    controls.checked["box"] = c.checked;
    ApplyRule(c.rule, context);
    hives.Reopen();
    const auto [type, data] = hives.Read(c.rule);
    EXPECT_EQ(type, c.type) << c.what;
    if (c.type != 0) {
      EXPECT_EQ(data, c.data) << c.what;
    }
  }

  // The verb's command lands under HKEY_CLASSES_ROOT, and unchecking removes the whole verb.
  Hives hives;
  rulestest::FakeControls controls;
  Platform platform;
  platform.registry = hives.registry.get();
  RuleContext context{platform, controls};
  controls.checked["box"] = true;
  ApplyRule(verb, context);
  hives.Reopen();
  platform.registry = hives.registry.get();
  RegKey key = 0;
  ASSERT_EQ(hives.registry->OpenKey(regroot::ClassesRoot, "Directory\\shell\\Sfc\\command", key),
            winerr::Success);
  hives.registry->CloseKey(key);
  LoadRule(verb, context);
  EXPECT_TRUE(controls.checked["box"]);
  controls.checked["box"] = false;
  ApplyRule(verb, context);
  EXPECT_NE(hives.registry->OpenKey(HKLM, "Software\\CLASSES\\Directory\\shell\\Sfc", key),
            winerr::Success);
}

}  // namespace
}  // namespace vlx
