// Every check rule of the settings pages, one table per kind: a stored form, the state the box
// loads in (as the system reads that form), what is stored after an Apply with the box as loaded,
// and after an Apply with the box changed.
#include <gtest/gtest.h>

#include <set>

#include "pages/controlpanel.h"
#include "pages/desktop.h"
#include "pages/explorer.h"
#include "pages/general.h"
#include "pages/internet.h"
#include "pages/startmenu.h"
#include "rules/rule_engine.h"
#include "text/cp1251.h"
#include "unit/rules_fakes.h"

namespace vlx {
namespace {

using rulestest::FakeControls;
using rulestest::FakeMachine;

// A stored value: none in a missing key, none in an existing key, or a typed value.
struct Form {
  bool key = false;
  std::uint32_t type = regtype::None;
  std::string data{};
};
const Form kNoKey{};
const Form kEmptyKey{true};

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}
std::string Le(std::uint32_t v) {
  return Bytes({int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24)});
}
Form Bin(std::uint32_t v) { return {true, regtype::Binary, Le(v)}; }
Form Raw(std::initializer_list<int> bytes) { return {true, regtype::Binary, Bytes(bytes)}; }
Form Dw(std::uint32_t v) { return {true, regtype::Dword, Le(v)}; }
Form Sz(const std::string& text) { return {true, regtype::Sz, text + '\0'}; }

std::string Describe(const Form& form) {
  if (form.type == regtype::None) return form.key ? "(empty key)" : "(no key)";
  std::string hex;
  for (unsigned char c : form.data) {
    static const char digits[] = "0123456789ABCDEF";
    hex += digits[c >> 4];
    hex += digits[c & 15];
    hex += ' ';
  }
  return "type " + std::to_string(form.type) + ": " + hex;
}

// The check rules of every settings page, each setting once.
const std::vector<TweakRule>& PageRules() {
  static const std::vector<TweakRule> rules = [] {
    std::vector<TweakRule> all;
    std::set<std::string> seen;
    const auto add = [&](const std::vector<TweakRule>& list) {
      for (const auto& rule : list) {
        const std::string id = std::to_string(rule.root) + "|" + rule.keyPath + "|" + rule.valueName;
        std::string lower;
        for (char c : id) lower += static_cast<char>(Cp1251ToLower(static_cast<unsigned char>(c)));
        if (seen.insert(lower).second) all.push_back(rule);
      }
    };
    add(GeneralRules());
    add(ExplorerRulesBeforeUser());
    add(ExplorerUpdateModeRule());
    add(ExplorerSaveSettingsRule());
    add(DesktopRules());
    add(StartMenuRules("C:\\VOLNRX\\VOLNRX.EXE"));
    add(ControlPanelRules());
    add(InternetRules());
    return all;
  }();
  return rules;
}

template <class Kind>
std::vector<const TweakRule*> RulesOf() {
  std::vector<const TweakRule*> found;
  for (const auto& rule : PageRules())
    if (std::holds_alternative<Kind>(rule.kind)) found.push_back(&rule);
  return found;
}

// The page rule of that value whose key path ends so (letter case ignored).
const TweakRule& Named(const std::string& value, const std::string& keyEnd = "") {
  for (const auto& rule : PageRules()) {
    if (rule.valueName != value || rule.keyPath.size() < keyEnd.size()) continue;
    if (EqualNoCaseCp1251(rule.keyPath.substr(rule.keyPath.size() - keyEnd.size()), keyEnd))
      return rule;
  }
  ADD_FAILURE() << "no page rule of " << value << " under ..." << keyEnd;
  static const TweakRule none{};
  return none;
}

struct Row {
  std::string what;
  const TweakRule* rule;
  Form stored;
  bool loaded;
  Form untouched;  // after an Apply with the box as loaded
  Form changed;    // after an Apply with the box the other way
};

std::string KeyOf(const TweakRule& rule) { return rule.keyPath.substr(1); }

void Put(rulestest::FakeRegistry& registry, const TweakRule& rule, const Form& form) {
  if (form.type != regtype::None)
    registry.Put(rule.root, KeyOf(rule), rule.valueName, form.type, form.data);
  else if (form.key)
    registry.MakeKey(rule.root, KeyOf(rule));
}

Form Read(rulestest::FakeRegistry& registry, const TweakRule& rule) {
  if (!registry.KeyExists(rule.root, KeyOf(rule))) return kNoKey;
  const auto* value = registry.Get(rule.root, KeyOf(rule), rule.valueName);
  if (!value) return kEmptyKey;
  return {true, value->type, value->data};
}

