#include "rules/rule_engine.h"

#include <string>
#include <type_traits>

#include "store/reg_store.h"
#include "store/store_error.h"
#include "store/store_routine.h"
#include "text/cp1251.h"
#include "text/integer_text.h"

namespace vlx {

namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

void SetState(RuleContext& context, const ControlRef& control, LoadState state) {
  if (state != LoadState::Unchanged)
    context.controls.SetChecked(control, state == LoadState::Checked);
}

// A 4-byte REG_BINARY as its number; shorter data fills the low bytes, the rest stay zero.
std::uint32_t ReadBinaryNumber(RegStore& store, const std::string& name) {
  unsigned char bytes[4] = {0, 0, 0, 0};
  store.ReadBytes(name, bytes, sizeof bytes);
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

// A number as the shell reads its settings: the data of a REG_BINARY of at most 4 bytes or of a
// REG_DWORD, whichever the value is, into a 32-bit number. Anything else is a read failure.
std::uint32_t ReadStoredNumber(RegStore& store, const std::string& name) {
  try {
    return ReadBinaryNumber(store, name);
  } catch (const StoreError&) {
    return static_cast<std::uint32_t>(store.ReadNumber(name));
  }
}

bool StoredEquals(RegStore& store, const std::string& name, const TwoStateValue& kind,
                  const StoredValue& expected) {
  if (kind.storage != Storage::Text)
    return ((ReadStoredNumber(store, name) ^ expected.number) & kind.compareBits) == 0;
  const std::string text = store.ReadText(name);
  return kind.ignoreCase ? EqualNoCaseCp1251(text, expected.text) : text == expected.text;
}

void WriteStored(RegStore& store, const std::string& name, Storage storage,
                 const StoredValue& value) {
  switch (storage) {
    case Storage::Binary: {
      const unsigned char bytes[4] = {
          static_cast<unsigned char>(value.number), static_cast<unsigned char>(value.number >> 8),
          static_cast<unsigned char>(value.number >> 16),
          static_cast<unsigned char>(value.number >> 24)};
      store.WriteBytes(name, bytes, sizeof bytes);
      break;
    }
    case Storage::Dword:
      store.WriteNumber(name, static_cast<std::int32_t>(value.number));
      break;
    case Storage::Text:
      store.WriteText(name, value.text);
      break;
  }
}

// Runs a registry load routine: `act` gets the store with the rule's key open, or null when the
// key does not open; a failure runs `onFailure`.
template <class Act, class OnFailure>
void RunLoadWith(const TweakRule& rule, RuleContext& context, OnFailure&& onFailure, Act&& act) {
  RunRegistryRule(
      *context.platform.registry, rule.root,
      [&](RegStore& store) { act(store.OpenPath(rule.keyPath, false) ? &store : nullptr); },
      onFailure);
}

// Runs a registry apply routine with the rule's key opened (created when missing); nothing is
// done when it cannot be opened, and a failure ends the routine silently.
template <class Act>
void RunApply(const TweakRule& rule, RuleContext& context, Act&& act) {
  RunRegistryRule(*context.platform.registry, rule.root, [&](RegStore& store) {
    if (store.OpenPath(rule.keyPath, true)) act(store);
  });
}

std::string CommandKey(const TweakRule& rule) { return rule.keyPath + "\\command"; }

bool IsDirectory(Files& files, const std::string& path) {
  const std::uint32_t attributes = files.GetAttributes(path);
  return attributes != fileattr::Invalid && (attributes & fileattr::Directory) != 0;
}

// What a load makes of the stored setting of a check rule; `store` has the rule's key open, or is
// null when the key does not exist. A read failure throws; the caller gives the fallback state.
LoadState StoredState(const PolicyFlag& kind, RegStore* store, const TweakRule& rule) {
  if (!store || !store->HasValue(rule.valueName)) return LoadState::Checked;
  return (ReadStoredNumber(*store, rule.valueName) & kind.testBits) != 0 ? LoadState::Unchecked
                                                                         : LoadState::Checked;
}

LoadState StoredState(const MarkerValue& kind, RegStore* store, const TweakRule& rule) {
  const std::string& name = rule.valueName;
  if (!store) return kind.absentKey;
  bool checked = false;
  if (kind.askFirst && !store->HasValue(name)) {
    checked = false;
  } else if (kind.storage == Storage::Text) {
    const std::string text = store->ReadText(name);
    if (kind.checkedTexts.empty()) {
      checked = text == kind.marker.text;
    } else {
      for (const auto& form : kind.checkedTexts) checked = checked || EqualNoCaseCp1251(text, form);
    }
  } else if (store->HasValue(name)) {
    const std::uint32_t number = ReadStoredNumber(*store, name);
    checked = kind.testBits != 0 ? (number & kind.testBits) != 0 : number == kind.marker.number;
  }
  return checked ? LoadState::Checked : LoadState::Unchecked;
}

LoadState StoredState(const TwoStateValue& kind, RegStore* store, const TweakRule& rule) {
  if (!store) return kind.absentKey;
  if (!store->HasValue(rule.valueName)) return kind.absentValue;
  const StoredValue& reference = kind.referenceIsOn ? kind.on : kind.off;
  const bool equal = StoredEquals(*store, rule.valueName, kind, reference);
  return equal == kind.referenceIsOn ? LoadState::Checked : LoadState::Unchecked;
}

// What a verb key of the rule's name holds.
enum class VerbKey {
  Absent,
  Registered,  // its command is the rule's
  Broken,      // a menu entry that runs nothing: no command, an empty or unreadable one
  Foreign,     // the command of another program
};

VerbKey ReadVerbKey(const ShellVerb& kind, RegStore& store, const TweakRule& rule) {
  VerbKey found = VerbKey::Absent;
  if (store.OpenPath(rule.keyPath, false)) {
    found = VerbKey::Broken;
    if (store.OpenPath(CommandKey(rule), false)) {
      try {
        const std::string command = store.ReadText("");
        if (EqualNoCaseCp1251(command, kind.command))
          found = VerbKey::Registered;
        else if (!command.empty())
          found = VerbKey::Foreign;
      } catch (const StoreError&) {
      }
    }
  }
  store.ClosePath();
  return found;
}

// A verb is read from its "command" subkey; `store` is only the root here.
LoadState StoredState(const ShellVerb& kind, RegStore& store, const TweakRule& rule) {
  return ReadVerbKey(kind, store, rule) == VerbKey::Registered ? LoadState::Checked
                                                               : LoadState::Unchecked;
}

LoadState FallbackState(const ShellVerb&) { return LoadState::Unchecked; }
template <class Kind>
LoadState FallbackState(const Kind& kind) {
  return kind.fallback;
}

// The stored state with the rule's key opened (without creating it) in `store`; a read failure
// gives the kind's fallback, as on load.
template <class Kind>
LoadState ReadState(const Kind& kind, RegStore& store, const TweakRule& rule) {
  try {
    if constexpr (std::is_same_v<Kind, ShellVerb>) {
      return StoredState(kind, store, rule);
    } else {
      return StoredState(kind, store.OpenPath(rule.keyPath, false) ? &store : nullptr, rule);
    }
  } catch (const StoreError&) {
    return FallbackState(kind);
  }
}

template <class Kind>
void LoadCheck(const TweakRule& rule, const Kind& kind, RuleContext& context) {
  RunRegistryRule(
      *context.platform.registry, rule.root,
      [&](RegStore& store) { SetState(context, rule.control, ReadState(kind, store, rule)); },
      [&] { SetState(context, rule.control, FallbackState(kind)); });
}

LoadState StateOf(bool checked) { return checked ? LoadState::Checked : LoadState::Unchecked; }

// What the apply of a value check rule does with the stored value.
struct Change {
  enum What { Keep, Write, Remove } what = Keep;
  StoredValue value{};
};

// Apply of a check rule: `decide` gets the control's state, the state the stored setting loads as
// (read before anything is written) and whether the value is stored. A setting that already loads
// as the control's state is left as it is, so an Apply after a load changes nothing the user did
// not change, and a value the rule cannot read or did not write (another date format, a whole
// drive mask) is never removed. The key is created only for a write: an Apply that writes
// nothing leaves no empty key behind.
template <class Kind, class Decide>
void ApplyCheck(const TweakRule& rule, const Kind& kind, RuleContext& context, Decide&& decide) {
  const bool checked = context.controls.Checked(rule.control);
  RunRegistryRule(*context.platform.registry, rule.root, [&](RegStore& store) {
    const LoadState stored = ReadState(kind, store, rule);  // the key stays open when it exists
    const bool present = store.HasCurrentKey() && store.HasValue(rule.valueName);
    const Change change = decide(checked, stored, present);
    if (change.what == Change::Remove && present)
      store.RemoveValue(rule.valueName);
    else if (change.what == Change::Write && store.OpenPath(rule.keyPath, true))
      WriteStored(store, rule.valueName, kind.storage, change.value);
  });
}

// Apply of a verb: registered when checked and its command is not; removed when unchecked while
// the key holds the rule's command or runs nothing at all (the remains of the rule's own entry).
// A verb of that name with another program's command is the user's own menu entry, a setting
// the rule never wrote: an unchecked box says only that the rule's command is not registered,
// which is true, so that verb stays.
void ApplyVerb(const TweakRule& rule, const ShellVerb& kind, RuleContext& context) {
  const bool checked = context.controls.Checked(rule.control);
  RunRegistryRule(*context.platform.registry, rule.root, [&](RegStore& store) {
    const VerbKey found = ReadVerbKey(kind, store, rule);
    if (!checked) {
      if (found == VerbKey::Registered || found == VerbKey::Broken)
        store.RemoveKeyTree(rule.keyPath);
      return;
    }
    if (found == VerbKey::Registered) return;
    if (store.OpenPath(rule.keyPath, true)) store.WriteText("", kind.caption);
    store.ClosePath();
    if (store.OpenPath(CommandKey(rule), true)) store.WriteText("", kind.command);
  });
}

}  // namespace

bool GetSpecialFolderPath(Shell& shell, int csidl, std::string& path) {
  std::string found;
  if (!shell.SpecialFolderPath(csidl, found)) return false;
  path = found.substr(0, MaxPath - 1);
  return true;
}

std::string FolderPresencePath(const FolderPresence& folder, Platform& platform) {
  std::string base;
  // A special folder the shell cannot name gives no path: nothing is made at the drive's root.
  if (!GetSpecialFolderPath(*platform.shell, folder.csidl, base) || base.empty()) return {};
  return base + "\\" + folder.folder;
}

void LoadRule(const TweakRule& rule, RuleContext& context) {
  const ControlRef& control = rule.control;
  const std::string& name = rule.valueName;
  std::visit(
      Overloaded{
          [&](const PolicyFlag& kind) { LoadCheck(rule, kind, context); },
          [&](const MarkerValue& kind) { LoadCheck(rule, kind, context); },
          [&](const TwoStateValue& kind) { LoadCheck(rule, kind, context); },
          [&](const ShellVerb& kind) { LoadCheck(rule, kind, context); },
          [&](const NumberString& kind) {
            const auto setDefault = [&] {
              context.controls.SetPosition(control, kind.defaultNumber);
            };
            RunLoadWith(rule, context, setDefault, [&](RegStore* store) {
              int number = kind.defaultNumber;
              if (store && store->HasValue(name))
                number = TryParseInteger(store->ReadText(name)).value_or(kind.defaultNumber);
              context.controls.SetPosition(control, number);
            });
          },
          [&](const FolderPresence& kind) {
            const std::string path = FolderPresencePath(kind, context.platform);
            context.controls.SetChecked(control,
                                        !path.empty() && IsDirectory(*context.platform.files, path));
          },
          [&](const SystemParameter& kind) {
            std::uint32_t value = 0;
            context.platform.parameters->Get(kind.getAction, value);
            if (kind.isCheck)
              context.controls.SetChecked(control, (value & 0xFF) != 0);
            else
              context.controls.SetPosition(control, static_cast<int>(value / kind.scale));
          },
          [&](const RadioValue& kind) {
            auto selectDefault = [&] {
              if (kind.defaultButton < kind.buttons.size())
                context.controls.SetChecked(kind.buttons[kind.defaultButton].control, true);
            };
            RunLoadWith(rule, context, selectDefault, [&](RegStore* store) {
              if (!store) return selectDefault();
              const std::int32_t stored = store->ReadNumber(name);  // absent: a failure
              for (const auto& button : kind.buttons)
                if (button.number == stored)
                  return context.controls.SetChecked(button.control, true);
            });
          },
      },
      rule.kind);
}

void ApplyRule(const TweakRule& rule, RuleContext& context) {
  const ControlRef& control = rule.control;
  const std::string& name = rule.valueName;
  std::visit(
      Overloaded{
          [&](const PolicyFlag& kind) {
            ApplyCheck(rule, kind, context, [&](bool checked, LoadState stored, bool) {
              if (!checked && stored != LoadState::Unchecked)
                return Change{Change::Write, StoredValue::Number(kind.flag)};
              if (checked && stored == LoadState::Unchecked) return Change{Change::Remove};
              return Change{};
            });
          },
          [&](const MarkerValue& kind) {
            ApplyCheck(rule, kind, context, [&](bool checked, LoadState stored, bool) {
              if (checked && stored != LoadState::Checked) return Change{Change::Write, kind.marker};
              if (!checked && stored == LoadState::Checked) return Change{Change::Remove};
              return Change{};
            });
          },
          [&](const TwoStateValue& kind) {
            ApplyCheck(rule, kind, context, [&](bool checked, LoadState stored, bool present) {
              // An absent value is written in the state shown.
              if (stored != StateOf(checked) || !present)
                return Change{Change::Write, checked ? kind.on : kind.off};
              return Change{};
            });
          },
          [&](const ShellVerb& kind) { ApplyVerb(rule, kind, context); },
          [&](const NumberString& kind) {
            const int number = context.controls.Position(control);
            RunApply(rule, context, [&](RegStore& store) {
              if (kind.systemAction)
                context.platform.parameters->Set(*kind.systemAction,
                                                 static_cast<std::uint32_t>(number),
                                                 kind.systemFlags);
              store.WriteText(name, std::to_string(number));
            });
          },
          [&](const FolderPresence& kind) {
            const std::string path = FolderPresencePath(kind, context.platform);
            if (path.empty()) return;
            Files& files = *context.platform.files;
            if (context.controls.Checked(control))
              files.MakeDirectory(path);
            else if (IsDirectory(files, path))
              files.RemoveEmptyDirectory(path);
          },
          [&](const SystemParameter& kind) {
            // A setting that already loads as the control shows is left as the system holds it
            // (a timeout between two steps, a value not stored yet).
            std::uint32_t current = 0;
            if (context.platform.parameters->Get(kind.getAction, current)) {
              const bool same =
                  kind.isCheck ? ((current & 0xFF) != 0) == context.controls.Checked(control)
                               : static_cast<int>(current / kind.scale) ==
                                     context.controls.Position(control);
              if (same) return;
            }
            const std::uint32_t value =
                kind.isCheck ? (context.controls.Checked(control) ? 1u : 0u)
                             : static_cast<std::uint32_t>(context.controls.Position(control) *
                                                          kind.scale);
            context.platform.parameters->Set(kind.setAction, value, kind.updateFlags);
          },
          [&](const RadioValue& kind) {
            for (const auto& button : kind.buttons) {
              if (!context.controls.Checked(button.control)) continue;
              RunApply(rule, context, [&](RegStore& store) { store.WriteNumber(name, button.number); });
              return;  // no checked button: nothing written, no key made
            }
          },
      },
      rule.kind);
}

LoadState StoredCheckState(const TweakRule& rule, Platform& platform) {
  const auto read = [&](const auto& kind) {
    LoadState state = FallbackState(kind);
    RunRegistryRule(*platform.registry, rule.root,
                    [&](RegStore& store) { state = ReadState(kind, store, rule); });
    return state;
  };
  return std::visit(Overloaded{
                        [&](const PolicyFlag& kind) { return read(kind); },
                        [&](const MarkerValue& kind) { return read(kind); },
                        [&](const TwoStateValue& kind) { return read(kind); },
                        [&](const ShellVerb& kind) { return read(kind); },
                        [](const auto&) { return LoadState::Unchanged; },
                    },
                    rule.kind);
}

void LoadRules(std::span<const TweakRule> rules, RuleContext& context) {
  for (const auto& rule : rules) LoadRule(rule, context);
}

void ApplyRules(std::span<const TweakRule> rules, RuleContext& context) {
  for (const auto& rule : rules) ApplyRule(rule, context);
}

}  // namespace vlx
