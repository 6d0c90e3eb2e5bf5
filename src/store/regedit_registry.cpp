#include "store/regedit_registry.h"

#include <memory>
#include <vector>

#include "store/reg_store.h"
#include "store/store_error.h"

namespace vlx::regedit {

OpenedKey::OpenedKey(Registry& registry, RegKey parent, const std::string& path, bool create)
    : registry_(registry) {
  const long rc = create ? registry.CreateKey(parent, path, key_) : registry.OpenKey(parent, path, key_);
  if (rc != winerr::Success) key_ = 0;
  owned_ = key_ != 0;
}

OpenedKey::OpenedKey(Registry& registry, const std::string& fullName, bool create) : registry_(registry) {
  RegKey root = 0;
  std::string path, rootName;
  if (!SplitKeyName(fullName, root, path, rootName)) return;
  if (path.empty()) {
    key_ = root;
    return;
  }
  const long rc = create ? registry.CreateKey(root, path, key_) : registry.OpenKey(root, path, key_);
  if (rc != winerr::Success) key_ = 0;
  owned_ = key_ != 0;
}

OpenedKey::~OpenedKey() {
  if (owned_) registry_.CloseKey(key_);
}

namespace {

void ExportTree(Registry& registry, RegKey key, const std::string& fullName,
                std::vector<Entry>& out) {
  out.push_back({Entry::Kind::Key, fullName, {}, 0, {}});
  std::string name, data;
  std::uint32_t type = 0;
  for (std::uint32_t i = 0; registry.EnumValue(key, i, name, type, data) == winerr::Success; ++i)
    out.push_back({Entry::Kind::Value, fullName, name, type, data});
  std::vector<std::string> subkeys;
  while (registry.EnumKey(key, static_cast<std::uint32_t>(subkeys.size()), name) == winerr::Success)
    subkeys.push_back(name);
  for (const std::string& sub : subkeys) {
    OpenedKey child(registry, key, sub, false);
    if (child.get()) ExportTree(registry, child.get(), fullName + "\\" + sub, out);
  }
}

}  // namespace

bool ExportKey(Registry& registry, const std::string& fullName, Writer& out) {
  std::vector<Entry> entries;
  if (!ExportKey(registry, fullName, entries)) return false;
  for (const Entry& entry : entries) out.Add(entry);
  return true;
}

bool ExportKey(Registry& registry, const std::string& fullName, std::vector<Entry>& out) {
  RegKey root = 0;
  std::string path, rootName;
  if (!SplitKeyName(fullName, root, path, rootName)) return false;
  OpenedKey key(registry, root, path, false);
  if (!key.get()) return false;
  ExportTree(registry, key.get(), rootName + (path.empty() ? "" : "\\" + path), out);
  return true;
}

void Apply(Registry& registry, const Script& script) {
  std::unique_ptr<OpenedKey> current;
  for (const Entry& entry : script.entries) {
    RegKey root = 0;
    std::string path, rootName;
    SplitKeyName(entry.key, root, path, rootName);
    switch (entry.kind) {
      case Entry::Kind::DeleteKey: {
        current.reset();
        RegStore store(registry);
        store.SetRoot(root);
        if (store.HasKey("\\" + path) && !store.RemoveKeyTree("\\" + path))
          throw StoreError("Failed to delete key " + entry.key);
        break;
      }
      case Entry::Kind::Key:
        current = std::make_unique<OpenedKey>(registry, root, path, true);
        if (!current->get()) throw StoreError::FailedToCreateKey(entry.key);
        break;
      case Entry::Kind::Value:
        if (!current || registry.SetValue(current->get(), entry.name, entry.type,
                                          reinterpret_cast<const unsigned char*>(entry.data.data()),
                                          static_cast<std::uint32_t>(entry.data.size())) != winerr::Success)
          throw StoreError::FailedToSetData(entry.name);
        break;
      case Entry::Kind::DeleteValue: {
        if (!current) break;
        const long rc = registry.DeleteValue(current->get(), entry.name);
        if (rc != winerr::Success && rc != winerr::FileNotFound)
          throw StoreError("Failed to delete value '" + entry.name + "'");
        break;
      }
    }
  }
}

}  // namespace vlx::regedit
