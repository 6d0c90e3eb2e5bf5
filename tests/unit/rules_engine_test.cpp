// Every rule kind loaded from each stored form and applied in both states, with the fallbacks.
#include <gtest/gtest.h>

#include "rules/master_switch.h"
#include "rules/rule_engine.h"
#include "unit/rules_fakes.h"

namespace vlx {
namespace {

using rulestest::FakeMachine;
using rulestest::FakeControls;

constexpr RegKey HKLM = regroot::LocalMachine;
constexpr RegKey HKCU = regroot::CurrentUser;
const std::string kPolicyKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\explorer";

std::string Bin(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}
std::string Dword(std::uint32_t v) { return Bin({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24)}); }
std::string Sz(const std::string& text) { return text + '\0'; }

// What is stored before a load: nothing, an empty key, or one value.
struct Stored {
  bool key = false;
  std::uint32_t type = regtype::None;
  std::string data;
};
const Stored kNoKey{false, regtype::None, {}};
const Stored kNoValue{true, regtype::None, {}};
Stored Value(std::uint32_t type, std::string data) { return {true, type, std::move(data)}; }

struct LoadCase {
  const char* what;
  Stored stored;
  LoadState expected;  // Unchanged: the control keeps its state
};

class RuleTest : public ::testing::Test {
 protected:
  FakeMachine machine;
  FakeControls controls;
  RuleContext context{machine.platform, controls};
  ControlRef box{"cbBox"};