// Loads each row's stored form (`put`) into a box set the other way first, then applies,
// untouched and changed, each on its own copy of the machine, and compares what is stored
// (`stored`, described) with the row's forms (`described`). Every page rule of the kind needs a row.
template <class Kind, class RowT, class PutStored, class StoredNow, class Describes>
void CheckRows(const std::vector<RowT>& rows, PutStored put, StoredNow stored,
               Describes described) {
  std::set<const TweakRule*> covered;
  for (const auto& row : rows) {
    const TweakRule& rule = *row.rule;
    covered.insert(row.rule);
    const std::string what = row.what + " (" + rule.valueName + " under " + rule.keyPath + ")";
    for (bool change : {false, true}) {
      FakeMachine machine;
      FakeControls controls;
      RuleContext context{machine.platform, controls};
      put(machine.registry, rule, row.stored);
      controls.checked[FakeControls::Key(rule.control)] = !row.loaded;
      LoadRule(rule, context);
      EXPECT_EQ(controls.Checked(rule.control), row.loaded) << what << ": loaded state";
      EXPECT_EQ(StoredCheckState(rule, machine.platform) == LoadState::Checked, row.loaded)
          << what;
      if (change) controls.checked[FakeControls::Key(rule.control)] = !row.loaded;
      ApplyRule(rule, context);
      EXPECT_EQ(stored(machine.registry, rule), described(change ? row.changed : row.untouched))
          << what << (change ? ", changed" : ", untouched");
      EXPECT_EQ(machine.registry.OpenHandles(), 0u) << what;
    }
  }
  for (const TweakRule* rule : RulesOf<Kind>())
    EXPECT_TRUE(covered.count(rule)) << rule->valueName << " under " << rule->keyPath
                                     << " has no row";
}

template <class Kind>
void CheckAll(const std::vector<Row>& rows) {
  CheckRows<Kind>(
      rows, Put,
      [](rulestest::FakeRegistry& registry, const TweakRule& rule) {
        return Describe(Read(registry, rule));
      },
      [](const Form& form) { return Describe(form); });
}

TEST(PageCheckRules, PolicyFlagsLoadAsTheShellReadsThem) {
  std::vector<Row> rows;
  for (const TweakRule* rule : RulesOf<PolicyFlag>()) {
    const auto& flag = std::get<PolicyFlag>(rule->kind);
    const Form own = flag.storage == Storage::Binary ? Bin(flag.flag) : Dw(flag.flag);
    rows.push_back({"absent", rule, kNoKey, true, kNoKey, own});
    rows.push_back({"the flag as the rule writes it", rule, own, false, own, kEmptyKey});
    rows.push_back({"8 bytes, unread by the shell", rule, Raw({1, 0, 0, 0, 0, 0, 0, 0}), true,
                    Raw({1, 0, 0, 0, 0, 0, 0, 0}), own});
    if (flag.testBits != kAllBits) continue;
    rows.push_back({"REG_DWORD 1", rule, Dw(1), false, Dw(1), kEmptyKey});
    rows.push_back({"binary 01 00 00 00", rule, Bin(1), false, Bin(1), kEmptyKey});
    rows.push_back({"binary 02 00 00 00", rule, Bin(2), false, Bin(2), kEmptyKey});
    rows.push_back({"binary 0", rule, Bin(0), true, Bin(0), own});
    rows.push_back({"REG_DWORD 0", rule, Dw(0), true, Dw(0), own});
    rows.push_back({"short binary 01 00", rule, Raw({1, 0}), false, Raw({1, 0}), kEmptyKey});
    rows.push_back({"text (no number)", rule, Sz("1"), true, Sz("1"), own});
  }
  const TweakRule* autorun = &Named("NoDriveTypeAutoRun");
  rows.push_back({"mask B5: the CD bit 0x20 set", autorun, Raw({0xB5, 0, 0, 0}), false,
                  Raw({0xB5, 0, 0, 0}), kEmptyKey});
  rows.push_back({"mask 95: the CD bit clear", autorun, Raw({0x95, 0, 0, 0}), true,
                  Raw({0x95, 0, 0, 0}), Bin(0x20)});
  rows.push_back({"mask 20 as a REG_DWORD", autorun, Dw(0x20), false, Dw(0x20), kEmptyKey});
  rows.push_back({"mask 0xFF", autorun, Bin(0xFF), false, Bin(0xFF), kEmptyKey});
  CheckAll<PolicyFlag>(rows);
}

