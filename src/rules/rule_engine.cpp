#include "rules/rule_engine.h"

#include <string>
#include <type_traits>

#include "store/reg_store.h"
#include "store/store_error.h"
#include "store/store_routine.h"
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

std::uint32_t ReadStoredNumber(RegStore& store, const std::string& name, Storage storage) {
  if (storage == Storage::Binary) return ReadBinaryNumber(store, name);
  return static_cast<std::uint32_t>(store.ReadNumber(name));
}

bool StoredEquals(RegStore& store, const std::string& name, Storage storage,
                  const StoredValue& expected) {
  if (storage == Storage::Text) return store.ReadText(name) == expected.text;
  return ReadStoredNumber(store, name, storage) == expected.number;
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
  return ReadStoredNumber(*store, rule.valueName, kind.storage) == kind.flag ? LoadState::Unchecked
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
    checked = kind.checkedUnlessText ? text != *kind.checkedUnlessText : text == kind.marker.text;
  } else {
    checked = store->HasValue(name) &&
              ReadStoredNumber(*store, name, kind.storage) == kind.marker.number;
  }
  return checked ? LoadState::Checked : LoadState::Unchecked;
}

LoadState StoredState(const TwoStateValue& kind, RegStore* store, const TweakRule& rule) {
  if (!store) return kind.absentKey;
  if (!store->HasValue(rule.valueName)) return kind.absentValue;
  const StoredValue& reference = kind.referenceIsOn ? kind.on : kind.off;
  const bool equal = StoredEquals(*store, rule.valueName, kind.storage, reference);
  return equal == kind.referenceIsOn ? LoadState::Checked : LoadState::Unchecked;
}

// A verb is read from its "command" subkey; `store` is only the root here.
LoadState StoredState(const ShellVerb& kind, RegStore& store, const TweakRule& rule) {
  const bool registered =
      store.OpenPath(CommandKey(rule), false) && store.ReadText("") == kind.command;
  store.ClosePath();
  return registered ? LoadState::Checked : LoadState::Unchecked;
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

// Apply of a check rule: `act` gets the store with the rule's key open (created when missing; for
// a verb, the root), the control's state and the state the stored setting loads as, read before
// anything is written. A setting that already loads as the control's state is left as it is, so
// an Apply after a load changes nothing the user did not change, and a value the rule cannot read
// or did not write (another date format, a whole drive mask) is never removed.
template <class Kind, class Act>
void ApplyCheck(const TweakRule& rule, const Kind& kind, RuleContext& context, Act&& act) {
  const bool checked = context.controls.Checked(rule.control);
  RunRegistryRule(*context.platform.registry, rule.root, [&](RegStore& store) {
    const LoadState stored = ReadState(kind, store, rule);
    if constexpr (std::is_same_v<Kind, ShellVerb>)
      store.ClosePath();
    else if (!store.OpenPath(rule.keyPath, true))
      return;
    act(store, checked, stored);
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
            ApplyCheck(rule, kind, context, [&](RegStore& store, bool checked, LoadState stored) {
              if (!checked && stored != LoadState::Unchecked)
                WriteStored(store, name, kind.storage, StoredValue::Number(kind.flag));
              else if (checked && stored == LoadState::Unchecked)
                store.RemoveValue(name);
            });
          },
          [&](const MarkerValue& kind) {
            ApplyCheck(rule, kind, context, [&](RegStore& store, bool checked, LoadState stored) {
              if (checked && stored != LoadState::Checked)
                WriteStored(store, name, kind.storage, kind.marker);
              else if (!checked && stored == LoadState::Checked)
                store.RemoveValue(name);
            });
          },
          [&](const TwoStateValue& kind) {
            ApplyCheck(rule, kind, context, [&](RegStore& store, bool checked, LoadState stored) {
              // An absent value is written in the state shown.
              if (stored != StateOf(checked) || !store.HasValue(name))
                WriteStored(store, name, kind.storage, checked ? kind.on : kind.off);
            });
          },
          [&](const ShellVerb& kind) {
            ApplyCheck(rule, kind, context, [&](RegStore& store, bool checked, LoadState stored) {
              if (stored == StateOf(checked)) return;
              if (!checked) {
                store.RemoveKeyTree(rule.keyPath);
                return;
              }
              if (store.OpenPath(rule.keyPath, true)) store.WriteText("", kind.caption);
              store.ClosePath();
              if (store.OpenPath(CommandKey(rule), true)) store.WriteText("", kind.command);
            });
          },
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
            const std::uint32_t value =
                kind.isCheck ? (context.controls.Checked(control) ? 1u : 0u)
                             : static_cast<std::uint32_t>(context.controls.Position(control) *
                                                          kind.scale);
            context.platform.parameters->Set(kind.setAction, value, kind.updateFlags);
          },
          [&](const RadioValue& kind) {
            RunApply(rule, context, [&](RegStore& store) {
              for (const auto& button : kind.buttons)
                if (context.controls.Checked(button.control))
                  return store.WriteNumber(name, button.number);
            });
          },
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