  void Prepare(const TweakRule& rule, const Stored& stored) {
    if (!stored.key) return;
    const std::string key = rule.keyPath.substr(1);
    if (stored.type == regtype::None)
      machine.registry.MakeKey(rule.root, key);
    else
      machine.registry.Put(rule.root, key, rule.valueName, stored.type, stored.data);
  }
  // Loads each case twice, from a checked and from an unchecked control.
  void ExpectLoads(const TweakRule& rule, std::initializer_list<LoadCase> cases) {
    for (const auto& c : cases) {
      for (bool initial : {false, true}) {
        FakeMachine fresh;
        FakeControls ctl;
        RuleContext ctx{fresh.platform, ctl};
        ctl.checked[rulestest::FakeControls::Key(rule.control)] = initial;
        std::swap(machine.registry, fresh.registry);  // Prepare writes into `machine`
        Prepare(rule, c.stored);
        std::swap(machine.registry, fresh.registry);
        LoadRule(rule, ctx);
        const bool want = c.expected == LoadState::Unchanged ? initial
                                                             : c.expected == LoadState::Checked;
        EXPECT_EQ(ctl.Checked(rule.control), want) << c.what << " (from " << initial << ")";
        EXPECT_EQ(fresh.registry.OpenHandles(), 0u) << c.what;
        if (!c.stored.key) {
          EXPECT_FALSE(fresh.registry.KeyExists(rule.root, rule.keyPath.substr(1)))
              << c.what << ": a load created the key";
        }
      }
    }
  }
  const rulestest::FakeRegistry::Value* Saved(const TweakRule& rule) {
    return machine.registry.Get(rule.root, rule.keyPath.substr(1), rule.valueName);
  }
  void Apply(const TweakRule& rule, bool checked) {
    controls.checked[FakeControls::Key(rule.control)] = checked;
    ApplyRule(rule, context);
    EXPECT_EQ(machine.registry.OpenHandles(), 0u);
  }
};

TweakRule Flag(std::string value, Storage storage = Storage::Binary, std::uint32_t flag = 1,
               std::uint32_t testBits = kAllBits) {
  return {{"cbBox"}, HKLM, "\\" + kPolicyKey, std::move(value),
          PolicyFlag{storage, flag, testBits}};
}

TEST_F(RuleTest, PolicyFlagLoadsUncheckedWhileTheShellSeesTheFlag) {
  ExpectLoads(Flag("NoRun"), {
      {"absent key", kNoKey, LoadState::Checked},
      {"absent value", kNoValue, LoadState::Checked},
      {"binary 1", Value(regtype::Binary, Dword(1)), LoadState::Unchecked},
      {"binary 2", Value(regtype::Binary, Dword(2)), LoadState::Unchecked},
      {"binary 0", Value(regtype::Binary, Dword(0)), LoadState::Checked},
      {"binary of 2 bytes 01 00", Value(regtype::Binary, Bin({1, 0})), LoadState::Unchecked},
      {"binary of 8 bytes", Value(regtype::Binary, Dword(1) + Dword(0)), LoadState::Checked},
      {"dword 1", Value(regtype::Dword, Dword(1)), LoadState::Unchecked},
      {"text 1 (no number)", Value(regtype::Sz, Sz("1")), LoadState::Checked},
  });
  ExpectLoads(Flag("NoRun", Storage::Dword), {
      {"dword 1", Value(regtype::Dword, Dword(1)), LoadState::Unchecked},
      {"dword 3", Value(regtype::Dword, Dword(3)), LoadState::Unchecked},
      {"dword 0", Value(regtype::Dword, Dword(0)), LoadState::Checked},
      {"binary 1", Value(regtype::Binary, Dword(1)), LoadState::Unchecked},
  });
  ExpectLoads(Flag("NoRun", Storage::Binary, 32, 32), {
      {"flag 32 stored", Value(regtype::Binary, Dword(32)), LoadState::Unchecked},
      {"32 among other bits", Value(regtype::Binary, Dword(0xB5)), LoadState::Unchecked},
      {"other bits only", Value(regtype::Binary, Dword(0x95)), LoadState::Checked},
  });
}

TEST_F(RuleTest, PolicyFlagWritesTheFlagWhenUncheckedAndRemovesItWhenChecked) {
  const TweakRule rule = Flag("NoRun");
  Apply(rule, true);  // absent key: nothing to write, so no key is made
  EXPECT_FALSE(machine.registry.KeyExists(HKLM, kPolicyKey));
  EXPECT_EQ(Saved(rule), nullptr);

  Apply(rule, false);
  ASSERT_NE(Saved(rule), nullptr);
  EXPECT_EQ(Saved(rule)->type, regtype::Binary);
  EXPECT_EQ(Saved(rule)->data, Dword(1));

  Apply(rule, true);
  EXPECT_EQ(Saved(rule), nullptr);
  machine.registry.Put(HKLM, kPolicyKey, "NoRun", regtype::Dword, Dword(0));  // as other tools do
  Apply(rule, false);  // unchecked by the user: the rule's own form replaces the 0
  EXPECT_EQ(Saved(rule)->type, regtype::Binary);
  EXPECT_EQ(Saved(rule)->data, Dword(1));

  const TweakRule dword = Flag("NoClose", Storage::Dword, 32);
  Apply(dword, false);
  EXPECT_EQ(Saved(dword)->type, regtype::Dword);
  EXPECT_EQ(Saved(dword)->data, Dword(32));
}

TEST_F(RuleTest, FailuresAreSwallowedAndUnopenableKeysWriteNothing) {
  const TweakRule rule = Flag("NoRun");
  machine.registry.refuseKeys = true;
  Apply(rule, false);
  machine.registry.refuseKeys = false;
  EXPECT_FALSE(machine.registry.KeyExists(HKLM, kPolicyKey));

  machine.registry.refuseWrites = true;
  Apply(rule, false);  // the refused write ends the routine without leaving it
  EXPECT_EQ(Saved(rule), nullptr);
}

const std::string kLongDate = "dddd, d MMMM yyyy 'г.'";

TEST_F(RuleTest, MarkerValueLoadsByItsTestAndAbsentKeyState) {
  const TweakRule longDate{{"clb", 2}, HKCU, "\\Control Panel\\International", "sLongDate",
                           MarkerValue{.storage = Storage::Text, .marker = StoredValue::Text(kLongDate)}};
  ExpectLoads(longDate, {
      {"absent key: unchanged", kNoKey, LoadState::Unchanged},
      {"absent value", kNoValue, LoadState::Unchecked},
      {"the marker", Value(regtype::Sz, Sz(kLongDate)), LoadState::Checked},
      {"expandable text", Value(regtype::ExpandSz, Sz(kLongDate)), LoadState::Checked},
      {"other letter case", Value(regtype::Sz, Sz("DDDD, d MMMM yyyy 'г.'")), LoadState::Unchecked},
      {"without quotes", Value(regtype::Sz, Sz("dddd, d MMMM yyyy г.")), LoadState::Unchecked},
      {"dword (read failure)", Value(regtype::Dword, Dword(1)), LoadState::Unchecked},
  });

  const MarkerValue scroll{.storage = Storage::Text,
                           .marker = StoredValue::Text("False"),
                           .askFirst = true,
                           .absentKey = LoadState::Unchecked,
                           .checkedTexts = {"false", "no"}};
  const TweakRule scrolling{{"clb", 3}, HKLM,
                            "\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Advanced",
                            "StartMenuScrollPrograms", scroll};
  ExpectLoads(scrolling, {
      {"absent key", kNoKey, LoadState::Unchecked},
      {"absent value", kNoValue, LoadState::Unchecked},
      {"False", Value(regtype::Sz, Sz("False")), LoadState::Checked},
      {"True", Value(regtype::Sz, Sz("True")), LoadState::Unchecked},
      {"false", Value(regtype::Sz, Sz("false")), LoadState::Checked},
      {"No", Value(regtype::Sz, Sz("No")), LoadState::Checked},
      {"other text", Value(regtype::Sz, Sz("0")), LoadState::Unchecked},
  });

  const MarkerValue number{.storage = Storage::Binary, .marker = StoredValue::Number(1)};
  const TweakRule binary{{"cbBox"}, HKCU, "\\Software\\X", "Marker", number};
  ExpectLoads(binary, {
      {"binary marker", Value(regtype::Binary, Dword(1)), LoadState::Checked},
      {"binary other", Value(regtype::Binary, Dword(2)), LoadState::Unchecked},
      {"absent value", kNoValue, LoadState::Unchecked},
      {"dword marker", Value(regtype::Dword, Dword(1)), LoadState::Checked},
      {"text (read failure)", Value(regtype::Sz, Sz("1")), LoadState::Unchecked},
  });
}

TEST_F(RuleTest, MarkerValueWritesTheMarkerAndDeletesByItsMode) {
  const TweakRule longDate{{"clb", 2}, HKCU, "\\Control Panel\\International", "sLongDate",
                           MarkerValue{.storage = Storage::Text, .marker = StoredValue::Text(kLongDate)}};
  Apply(longDate, false);  // absent key: nothing written, nothing made
  EXPECT_FALSE(machine.registry.KeyExists(HKCU, "Control Panel\\International"));
  EXPECT_EQ(Saved(longDate), nullptr);
  Apply(longDate, true);
  EXPECT_EQ(Saved(longDate)->type, regtype::Sz);
  EXPECT_EQ(Saved(longDate)->data, Sz(kLongDate));
  Apply(longDate, false);
  EXPECT_EQ(Saved(longDate), nullptr);

  const MarkerValue icons{
      .storage = Storage::Text, .marker = StoredValue::Text("1024"), .askFirst = true};
  const TweakRule cache{{"clb", 7}, HKLM, "\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer",
                        "Max Cached Icons", icons};
  Apply(cache, true);
  EXPECT_EQ(Saved(cache)->data, Sz("1024"));
  Apply(cache, false);
  EXPECT_EQ(Saved(cache), nullptr);
  Apply(cache, false);  // nothing to delete
  EXPECT_EQ(Saved(cache), nullptr);
}

TEST_F(RuleTest, TwoStateValueComparesWithItsReferenceAndWritesBothStates) {
  TwoStateValue recycle{Storage::Binary, StoredValue::Number(0x20000170),
                        StoredValue::Number(0x20000140), false};
  const TweakRule rename{{"clb", 0}, regroot::ClassesRoot,
                         "\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\ShellFolder",
                         "Attributes", recycle};
  ExpectLoads(rename, {
      {"absent key", kNoKey, LoadState::Unchecked},
      {"absent value", kNoValue, LoadState::Unchecked},
      {"off value", Value(regtype::Binary, Bin({0x40, 0x01, 0x00, 0x20})), LoadState::Unchecked},
      {"on value", Value(regtype::Binary, Bin({0x70, 0x01, 0x00, 0x20})), LoadState::Checked},
      {"other value", Value(regtype::Binary, Bin({0x50, 0x01, 0x00, 0x20})), LoadState::Checked},
      {"dword (read failure)", Value(regtype::Dword, Dword(0x20000140)), LoadState::Unchecked},
  });

  TwoStateValue tip{Storage::Dword, StoredValue::Number(1), StoredValue::Number(0), true,
                    LoadState::Checked, LoadState::Checked, LoadState::Checked};
  const TweakRule infoTip{{"clb", 5}, HKCU, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                          "ShowInfoTip", tip};
  ExpectLoads(infoTip, {
      {"absent key", kNoKey, LoadState::Checked},
      {"absent value", kNoValue, LoadState::Checked},
      {"1", Value(regtype::Dword, Dword(1)), LoadState::Checked},
      {"0", Value(regtype::Dword, Dword(0)), LoadState::Unchecked},
      {"5", Value(regtype::Dword, Dword(5)), LoadState::Unchecked},
      {"binary (read failure)", Value(regtype::Binary, Dword(1)), LoadState::Checked},
  });

  TwoStateValue paint{Storage::Text, StoredValue::Text("1"), StoredValue::Text("0"), true,
                      LoadState::Unchanged, LoadState::Unchecked, LoadState::Unchecked};
  const TweakRule version{{"clb", 6}, HKCU, "\\Control Panel\\Desktop", "PaintDesktopVersion", paint};
  ExpectLoads(version, {
      {"absent key: unchanged", kNoKey, LoadState::Unchanged},
      {"absent value", kNoValue, LoadState::Unchecked},
      {"1", Value(regtype::Sz, Sz("1")), LoadState::Checked},
      {"0", Value(regtype::Sz, Sz("0")), LoadState::Unchecked},
      {"dword (read failure)", Value(regtype::Dword, Dword(1)), LoadState::Unchecked},
  });

  Apply(rename, true);
  EXPECT_EQ(Saved(rename)->data, Bin({0x70, 0x01, 0x00, 0x20}));
  EXPECT_TRUE(machine.registry.KeyExists(HKLM, "Software\\Classes\\CLSID"));  // the HKCR view
  Apply(rename, false);
  EXPECT_EQ(Saved(rename)->data, Bin({0x40, 0x01, 0x00, 0x20}));
  Apply(infoTip, true);
  EXPECT_EQ(Saved(infoTip)->type, regtype::Dword);
  EXPECT_EQ(Saved(infoTip)->data, Dword(1));
  Apply(version, false);
  EXPECT_EQ(Saved(version)->data, Sz("0"));
}

// Load, then Apply with the control as loaded: every stored form stays as it was, type and bytes,
// also those the rule reads as the state it would otherwise write or delete.
TEST_F(RuleTest, ApplyAfterLoadLeavesTheStoredSettingAsItWas) {
  const MarkerValue scroll{.storage = Storage::Text,
                           .marker = StoredValue::Text("False"),
                           .askFirst = true,
                           .absentKey = LoadState::Unchecked,
                           .checkedTexts = {"false", "no"}};
  TwoStateValue recycle{Storage::Binary, StoredValue::Number(0x20000170),
                        StoredValue::Number(0x20000140), false};
  TwoStateValue update{Storage::Binary, StoredValue::Number(0), StoredValue::Number(1), false,
                       LoadState::Checked, LoadState::Checked, LoadState::Checked};
  TwoStateValue link{Storage::Binary, StoredValue::Number(1), StoredValue::Number(0), true};
  const struct {
    const char* what;
    TweakRule rule;
    Stored stored;
  } cases[] = {
      {"another long date format",
       {{"clb", 2}, HKCU, "\\Control Panel\\International", "sLongDate",
        MarkerValue{.storage = Storage::Text, .marker = StoredValue::Text(kLongDate)}},
       Value(regtype::Sz, Sz("dddd, MMMM d, yyyy"))},
      {"marker rule over a dword", {{"cbBox"}, HKCU, "\\Software\\X", "Marker",
                                    MarkerValue{.storage = Storage::Binary, .marker = StoredValue::Number(1)}},
       Value(regtype::Dword, Dword(1))},
      {"scrolling True", {{"clb", 3}, HKLM, "\\Software\\X", "StartMenuScrollPrograms", scroll},
       Value(regtype::Sz, Sz("True"))},
      {"scrolling false", {{"clb", 3}, HKLM, "\\Software\\X", "StartMenuScrollPrograms", scroll},
       Value(regtype::Sz, Sz("false"))},
      {"a drive mask without the CD bit", Flag("NoDriveTypeAutoRun", Storage::Binary, 32, 32),
       Value(regtype::Binary, Bin({0x95, 0, 0, 0}))},
      {"a policy as a dword under a binary rule", Flag("NoRun"), Value(regtype::Dword, Dword(1))},
      {"a policy flag of 2 bytes", Flag("NoRun"), Value(regtype::Binary, Bin({1, 0}))},
      {"attributes as a dword", {{"clb", 0}, HKLM, "\\Software\\Classes\\CLSID\\X", "Attributes", recycle},
       Value(regtype::Dword, Dword(0x20000170))},
      {"update mode of 1 byte", {{"clb", 5}, HKLM, "\\System\\Update", "UpdateMode", update},
       Value(regtype::Binary, Bin({1}))},
      {"a link count", {{"clb", 4}, HKCU, "\\Software\\X", "Link", link},
       Value(regtype::Binary, Bin({0x1E, 0, 0, 0}))},
  };
  for (const auto& c : cases) {
    Prepare(c.rule, c.stored);
    LoadRule(c.rule, context);
    ApplyRule(c.rule, context);
    const auto* saved = Saved(c.rule);
    ASSERT_NE(saved, nullptr) << c.what << ": deleted";
    EXPECT_EQ(saved->type, c.stored.type) << c.what;
    EXPECT_EQ(saved->data, c.stored.data) << c.what;
  }

  const std::string verb = "Software\\CLASSES\\Directory\\shell\\Regedit";
  const TweakRule own{{"cbBox"}, HKLM, "\\" + verb, "", ShellVerb{"&Редактор реестра", "Regedit.exe"}};
  machine.registry.Put(HKLM, verb, "", regtype::Sz, Sz("Registry"));
  machine.registry.Put(HKLM, verb + "\\command", "", regtype::Sz, Sz("C:\\TOOLS\\REGEDIT.EXE"));
  LoadRule(own, context);
  ApplyRule(own, context);
  EXPECT_EQ(machine.registry.Get(HKLM, verb + "\\command", "")->data, Sz("C:\\TOOLS\\REGEDIT.EXE"))
      << "another program's verb of that name";
  EXPECT_EQ(machine.registry.Get(HKLM, verb, "")->data, Sz("Registry"));

  // Changed by the user, the same forms give way to the rule's own.
  const TweakRule longDate = cases[0].rule;
  Apply(longDate, true);
  EXPECT_EQ(Saved(longDate)->data, Sz(kLongDate));
  const TweakRule mask = cases[4].rule;
  Apply(mask, false);
  EXPECT_EQ(Saved(mask)->data, Dword(32));
  Apply(mask, true);
  EXPECT_EQ(Saved(mask), nullptr);
}

TEST_F(RuleTest, ShellVerbIsCheckedOnlyForItsCommand) {
  const std::string verb = "Software\\CLASSES\\Directory\\shell\\Regedit";
  const TweakRule rule{{"cbBox"}, HKLM, "\\" + verb, "",
                       ShellVerb{"&Редактор реестра", "Regedit.exe"}};
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"absent", [] {}},
      {"verb key without command", [&] { machine.registry.Put(HKLM, verb, "", regtype::Sz, Sz("x")); }},
      {"another command", [&] { machine.registry.Put(HKLM, verb + "\\command", "", regtype::Sz, Sz("regedt32.exe")); }},
      {"empty command", [&] { machine.registry.Put(HKLM, verb + "\\command", "", regtype::Sz, Sz("")); }},
      {"dword command", [&] { machine.registry.Put(HKLM, verb + "\\command", "", regtype::Dword, Dword(1)); }},
  };
  for (const auto& [what, prepare] : cases) {
    machine.registry.DeleteKey(HKLM, verb + "\\command");
    machine.registry.DeleteKey(HKLM, verb);
    prepare();
    controls.checked["cbBox"] = true;
    LoadRule(rule, context);
    EXPECT_FALSE(controls.Checked(rule.control)) << what;
  }
  for (const char* command : {"Regedit.exe", "REGEDIT.EXE"}) {  // file names ignore case
    controls.checked["cbBox"] = false;
    machine.registry.Put(HKLM, verb + "\\command", "", regtype::Sz, Sz(command));
    LoadRule(rule, context);
    EXPECT_TRUE(controls.Checked(rule.control)) << command;
  }
}

