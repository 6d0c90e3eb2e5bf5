#include "store/regedit_registry.h"

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "store/reg_store.h"
#include "store/store_error.h"
#include "text/cp1251.h"

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
                std::vector<Entry>& out, std::vector<std::string>* missed) {
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
    if (child.get()) ExportTree(registry, child.get(), fullName + "\\" + sub, out, missed);
    else if (missed) missed->push_back(fullName + "\\" + sub);
  }
}

// A key's name folded for comparing without regard to case.
std::string Folded(const std::string& name) {
  std::string out = name;
  for (char& c : out) c = static_cast<char>(Cp1251ToLower(static_cast<unsigned char>(c)));
  return out;
}

std::string LastName(const std::string& fullName) {
  const std::size_t slash = fullName.rfind('\\');
  return slash == std::string::npos ? fullName : fullName.substr(slash + 1);
}

// The hardware profile HKEY_CURRENT_CONFIG stands for on Windows 9x: "Config\0001" below
// HKEY_LOCAL_MACHINE, as IDConfigDB names it; empty when the registry has none.
std::string CurrentProfile(Registry& registry) {
  OpenedKey ids(registry, regroot::LocalMachine, "System\\CurrentControlSet\\Control\\IDConfigDB",
                false);
  if (!ids.get()) return {};
  std::string name, data, profile;
  std::uint32_t type = 0;
  for (std::uint32_t i = 0; registry.EnumValue(ids.get(), i, name, type, data) == winerr::Success; ++i) {
    if (!EqualNoCaseCp1251(name, "CurrentConfig")) continue;
    if ((type == regtype::Sz || type == regtype::ExpandSz) && !data.empty())
      profile = data.substr(0, data.find('\0'));
    if (type == regtype::Dword && data.size() == 4) {
      char text[8];
      std::snprintf(text, sizeof text, "%04u", static_cast<unsigned char>(data[0]) |
                                                   static_cast<unsigned char>(data[1]) << 8);
      profile = text;
    }
  }
  if (profile.empty()) return {};
  const std::string path = "Config\\" + profile;
  OpenedKey config(registry, regroot::LocalMachine, path, false);
  return config.get() ? path : std::string();
}

bool HasRoot(Registry& registry, RegKey root) {
  OpenedKey key(registry, root, "", false);
  return key.get() != 0;
}

std::string Figure(std::size_t n) { return std::to_string(n); }

// The values a key holds as the script goes: read from the registry when first met.
class KeySizes {
 public:
  KeySizes(Registry& registry, RegLimits limits) : registry_(registry), limits_(limits) {}

  void DeleteTree(const std::string& fullName) {
    const std::string id = Folded(fullName);
    for (auto& [key, values] : keys_)
      if (key == id || (key.size() > id.size() && key.compare(0, id.size(), id) == 0 &&
                        key[id.size()] == '\\'))
        values.clear();
    deleted_.push_back(id + "\\");
  }

  void Set(const std::string& fullName, const std::string& name, std::size_t size) {
    std::vector<ValueSize>& values = Values(fullName);
    Remove(values, name);
    values.insert(values.begin(), {name, size});
    const std::string why = LimitRefusal(limits_, fullName, LastName(fullName), values);
    if (!why.empty()) throw StoreError(why);
  }

  void Remove(const std::string& fullName, const std::string& name) {
    Remove(Values(fullName), name);
  }

 private:
  static void Remove(std::vector<ValueSize>& values, const std::string& name) {
    for (auto it = values.begin(); it != values.end(); ++it)
      if (EqualNoCaseCp1251(it->name, name)) {
        values.erase(it);
        return;
      }
  }

  std::vector<ValueSize>& Values(const std::string& fullName) {
    const std::string id = Folded(fullName);
    auto it = keys_.find(id);
    if (it != keys_.end()) return it->second;
    std::vector<ValueSize>& values = keys_[id];
    for (const std::string& gone : deleted_)
      if (id.compare(0, gone.size(), gone) == 0) return values;
    RegKey root = 0;
    std::string path, rootName;
    if (!SplitKeyName(fullName, root, path, rootName)) return values;
    OpenedKey key(registry_, root, path, false);
    std::string name, data;
    std::uint32_t type = 0;
    for (std::uint32_t i = 0; key.get() && registry_.EnumValue(key.get(), i, name, type, data) == winerr::Success; ++i)
      values.push_back({name, data.size()});
    return values;
  }

  Registry& registry_;
  RegLimits limits_;
  std::map<std::string, std::vector<ValueSize>> keys_;
  std::vector<std::string> deleted_;
};

}  // namespace

