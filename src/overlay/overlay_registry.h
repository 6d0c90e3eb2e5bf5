// A registry that keeps every change in memory above another one: reads see the pending
// changes, the registry below sees nothing until the changes are carried over as a script.
#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "store/regedit_text.h"

namespace vlx::overlay {

class OverlayRegistry : public Registry {
 public:
  // `isWin9x` tells whether the registry below follows the 9x family (see PrefixRegistry's
  // SetFamily); the overlay then does as it would. Asked once, when first needed.
  explicit OverlayRegistry(Registry& base, std::function<bool()> isWin9x = {})
      : base_(base), family_(std::move(isWin9x)) {}

  long OpenKey(RegKey parent, const std::string& path, RegKey& result) override;
  long CreateKey(RegKey parent, const std::string& path, RegKey& result) override;
  long CloseKey(RegKey key) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override;
  long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                const unsigned char* data, std::uint32_t size) override;
  long DeleteValue(RegKey key, const std::string& name) override;
  long DeleteKey(RegKey parent, const std::string& subkey) override;
  long EnumKey(RegKey key, std::uint32_t index, std::string& name) override;
  long EnumValue(RegKey key, std::uint32_t index, std::string& name, std::uint32_t& type,
                 std::string& data) override;
  long QueryInfoKey(RegKey key, RegKeyInfo& info) override;
  RegLimits Limits() override { return base_.Limits(); }
  bool SelectView(RegView view) override { return base_.SelectView(view); }

  // What the pending changes do to the registry below: keys deleted and created, values set and
  // removed, parents before children.
  std::vector<regedit::Entry> Changes();
  // What puts the registry below back after those changes: deleted trees written out again,
  // created keys deleted, values set back or removed.
  std::vector<regedit::Entry> Undo();

  // A value as it is stored, or its absence.
  struct ValueState {
    bool exists = false;
    std::uint32_t type = 0;
    std::string data;
  };
  // A value the pending changes set or remove, also with a key they delete: as it is below and
  // as they leave it.
  struct ValueChange {
    std::string key;  // full name, as stored
    std::string name;
    ValueState before, after;
  };
  struct UndoItems {
    std::vector<std::string> created;  // every key the changes create, parents first
    std::vector<ValueChange> values;
  };
  // The same undo item by item, each with what the changes leave, so that a restore can tell
  // what changed again since.
  UndoItems Items();

 private:
  struct Value {
    std::string name;
    std::uint32_t type = 0;
    std::string data;
  };
  struct Path;
  struct Node {
    std::string fullName;  // long root name and path, as first named
    RegKey root = 0;
    std::string path;
    bool exists = false;
    std::vector<Value> values;
    std::vector<std::string> subkeys;
  };
  // A key: its root (HKEY_CLASSES_ROOT folded into HKEY_LOCAL_MACHINE\Software\Classes) and
  // path; `id` compares without regard to case.
  struct Path {
    RegKey root = 0;
    std::string path;
    std::string id;
    std::string fullName;
  };

  bool Resolve(RegKey parent, const std::string& sub, Path& out) const;
  bool Exists(const Path& key);
  bool BaseExists(const Path& key);
  Node& Load(const Path& key);
  // The key's full name with each level as the registry stores it.
  std::string StoredName(const Path& key);
  Node* Loaded(const Path& key);
  RegKey NewHandle(const Path& key);
  // An open handle whose key was deleted since.
  bool ParentGone(RegKey parent);
  static Path Parent(const Path& key);
  static std::string LastName(const Path& key);
  std::vector<Value> BaseValues(const Path& key);

  // A predefined root the registry below lacks (HKEY_USERS on an offline image) is refused
  // here as it would be there: the code it gives, or Success.
  long RootRefusal(RegKey parent);
  std::map<RegKey, long> roots_;  // what the registry below answered for each root

  Registry& base_;
  std::function<bool()> family_;
  std::optional<bool> win9x_;
  bool IsWin9x() {
    if (!win9x_) win9x_ = family_ && family_();
    return *win9x_;
  }
  std::map<std::string, Node> nodes_;  // by Path::id
  std::map<RegKey, Path> handles_;
  RegKey nextHandle_ = 0x1000;
};

}  // namespace vlx::overlay