TEST_F(RuleTest, ShellVerbRegistersCaptionAndCommandAndRemovesTheWholeVerb) {
  const std::string verb = "Software\\CLASSES\\Directory\\shell\\Regedit";
  const TweakRule rule{{"cbBox"}, HKLM, "\\" + verb, "", ShellVerb{"&Редактор реестра", "Regedit.exe"}};
  Apply(rule, false);  // nothing registered: nothing made
  EXPECT_FALSE(machine.registry.KeyExists(HKLM, verb));
  Apply(rule, true);
  EXPECT_EQ(machine.registry.Get(HKLM, verb, "")->data, Sz("&Редактор реестра"));
  EXPECT_EQ(machine.registry.Get(regroot::ClassesRoot, "Directory\\shell\\Regedit\\command", "")->data,
            Sz("Regedit.exe"));
  machine.registry.Put(HKLM, verb + "\\ddeexec\\topic", "", regtype::Sz, Sz("x"));
  Apply(rule, false);
  EXPECT_FALSE(machine.registry.KeyExists(HKLM, verb));
  EXPECT_TRUE(machine.registry.KeyExists(HKLM, "Software\\CLASSES\\Directory\\shell"));
}

TEST_F(RuleTest, NumberStringLoadsTheNumberOrItsDefault) {
  const TweakRule rule{{"trk"}, HKCU, "\\Control Panel\\Desktop", "MenuShowDelay",
                       NumberString{400, spi::SetMenuShowDelay, spif::SendWinIniChange}};
  const std::pair<Stored, int> cases[] = {
      {kNoKey, 400},
      {kNoValue, 400},
      {Value(regtype::Sz, Sz("250")), 250},
      {Value(regtype::Sz, Sz("-5")), -5},
      {Value(regtype::Sz, Sz("")), 400},
      {Value(regtype::Sz, Sz("abc")), 400},
      {Value(regtype::Sz, Sz("25 ")), 400},
      {Value(regtype::Dword, Dword(250)), 400},
  };
  for (const auto& [stored, expected] : cases) {
    FakeMachine fresh;
    std::swap(machine.registry, fresh.registry);
    Prepare(rule, stored);
    std::swap(machine.registry, fresh.registry);
    RuleContext ctx{fresh.platform, controls};
    controls.positions["trk"] = 1;
    LoadRule(rule, ctx);
    EXPECT_EQ(controls.positions["trk"], expected) << stored.data;
  }
}