TEST(PageCheckRules, MarkersLoadAsTheSystemReadsThem) {
  const TweakRule* separate = &Named("SeparateProcess");
  const TweakRule* date = &Named("sLongDate");
  const TweakRule* scroll = &Named("StartMenuScrollPrograms");
  const TweakRule* icons = &Named("Max Cached Icons");
  const std::string longDate = LongDateMarker();
  CheckAll<MarkerValue>({
      {"absent", separate, kNoKey, false, kNoKey, Bin(1)},
      {"1", separate, Bin(1), true, Bin(1), kEmptyKey},
      {"2: separate as well", separate, Bin(2), true, Bin(2), kEmptyKey},
      {"REG_DWORD 1", separate, Dw(1), true, Dw(1), kEmptyKey},
      {"0", separate, Bin(0), false, Bin(0), Bin(1)},

      {"no value", date, kEmptyKey, false, kEmptyKey, Sz(longDate)},
      {"the marker", date, Sz(longDate), true, Sz(longDate), kEmptyKey},
      {"the user's own format", date, Sz("dddd, MMMM d, yyyy"), false, Sz("dddd, MMMM d, yyyy"),
       Sz(longDate)},
      {"the marker in capitals: another format", date, Sz("DDDD, D MMMM YYYY"), false,
       Sz("DDDD, D MMMM YYYY"), Sz(longDate)},

      {"absent: the menu scrolls", scroll, kNoKey, false, kNoKey, Sz("False")},
      {"False", scroll, Sz("False"), true, Sz("False"), kEmptyKey},
      {"false", scroll, Sz("false"), true, Sz("false"), kEmptyKey},
      {"NO", scroll, Sz("NO"), true, Sz("NO"), kEmptyKey},
      {"True: scrolls", scroll, Sz("True"), false, Sz("True"), Sz("False")},
      {"yes: scrolls", scroll, Sz("yes"), false, Sz("yes"), Sz("False")},

      {"no value", icons, kEmptyKey, false, kEmptyKey, Sz("1024")},
      {"1024", icons, Sz("1024"), true, Sz("1024"), kEmptyKey},
      {"2048: not denied by the box", icons, Sz("2048"), false, Sz("2048"), Sz("1024")},
  });
}

TEST(PageCheckRules, TwoStateValuesLoadAsTheSystemReadsThem) {
  const TweakRule* audio = &Named("", "AudioCD\\Shell");
  const TweakRule* recycle = &Named("Attributes");
  const TweakRule* tip = &Named("ShowInfoTip");
  const TweakRule* version = &Named("PaintDesktopVersion");
  const TweakRule* pretty = &Named("DontPrettyPath");
  const TweakRule* ext = &Named("HideFileExt");
  const TweakRule* classic = &Named("ClassicViewState");
  const TweakRule* link = &Named("Link");
  const TweakRule* update = &Named("UpdateMode");
  CheckAll<TwoStateValue>({
      // Written in the state shown where there is no value yet.
      {"no default verb", audio, kEmptyKey, false, Sz(""), Sz("play")},
      {"play", audio, Sz("play"), true, Sz("play"), Sz("")},
      {"Play", audio, Sz("Play"), true, Sz("Play"), Sz("")},
      {"PLAY", audio, Sz("PLAY"), true, Sz("PLAY"), Sz("")},
      {"another verb", audio, Sz("open"), false, Sz("open"), Sz("play")},

      {"absent", recycle, kNoKey, false, Bin(0x20000140), Bin(0x20000170)},
      {"the off word", recycle, Bin(0x20000140), false, Bin(0x20000140), Bin(0x20000170)},
      {"the on word", recycle, Bin(0x20000170), true, Bin(0x20000170), Bin(0x20000140)},
      {"renaming bit alone", recycle, Bin(0x20000150), true, Bin(0x20000150), Bin(0x20000140)},
      {"deleting bit alone", recycle, Bin(0x20000160), false, Bin(0x20000160), Bin(0x20000170)},
      {"the on word as a REG_DWORD", recycle, Dw(0x20000170), true, Dw(0x20000170),
       Bin(0x20000140)},

      {"absent: tips shown", tip, kNoKey, true, Dw(1), Dw(0)},
      {"5", tip, Dw(5), true, Dw(5), Dw(0)},
      {"0", tip, Dw(0), false, Dw(0), Dw(1)},

      {"no value", version, kEmptyKey, false, Sz("0"), Sz("1")},
      {"1", version, Sz("1"), true, Sz("1"), Sz("0")},
      {"0", version, Sz("0"), false, Sz("0"), Sz("1")},

      {"absent", pretty, kNoKey, false, Dw(0), Dw(1)},
      {"2: names in capitals", pretty, Dw(2), true, Dw(2), Dw(0)},
      {"0", pretty, Dw(0), false, Dw(0), Dw(1)},

      {"absent", ext, kNoKey, false, Dw(1), Dw(0)},
      {"0: extensions shown", ext, Dw(0), true, Dw(0), Dw(1)},
      {"2: hidden", ext, Dw(2), false, Dw(2), Dw(0)},

      {"absent", classic, kNoKey, true, Dw(0), Dw(1)},
      {"1", classic, Dw(1), false, Dw(1), Dw(0)},

      {"absent: the shell keeps the prefix", link, kNoKey, true, Bin(1), Bin(0)},
      {"the shell's count 1E", link, Raw({0x1E, 0, 0, 0}), true, Raw({0x1E, 0, 0, 0}), Bin(0)},
      {"0: no prefix", link, Bin(0), false, Bin(0), Bin(1)},

      {"absent", update, kNoKey, true, Bin(0), Bin(1)},
      {"1 byte 01", update, Raw({1}), false, Raw({1}), Bin(0)},
      {"2", update, Bin(2), false, Bin(2), Bin(0)},
      {"0", update, Bin(0), true, Bin(0), Bin(1)},
  });
}