std::string LimitRefusal(const RegLimits& limits, const std::string& keyName,
                         std::string_view leaf, const std::vector<ValueSize>& values) {
  const std::string holder = limits.holder;
  if (!values.empty()) {
    const ValueSize& set = values.front();
    const std::string shown = set.name.empty() ? std::string("(Default)") : "'" + set.name + "'";
    if (limits.valueName && set.name.size() > limits.valueName)
      return "The value name " + shown + " of " + keyName + " has " + Figure(set.name.size()) +
             " characters: " + holder + " value name has at most " + Figure(limits.valueName);
    if (limits.valueData && set.size > limits.valueData)
      return "The value " + shown + " of " + keyName + " holds " + Figure(set.size) + " bytes: " +
             holder + " value holds at most " + Figure(limits.valueData) + " bytes of data";
  }
  std::size_t keySize = limits.keyOverhead + leaf.size();
  for (const ValueSize& value : values) keySize += limits.valueOverhead + value.name.size() + value.size;
  if (limits.keyBytes && keySize > limits.keyBytes)
    return "The key " + keyName + " would take " + Figure(keySize) + " bytes: " + holder +
           " key holds at most " + Figure(limits.keyBytes) + " bytes of names and data";
  return {};
}

void Fit(Registry& registry, Script& script, std::vector<std::string>& notes) {
  std::vector<Entry> kept;
  std::size_t dynamic = 0;
  bool inDynamic = false;
  std::map<RegKey, std::string> roots;  // root -> what stands for it (a path below HKLM)
  for (Entry& entry : script.entries) {
    RegKey root = 0;
    std::string path, rootName;
    if (entry.kind == Entry::Kind::Key || entry.kind == Entry::Kind::DeleteKey) {
      SplitKeyName(entry.key, root, path, rootName);
      inDynamic = root == regroot::DynData;
      if (inDynamic) {
        ++dynamic;
        continue;
      }
      if (!roots.count(root)) {
        std::string standIn;
        if (!HasRoot(registry, root)) {
          if (root == regroot::CurrentConfig) standIn = CurrentProfile(registry);
          if (standIn.empty())
            throw StoreError(
                entry.key + ": this machine has no " + rootName +
                (root == regroot::CurrentConfig
                     ? " and no current hardware profile under HKEY_LOCAL_MACHINE\\Config"
                     : root == regroot::Users
                           ? " (its only user hive is HKEY_CURRENT_USER)"
                           : ""));
        }
        roots[root] = standIn;
      }
      if (!roots[root].empty())
        entry.key = "HKEY_LOCAL_MACHINE\\" + roots[root] + (path.empty() ? "" : "\\" + path);
    } else if (inDynamic) {
      continue;
    }
    kept.push_back(std::move(entry));
  }
  script.entries = std::move(kept);
  if (dynamic)
    notes.push_back("HKEY_DYN_DATA is built by Windows at run time: its " + std::to_string(dynamic) +
                    " section(s) were skipped");

  const RegLimits limits = registry.Limits();
  if (!limits.valueData && !limits.valueName && !limits.keyBytes) return;
  KeySizes sizes(registry, limits);
  std::string current;
  for (const Entry& entry : script.entries) {
    switch (entry.kind) {
      case Entry::Kind::DeleteKey:
        sizes.DeleteTree(entry.key);
        current.clear();
        break;
      case Entry::Kind::Key:
        current = entry.key;
        break;
      case Entry::Kind::Value: {
        std::size_t size = entry.data.size();
        if (entry.type == regtype::Sz && limits.valueData)
          size = Win9xStoredSz(entry.data).size();
        if (!current.empty()) sizes.Set(current, entry.name, size);
        break;
      }
      case Entry::Kind::DeleteValue:
        if (!current.empty()) sizes.Remove(current, entry.name);
        break;
    }
  }
}

bool ExportKey(Registry& registry, const std::string& fullName, Writer& out,
               std::vector<std::string>* missed) {
  std::vector<Entry> entries;
  if (!ExportKey(registry, fullName, entries, missed)) return false;
  for (const Entry& entry : entries) out.Add(entry);
  return true;
}

bool ExportKey(Registry& registry, const std::string& fullName, std::vector<Entry>& out,
               std::vector<std::string>* missed) {
  RegKey root = 0;
  std::string path, rootName;
  if (!SplitKeyName(fullName, root, path, rootName)) return false;
  OpenedKey key(registry, root, path, false);
  if (!key.get()) return false;
  ExportTree(registry, key.get(), rootName + (path.empty() ? "" : "\\" + path), out, missed);
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