TEST_F(RuleTest, NumberStringMakesItsSystemCallBeforeTheWrite) {
  const TweakRule rule{{"trk"}, HKCU, "\\Control Panel\\Desktop", "MenuShowDelay",
                       NumberString{400, spi::SetMenuShowDelay, spif::SendWinIniChange}};
  bool writtenBeforeCall = true;
  machine.parameters.onSet = [&] { writtenBeforeCall = Saved(rule) != nullptr; };
  controls.positions["trk"] = 250;
  ApplyRule(rule, context);
  EXPECT_FALSE(writtenBeforeCall);
  ASSERT_EQ(machine.parameters.sets.size(), 1u);
  EXPECT_EQ(machine.parameters.sets[0].action, 107u);
  EXPECT_EQ(machine.parameters.sets[0].param, 250u);
  EXPECT_EQ(machine.parameters.sets[0].flags, 2u);
  EXPECT_EQ(Saved(rule)->data, Sz("250"));

  machine.registry.refuseKeys = true;  // no key: no call either
  ApplyRule(rule, context);
  EXPECT_EQ(machine.parameters.sets.size(), 1u);
}

TEST_F(RuleTest, FolderPresenceFollowsTheFolderInsideTheSpecialFolder) {
  const TweakRule rule{{"cbBox"}, 0, "", "",
                       FolderPresence{csidl::StartMenu, "Принтеры.{2227A280-3AEA-1069-A2DE-08002B30309D}"}};
  const std::string path = "C:\\WINDOWS\\Start Menu\\Принтеры.{2227A280-3AEA-1069-A2DE-08002B30309D}";
  EXPECT_EQ(FolderPresencePath(std::get<FolderPresence>(rule.kind), machine.platform), path);
  controls.checked["cbBox"] = true;
  LoadRule(rule, context);
  EXPECT_FALSE(controls.Checked(rule.control));

  Apply(rule, true);
  EXPECT_TRUE(machine.files.Exists(path));
  Apply(rule, true);  // already there: nothing changes, nothing reported
  LoadRule(rule, context);
  EXPECT_TRUE(controls.Checked(rule.control));
  Apply(rule, false);
  EXPECT_FALSE(machine.files.Exists(path));

  machine.files.shellFails = true;  // no special folder: nothing at the drive's root
  Apply(rule, true);
  EXPECT_EQ(machine.files.dirs.size(), 1u);
  controls.checked["cbBox"] = true;
  LoadRule(rule, context);
  EXPECT_FALSE(controls.Checked(rule.control));
}

