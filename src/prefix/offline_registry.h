// A Registry port over registry files on disk: the changes are kept in memory and written on Save.
#pragma once
#include <functional>

#include "platform/registry.h"

namespace vlx::prefix {

class OfflineRegistry : public Registry {
 public:
  // Which family's registry semantics to follow (see PrefixRegistry::SetFamily).
  virtual void SetFamily(std::function<bool()> isWin9x) = 0;
  // Writes every hive changed since loading, atomically.
  virtual void Save() = 0;
};

}  // namespace vlx::prefix