// A verb key: absent, or with a caption (null: none) and a command subkey (null: none).
struct Verb {
  bool key = false;
  const char* caption = nullptr;
  const char* command = nullptr;
};
const Verb kNoVerb{};

struct VerbRow {
  std::string what;
  const TweakRule* rule;
  Verb stored;
  bool loaded;
  Verb untouched;
  Verb changed;
};

void PutVerb(rulestest::FakeRegistry& registry, const TweakRule& rule, const Verb& verb) {
  if (!verb.key) return;
  registry.MakeKey(rule.root, KeyOf(rule));
  if (verb.caption)
    registry.Put(rule.root, KeyOf(rule), "", regtype::Sz, std::string(verb.caption) + '\0');
  if (verb.command)
    registry.Put(rule.root, KeyOf(rule) + "\\command", "", regtype::Sz,
                 std::string(verb.command) + '\0');
}

std::string DescribeVerb(rulestest::FakeRegistry& registry, const TweakRule& rule) {
  if (!registry.KeyExists(rule.root, KeyOf(rule))) return "(no key)";
  const auto text = [](const rulestest::FakeRegistry::Value* v) {
    return v ? "\"" + v->data.substr(0, v->data.find('\0')) + "\"" : std::string("none");
  };
  std::string out = "caption " + text(registry.Get(rule.root, KeyOf(rule), ""));
  if (!registry.KeyExists(rule.root, KeyOf(rule) + "\\command")) return out + ", no command key";
  return out + ", command " + text(registry.Get(rule.root, KeyOf(rule) + "\\command", ""));
}

std::string DescribeVerb(const Verb& verb) {
  if (!verb.key) return "(no key)";
  const auto text = [](const char* t) {
    return t ? "\"" + std::string(t) + "\"" : std::string("none");
  };
  std::string out = "caption " + text(verb.caption);
  if (!verb.command) return out + ", no command key";
  return out + ", command " + text(verb.command);
}

TEST(PageCheckRules, ShellVerbsLoadAsTheShellRunsThem) {
  std::vector<VerbRow> rows;
  for (const TweakRule* rule : RulesOf<ShellVerb>()) {
    const auto& verb = std::get<ShellVerb>(rule->kind);
    const Verb own{true, verb.caption.c_str(), verb.command.c_str()};
    rows.push_back({"absent", rule, kNoVerb, false, kNoVerb, own});
    rows.push_back({"registered", rule, own, true, own, kNoVerb});
    // A broken entry of the rule's own name is no user setting: it goes when unchecked.
    rows.push_back({"caption without a command key", rule, {true, verb.caption.c_str()}, false,
                    kNoVerb, own});
  }
  const TweakRule* regedit = &Named("", "shell\\Regedit");
  const Verb own{true, "&Редактор реестра", "Regedit.exe"};
  rows.push_back({"the command in other letter case", regedit,
                  {true, "&Редактор реестра", "REGEDIT.EXE"}, true,
                  {true, "&Редактор реестра", "REGEDIT.EXE"}, kNoVerb});
  rows.push_back({"an empty command", regedit, {true, "x", ""}, false, kNoVerb, own});
  // The user's own verb of that name runs another program: the rule never wrote it.
  rows.push_back({"another program's command", regedit, {true, "Registry", "C:\\TOOLS\\RGE.EXE"},
                  false, {true, "Registry", "C:\\TOOLS\\RGE.EXE"}, own});

  CheckRows<ShellVerb>(rows, PutVerb,
                       [](rulestest::FakeRegistry& registry, const TweakRule& rule) {
                         return DescribeVerb(registry, rule);
                       },
                       [](const Verb& verb) { return DescribeVerb(verb); });
}

}  // namespace
}  // namespace vlx