TEST_F(RuleTest, SystemParameterScalesAndSetsWithItsFlags) {
  const TweakRule active{{"cbActive"}, 0, "", "",
                         SystemParameter{spi::GetScreenSaveActive, spi::SetScreenSaveActive, true, 1,
                                         spif::UpdateIniFile}};
  const TweakRule timeout{{"seTime"}, 0, "", "",
                          SystemParameter{spi::GetScreenSaveTimeout, spi::SetScreenSaveTimeout, false,
                                          60, spif::UpdateIniFile}};
  machine.parameters.values[spi::GetScreenSaveActive] = 0x100;  // only the low byte counts
  machine.parameters.values[spi::GetScreenSaveTimeout] = 90;
  controls.checked["cbActive"] = true;
  LoadRule(active, context);
  LoadRule(timeout, context);
  EXPECT_FALSE(controls.checked["cbActive"]);
  EXPECT_EQ(controls.positions["seTime"], 1);

  // Only what differs from its loaded state is set: the timeout left at 1 minute keeps its 90 s.
  controls.checked["cbActive"] = true;
  ApplyRule(active, context);
  ApplyRule(timeout, context);
  ASSERT_EQ(machine.parameters.sets.size(), 1u);
  EXPECT_EQ(machine.parameters.sets[0].action, 17u);
  EXPECT_EQ(machine.parameters.sets[0].param, 1u);
  EXPECT_EQ(machine.parameters.sets[0].flags, 1u);
  controls.positions["seTime"] = 2;
  ApplyRule(timeout, context);
  ASSERT_EQ(machine.parameters.sets.size(), 2u);
  EXPECT_EQ(machine.parameters.sets[1].action, 15u);
  EXPECT_EQ(machine.parameters.sets[1].param, 120u);
}

