// The frame of every store routine: a fresh RegStore for one routine, its root set explicitly,
// the key closed and the object released on every path.
#pragma once
#include <exception>
#include <utility>

#include "platform/registry.h"
#include "store/reg_store.h"

namespace vlx {

// Registry rules: any error inside `act` is swallowed; `onFailure` then puts the control(s)
// into the routine's fallback state. Returns false when the routine failed.
template <class Act, class OnFailure>
bool RunRegistryRule(Registry& registry, RegKey root, Act&& act, OnFailure&& onFailure) {
  try {
    RegStore store(registry);
    store.SetRoot(root);
    std::forward<Act>(act)(store);
    return true;
  } catch (const std::exception&) {
    std::forward<OnFailure>(onFailure)();
    return false;
  }
}

template <class Act>
bool RunRegistryRule(Registry& registry, RegKey root, Act&& act) {
  return RunRegistryRule(registry, root, std::forward<Act>(act), [] {});
}

// Routines whose errors reach the user (repairs, file routines): released on every path,
// nothing caught.
template <class Act>
decltype(auto) RunStoreRoutine(Registry& registry, RegKey root, Act&& act) {
  RegStore store(registry);
  store.SetRoot(root);
  return std::forward<Act>(act)(store);
}

}  // namespace vlx
