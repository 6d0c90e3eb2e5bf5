#include "prefix/prefix_parameters.h"

#include <optional>
#include <string>

#include "store/store_routine.h"
#include "store/stored_parameters.h"
#include "text/integer_text.h"

namespace vlx::prefix {

namespace {

const std::string kDesktopKey = std::string("\\") + kStoredParametersKey;

}  // namespace

bool PrefixParameters::Get(std::uint32_t action, std::uint32_t& value) {
  const StoredParameter* p = StoredParameterByGet(action);
  if (!p) return false;
  if (auto it = session_.find(p->set); it != session_.end()) {
    value = it->second;
    return true;
  }
  std::optional<std::string> text;
  RunRegistryRule(registry_, regroot::CurrentUser, [&](RegStore& store) {
    if (store.OpenPath(kDesktopKey, false) && store.HasValue(p->value))
      text = store.ReadText(p->value);
  });
  if (!text) {
    value = p->absent;
    return true;
  }
  const std::int32_t number = TryParseInteger(*text).value_or(0);
  value = p->flag ? (number != 0 ? 1u : 0u) : static_cast<std::uint32_t>(number);
  return true;
}

bool PrefixParameters::Set(std::uint32_t action, std::uint32_t param, std::uint32_t flags) {
  const StoredParameter* p = StoredParameterBySet(action);
  if (!p) return false;
  const std::uint32_t value = p->flag ? (param != 0 ? 1u : 0u) : param;
  session_[action] = value;
  bool stored = true;
  if (flags & spif::UpdateIniFile) {
    stored = RunRegistryRule(registry_, regroot::CurrentUser, [&](RegStore& store) {
      if (!store.OpenPath(kDesktopKey, true)) throw StoreError::FailedToCreateKey(kDesktopKey);
      store.WriteText(p->value, StoredParameterText(*p, value));
    });
    if (stored) session_.erase(action);
  }
  journal_.Add("SystemParametersInfo " + std::to_string(action) + " " +
               std::to_string(static_cast<std::int32_t>(param)) + " flags " +
               std::to_string(flags));
  return stored;
}

}  // namespace vlx::prefix