TEST_F(RuleTest, RadioValueSelectsByNumberAndWritesTheCheckedButton) {
  RadioValue group{{{{"rb1"}, 1}, {{"rb2"}, 2}, {{"rb3"}, 3}}, 1};
  const TweakRule rule{{}, HKCU, "\\Software\\X", "Mode", group};
  const std::pair<Stored, const char*> cases[] = {
      {kNoKey, "rb2"},
      {kNoValue, "rb2"},
      {Value(regtype::Dword, Dword(3)), "rb3"},
      {Value(regtype::Dword, Dword(7)), nullptr},  // no such button: left as it was
      {Value(regtype::Binary, Dword(3)), "rb2"},   // read failure: the default
  };
  for (const auto& [stored, expected] : cases) {
    FakeMachine fresh;
    FakeControls ctl;
    std::swap(machine.registry, fresh.registry);
    Prepare(rule, stored);
    std::swap(machine.registry, fresh.registry);
    RuleContext ctx{fresh.platform, ctl};
    LoadRule(rule, ctx);
    for (const char* name : {"rb1", "rb2", "rb3"})
      EXPECT_EQ(ctl.checked[name], expected && std::string(expected) == name) << name;
  }
  ApplyRule(rule, context);  // no button checked: nothing written
  EXPECT_EQ(Saved(rule), nullptr);
  controls.checked["rb3"] = true;
  ApplyRule(rule, context);
  EXPECT_EQ(Saved(rule)->type, regtype::Dword);
  EXPECT_EQ(Saved(rule)->data, Dword(3));
}

}  // namespace
}  // namespace vlx

namespace vlx {
namespace {

TEST(MasterSwitchRule, DependentsFollowTheMasterByPatternAndName) {
  rulestest::FakeControls controls;
  const MasterSwitch rule{"cbMaster", "cbDep%d", 2, 4, {"pPanel"}};
  controls.checked["cbMaster"] = true;
  UpdateDependents(rule, controls);
  EXPECT_EQ(controls.enabled, (std::map<std::string, bool>{
                                  {"cbDep2", true}, {"cbDep3", true}, {"cbDep4", true}, {"pPanel", true}}));
  controls.checked["cbMaster"] = false;
  UpdateDependents(rule, controls);
  for (const auto& [name, enabled] : controls.enabled) EXPECT_FALSE(enabled) << name;
  EXPECT_EQ(FormatName("cbContextMenuIndex%d", 6), "cbContextMenuIndex6");
}

}  // namespace
}  // namespace vlx
