// RegStore: one registry object working below one root with at most one open key.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "store/store_error.h"

namespace vlx {

class RegStore {
 public:
  explicit RegStore(Registry& registry);
  ~RegStore();
  RegStore(const RegStore&) = delete;
  RegStore& operator=(const RegStore&) = delete;

  RegKey Root() const { return root_; }
  void SetRoot(RegKey root);
  const std::string& CurrentPath() const { return currentPath_; }
  bool HasCurrentKey() const { return currentKey_ != 0; }

  bool OpenPath(const std::string& path, bool create);
  void ClosePath();

  std::string ReadText(const std::string& name);
  void WriteText(const std::string& name, const std::string& text);
  std::int32_t ReadNumber(const std::string& name);
  void WriteNumber(const std::string& name, std::int32_t value);
  // Returns the bytes read (0 for an absent value, buffer untouched).
  std::uint32_t ReadBytes(const std::string& name, void* buffer, std::uint32_t size);
  void WriteBytes(const std::string& name, const void* buffer, std::uint32_t size);
  bool HasValue(const std::string& name);
  bool RemoveValue(const std::string& name);

  bool HasKey(const std::string& path);
  bool RemoveKeyTree(const std::string& path);
  void ListSubkeys(std::vector<std::string>& list);
  void WriteSubkeyText(const std::string& subkey, const std::string& name, const std::string& text);

 private:
  // The handle a path is taken from: root for "\..." or with no current key, else the current key.
  RegKey BaseFor(const std::string& path, std::string& platformPath) const;

  Registry& registry_;
  RegKey root_ = regroot::CurrentUser;
  RegKey currentKey_ = 0;
  std::string currentPath_;
};

}  // namespace vlx
