// A tweak rule: one control bound to one stored setting through one rule kind, as data.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/win_types.h"
#include "rules/rule_controls.h"

namespace vlx {

// How a registry value holds a rule's setting.
enum class Storage {
  Binary,  // REG_BINARY of 4 bytes, a 32-bit number, least significant byte first
  Dword,   // REG_DWORD
  Text,    // REG_SZ
};

// The state a load step gives a check control in a given situation.
enum class LoadState { Unchanged, Checked, Unchecked };

// A stored datum: a number for Binary and Dword storage, a text for Text storage.
struct StoredValue {
  std::uint32_t number = 0;
  std::string text{};

  static StoredValue Number(std::uint32_t n) { return {n, {}}; }
  static StoredValue Text(std::string t) { return {0, std::move(t)}; }
};

// Every bit of a 32-bit number.
constexpr std::uint32_t kAllBits = 0xFFFFFFFF;

// Checked: the feature is allowed and the value absent. Unchecked: the flag is written.
// Checking removes the value only while it loads as set. The load reads the value as the system
// does: a REG_BINARY of at most 4 bytes or a REG_DWORD, whatever the storage it is written in;
// the flag counts as set while any of `testBits` is stored (all bits: any number but 0).
struct PolicyFlag {
  Storage storage = Storage::Binary;  // Binary or Dword
  std::uint32_t flag = 1;
  std::uint32_t testBits = kAllBits;
  LoadState fallback = LoadState::Checked;
};

// The mirror of PolicyFlag: the marker is present while the box is checked. Unchecking removes
// the value only while it loads as checked.
struct MarkerValue {
  Storage storage = Storage::Text;  // Text or Binary
  StoredValue marker{};
  bool askFirst = false;  // load: an absent value loads unchecked without a read
  LoadState absentKey = LoadState::Unchanged;
  // Load test of a text: checked when the stored text is one of these, letter case ignored
  // (instead of equalling the marker exactly).
  std::vector<std::string> checkedTexts{};
  // Load test of a number: checked while any of these bits is stored (0: equal to the marker).
  std::uint32_t testBits = 0;
  LoadState fallback = LoadState::Unchecked;
};

// Both states write a value; nothing is deleted. A stored value that already loads as the
// control's state is kept as it is.
struct TwoStateValue {
  Storage storage = Storage::Dword;
  StoredValue on{};
  StoredValue off{};
  bool referenceIsOn = true;  // which of the two the load compares with
  LoadState absentKey = LoadState::Unchecked;
  LoadState absentValue = LoadState::Unchecked;
  LoadState fallback = LoadState::Unchecked;
  bool ignoreCase = false;           // texts compared as the system compares verb names
  std::uint32_t compareBits = kAllBits;  // numbers compared in these bits only
};

// A verb key under a class's "shell" key; checked while its command is registered (compared
// without regard to letter case, as file names are).
struct ShellVerb {
  std::string caption{};
  std::string command{};
};

// A number kept as decimal text; `systemAction` is a SystemParametersInfo call made on apply
// with the number, before the write.
struct NumberString {
  int defaultNumber = 0;
  std::optional<std::uint32_t> systemAction{};
  std::uint32_t systemFlags = 0;
};

// Existence of a folder inside a shell special folder; no registry.
struct FolderPresence {
  int csidl = 0;
  std::string folder{};
};

// A value held by SystemParametersInfo. A check control is checked when the low byte of the
// value is not zero and sets 1 or 0; a position control shows the value divided by `scale`.
struct SystemParameter {
  std::uint32_t getAction = 0;
  std::uint32_t setAction = 0;
  bool isCheck = true;
  int scale = 1;
  std::uint32_t updateFlags = 0;
};

// A radio group stored as the REG_DWORD number of its checked button.
struct RadioValue {
  struct Button {
    ControlRef control{};
    std::int32_t number = 0;
  };
  std::vector<Button> buttons{};
  std::size_t defaultButton = 0;
};

using RuleKind = std::variant<PolicyFlag, MarkerValue, TwoStateValue, ShellVerb, NumberString,
                              FolderPresence, SystemParameter, RadioValue>;

struct TweakRule {
  ControlRef control{};     // unused by RadioValue, which names its buttons
  RegKey root = regroot::CurrentUser;
  std::string keyPath{};    // from the root, with a leading backslash
  std::string valueName{};  // empty: the key's default value
  RuleKind kind{};
};

// A rule row, built member by member (brace-initialised rows trip GCC's uninitialised-use
// warning on their strings).
inline TweakRule Rule(ControlRef control, RegKey root, std::string keyPath, std::string valueName,
                      RuleKind kind) {
  TweakRule rule;
  rule.control = std::move(control);
  rule.root = root;
  rule.keyPath = std::move(keyPath);
  rule.valueName = std::move(valueName);
  rule.kind = std::move(kind);
  return rule;
}

}  // namespace vlx
