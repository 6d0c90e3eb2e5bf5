#include "overlay/overlay_registry.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "store/regedit_registry.h"
#include "text/cp1251.h"

namespace vlx::overlay {

namespace {

using regedit::Entry;

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(Cp1251ToLower(static_cast<unsigned char>(c)));
  return out;
}

template <class List, class Name>
auto FindNamed(List& list, const std::string& name, Name&& nameOf) {
  return std::find_if(list.begin(), list.end(),
                      [&](const auto& item) { return EqualNoCaseCp1251(nameOf(item), name); });
}

const std::string& SelfName(const std::string& s) { return s; }

// The registry's order of names: by their lower-case code points ("_" before letters, "Ё" after
// "я"), for subkeys and values alike.
bool PlatformBefore(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t x = Cp1251ToCodePoint(Cp1251ToLower(static_cast<unsigned char>(a[i])));
    const char32_t y = Cp1251ToCodePoint(Cp1251ToLower(static_cast<unsigned char>(b[i])));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

template <class List, class Item, class Name>
void InsertSorted(List& list, Item item, Name&& nameOf) {
  const auto at = std::find_if(list.begin(), list.end(),
                               [&](const auto& other) { return PlatformBefore(nameOf(item), nameOf(other)); });
  list.insert(at, std::move(item));
}

long Fill(std::uint32_t valueType, const std::string& bytes, std::uint32_t* type,
          unsigned char* data, std::uint32_t* size) {
  if (type) *type = valueType;
  const auto length = static_cast<std::uint32_t>(bytes.size());
  if (!size) return data ? winerr::InvalidParameter : winerr::Success;
  if (!data) {
    *size = length;
    return winerr::Success;
  }
  if (*size < length) {
    *size = length;
    return winerr::MoreData;
  }
  if (length) std::memcpy(data, bytes.data(), length);
  *size = length;
  return winerr::Success;
}

// A key of the registry below, open for one call.
class BaseKey {
 public:
  BaseKey(Registry& base, RegKey root, const std::string& path) : base_(base) {
    if (path.empty()) {
      key_ = root;
      ok_ = true;
    } else {
      ok_ = base.OpenKey(root, path, key_) == winerr::Success;
    }
  }
  ~BaseKey() {
    if (ok_) base_.CloseKey(key_);
  }
  BaseKey(const BaseKey&) = delete;
  BaseKey& operator=(const BaseKey&) = delete;
  bool ok() const { return ok_; }
  RegKey get() const { return key_; }

 private:
  Registry& base_;
  RegKey key_ = 0;
  bool ok_ = false;
};

template <class Value>
const std::string& ValueName(const Value& v) {
  return v.name;
}

// The value entries that turn `from` into `to` under the key.
template <class Value>
std::vector<Entry> ValueDiff(const std::vector<Value>& from, const std::vector<Value>& to,
                             const std::string& key) {
  std::vector<Entry> out;
  for (const Value& v : to) {
    const auto old = FindNamed(from, v.name, ValueName<Value>);
    if (old == from.end() || old->type != v.type || old->data != v.data)
      out.push_back({Entry::Kind::Value, key, v.name, v.type, v.data});
  }
  for (const Value& v : from)
    if (FindNamed(to, v.name, ValueName<Value>) == to.end())
      out.push_back({Entry::Kind::DeleteValue, key, v.name, 0, {}});
  return out;
}

bool IsUnder(const std::set<std::string>& tops, const std::string& id) {
  for (const std::string& top : tops)
    if (id.size() > top.size() && id.compare(0, top.size(), top) == 0 && id[top.size()] == '\\')
      return true;
  return false;
}

}  // namespace

bool OverlayRegistry::Resolve(RegKey parent, const std::string& sub, Path& out) const {
  if (const auto it = handles_.find(parent); it != handles_.end()) {
    out = it->second;
  } else if (parent == regroot::ClassesRoot) {
    out.root = regroot::LocalMachine;
    out.path = "Software\\Classes";
  } else if (!regedit::RootName(parent).empty()) {
    out.root = parent;
    out.path.clear();
  } else {
    return false;
  }
  std::size_t pos = 0;
  while (pos <= sub.size()) {
    std::size_t end = sub.find('\\', pos);
    if (end == std::string::npos) end = sub.size();
    if (end > pos) out.path += (out.path.empty() ? "" : "\\") + sub.substr(pos, end - pos);
    pos = end + 1;
  }
  const std::string rootName = regedit::RootName(out.root);
  out.fullName = rootName + (out.path.empty() ? "" : "\\" + out.path);
  out.id = rootName + "\\" + Lower(out.path);
  return true;
}

OverlayRegistry::Path OverlayRegistry::Parent(const Path& key) {
  Path parent = key;
  const std::size_t cut = key.path.rfind('\\');
  parent.path = cut == std::string::npos ? std::string() : key.path.substr(0, cut);
  const std::string rootName = regedit::RootName(key.root);
  parent.fullName = rootName + (parent.path.empty() ? "" : "\\" + parent.path);
  parent.id = rootName + "\\" + Lower(parent.path);
  return parent;
}

std::string OverlayRegistry::LastName(const Path& key) {
  const std::size_t cut = key.path.rfind('\\');
  return cut == std::string::npos ? key.path : key.path.substr(cut + 1);
}

bool OverlayRegistry::BaseExists(const Path& key) { return BaseKey(base_, key.root, key.path).ok(); }

bool OverlayRegistry::Exists(const Path& key) {
  // The nearest of the key and its parents that the overlay knows decides; past it, the base.
  Path at = key;
  std::string below;  // the child of `at` on the way down to the key
  for (;;) {
    if (const auto it = nodes_.find(at.id); it != nodes_.end()) {
      if (below.empty()) return it->second.exists;
      if (!it->second.exists) return false;
      const auto& subkeys = it->second.subkeys;
      if (FindNamed(subkeys, below, SelfName) ==
          subkeys.end())
        return false;
      break;
    }
    if (at.path.empty()) break;
    below = LastName(at);
    at = Parent(at);
  }
  return BaseExists(key);
}

std::vector<OverlayRegistry::Value> OverlayRegistry::BaseValues(const Path& key) {
  std::vector<Value> values;
  BaseKey base(base_, key.root, key.path);
  if (!base.ok()) return values;
  Value v;
  for (std::uint32_t i = 0; base_.EnumValue(base.get(), i, v.name, v.type, v.data) == winerr::Success; ++i)
    values.push_back(v);
  return values;
}

std::string OverlayRegistry::StoredName(const Path& key) {
  if (const auto it = nodes_.find(key.id); it != nodes_.end()) return it->second.fullName;
  if (key.path.empty()) return key.fullName;
  const Path parent = Parent(key);
  const std::string last = LastName(key);
  std::string name = last;
  if (const auto it = nodes_.find(parent.id); it != nodes_.end()) {
    const auto found = FindNamed(it->second.subkeys, last, SelfName);
    if (found != it->second.subkeys.end()) name = *found;
  } else if (BaseKey base(base_, parent.root, parent.path); base.ok()) {
    std::string sub;
    for (std::uint32_t i = 0; base_.EnumKey(base.get(), i, sub) == winerr::Success; ++i)
      if (EqualNoCaseCp1251(sub, last)) {
        name = sub;
        break;
      }
  }
  return StoredName(parent) + "\\" + name;
}

OverlayRegistry::Node& OverlayRegistry::Load(const Path& key) {
  if (const auto it = nodes_.find(key.id); it != nodes_.end()) return it->second;
  Node node;
  node.fullName = StoredName(key);
  node.root = key.root;
  node.path = key.path;
  node.exists = Exists(key);
  if (node.exists) {
    node.values = BaseValues(key);
    BaseKey base(base_, key.root, key.path);
    std::string name;
    while (base.ok() &&
           base_.EnumKey(base.get(), static_cast<std::uint32_t>(node.subkeys.size()), name) ==
               winerr::Success)
      node.subkeys.push_back(name);
  }
  return nodes_.emplace(key.id, std::move(node)).first->second;
}

OverlayRegistry::Node* OverlayRegistry::Loaded(const Path& key) {
  const auto it = nodes_.find(key.id);
  return it == nodes_.end() ? nullptr : &it->second;
}

RegKey OverlayRegistry::NewHandle(const Path& key) {
  const RegKey handle = nextHandle_++;
  handles_[handle] = key;
  return handle;
}

bool OverlayRegistry::ParentGone(RegKey parent) {
  Path at;
  return handles_.count(parent) && Resolve(parent, "", at) && !Exists(at);
}

long OverlayRegistry::RootRefusal(RegKey parent) {
  if (handles_.count(parent) || parent == regroot::ClassesRoot) return winerr::Success;
  if (const auto known = roots_.find(parent); known != roots_.end()) return known->second;
  RegKey key = 0;
  const long rc = base_.OpenKey(parent, "", key);
  if (rc == winerr::Success) base_.CloseKey(key);
  return roots_[parent] = rc;
}

long OverlayRegistry::OpenKey(RegKey parent, const std::string& path, RegKey& result) {
  Path key;
  if (!Resolve(parent, path, key)) return winerr::InvalidHandle;
  if (const long rc = RootRefusal(parent); rc != winerr::Success) return rc;
  if (ParentGone(parent)) return winerr::KeyDeleted;
  if (!Exists(key)) return winerr::FileNotFound;
  result = NewHandle(key);
  return winerr::Success;
}

long OverlayRegistry::CreateKey(RegKey parent, const std::string& path, RegKey& result) {
  Path key;
  if (!Resolve(parent, path, key)) return winerr::InvalidHandle;
  if (RootRefusal(parent) != winerr::Success) return winerr::AccessDenied;
  if (ParentGone(parent)) return winerr::KeyDeleted;
  if (!Exists(key)) {
    // Every missing level, from the top down.
    std::vector<Path> missing;
    for (Path at = key; !at.path.empty() && !Exists(at); at = Parent(at)) missing.push_back(at);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
      InsertSorted(Load(Parent(*it)).subkeys, LastName(*it), SelfName);
      Node& node = nodes_[it->id];
      node = Node{StoredName(Parent(*it)) + "\\" + LastName(*it), it->root, it->path, true, {}, {}};
    }
  }
  result = NewHandle(key);
  return winerr::Success;
}

long OverlayRegistry::CloseKey(RegKey key) {
  if (handles_.erase(key) || !regedit::RootName(key).empty()) return winerr::Success;
  return winerr::InvalidHandle;
}

long OverlayRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                 unsigned char* data, std::uint32_t* size) {
  Path at;
  if (!Resolve(key, "", at)) return winerr::InvalidHandle;
  if (const Node* node = Loaded(at)) {
    if (!node->exists) return winerr::KeyDeleted;
    const auto it = FindNamed(node->values, name, ValueName<Value>);
    if (it == node->values.end()) return winerr::FileNotFound;
    return Fill(it->type, it->data, type, data, size);
  }
  BaseKey base(base_, at.root, at.path);
  if (!base.ok()) return winerr::KeyDeleted;
  return base_.QueryValue(base.get(), name, type, data, size);
}

long OverlayRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                               const unsigned char* data, std::uint32_t size) {
  Path at;
  if (!Resolve(key, "", at)) return winerr::InvalidHandle;
  Node& node = Load(at);
  if (!node.exists) return winerr::KeyDeleted;
  std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
  if (type == regtype::Sz && IsWin9x()) bytes = Win9xStoredSz(bytes);
  // What the registry below would refuse is refused here.
  if (const RegLimits limits = base_.Limits(); limits.valueData || limits.keyBytes) {
    std::vector<regedit::ValueSize> sizes{{name, bytes.size()}};
    for (const Value& v : node.values)
      if (!EqualNoCaseCp1251(v.name, name)) sizes.push_back({v.name, v.data.size()});
    const std::string leaf = node.fullName.substr(node.fullName.rfind('\\') + 1);
    if (!regedit::LimitRefusal(limits, node.fullName, leaf, sizes).empty())
      return winerr::InvalidParameter;
  }
  const auto it = FindNamed(node.values, name, ValueName<Value>);
  if (it != node.values.end()) {
    it->type = type;
    it->data = bytes;
  } else {
    InsertSorted(node.values, Value{name, type, bytes}, ValueName<Value>);
  }
  return winerr::Success;
}

long OverlayRegistry::DeleteValue(RegKey key, const std::string& name) {
  Path at;
  if (!Resolve(key, "", at)) return winerr::InvalidHandle;
  Node& node = Load(at);
  if (!node.exists) return winerr::KeyDeleted;
  const auto it = FindNamed(node.values, name, ValueName<Value>);
  if (it == node.values.end()) return winerr::FileNotFound;
  node.values.erase(it);
  return winerr::Success;
}

long OverlayRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
  Path at, above;
  if (!Resolve(parent, subkey, at) || !Resolve(parent, "", above)) return winerr::InvalidHandle;
  if (at.id == above.id) return winerr::InvalidParameter;
  if (!Exists(at)) return winerr::FileNotFound;
  if (!Load(at).subkeys.empty()) {
    if (!IsWin9x()) return winerr::AccessDenied;
    // The 9x family deletes the whole tree: the subkeys first, each as its own change.
    RegKey key = 0;
    if (OpenKey(parent, subkey, key) != winerr::Success) return winerr::AccessDenied;
    const std::vector<std::string> subkeys = Load(at).subkeys;
    long rc = winerr::Success;
    for (const std::string& name : subkeys)
      if (rc == winerr::Success) rc = DeleteKey(key, name);
    CloseKey(key);
    if (rc != winerr::Success) return rc;
  }
  Node& node = Load(at);
  Node& up = Load(Parent(at));
  const std::string last = LastName(at);
  up.subkeys.erase(FindNamed(up.subkeys, last, SelfName));
  node.exists = false;
  node.values.clear();
  return winerr::Success;
}

long OverlayRegistry::EnumKey(RegKey key, std::uint32_t index, std::string& name) {
  Path at;
  if (!Resolve(key, "", at)) return winerr::InvalidHandle;
  if (const Node* node = Loaded(at)) {
    if (!node->exists) return winerr::KeyDeleted;
    if (index >= node->subkeys.size()) return winerr::NoMoreItems;
    name = node->subkeys[index];
    return winerr::Success;
  }
  BaseKey base(base_, at.root, at.path);
  return base.ok() ? base_.EnumKey(base.get(), index, name) : winerr::KeyDeleted;
}

long OverlayRegistry::EnumValue(RegKey key, std::uint32_t index, std::string& name,
                                std::uint32_t& type, std::string& data) {
  Path at;
  if (!Resolve(key, "", at)) return winerr::InvalidHandle;
  if (const Node* node = Loaded(at)) {
    if (!node->exists) return winerr::KeyDeleted;
    if (index >= node->values.size()) return winerr::NoMoreItems;
    name = node->values[index].name;
    type = node->values[index].type;
    data = node->values[index].data;
    return winerr::Success;
  }
  BaseKey base(base_, at.root, at.path);
  return base.ok() ? base_.EnumValue(base.get(), index, name, type, data) : winerr::KeyDeleted;
}

long OverlayRegistry::QueryInfoKey(RegKey key, RegKeyInfo& info) {
  Path at;
  if (!Resolve(key, "", at)) return winerr::InvalidHandle;
  const Node* node = Loaded(at);
  if (!node) {
    BaseKey base(base_, at.root, at.path);
    return base.ok() ? base_.QueryInfoKey(base.get(), info) : winerr::KeyDeleted;
  }
  if (!node->exists) return winerr::KeyDeleted;
  info = RegKeyInfo{};
  info.subkeys = static_cast<std::uint32_t>(node->subkeys.size());
  info.values = static_cast<std::uint32_t>(node->values.size());
  for (const std::string& s : node->subkeys)
    info.maxSubkeyLen = std::max(info.maxSubkeyLen, static_cast<std::uint32_t>(s.size()));
  for (const Value& v : node->values) {
    info.maxValueNameLen = std::max(info.maxValueNameLen, static_cast<std::uint32_t>(v.name.size()));
    info.maxValueLen = std::max(info.maxValueLen, static_cast<std::uint32_t>(v.data.size()));
  }
  return winerr::Success;
}

std::vector<Entry> OverlayRegistry::Changes() {
  std::vector<Entry> out;
  std::set<std::string> deleted;
  for (const auto& [id, node] : nodes_) {
    const Path at{node.root, node.path, id, node.fullName};
    const bool baseHas = BaseExists(at);
    if (!node.exists) {
      if (baseHas && !IsUnder(deleted, id)) out.push_back({Entry::Kind::DeleteKey, node.fullName, {}, 0, {}});
      if (baseHas) deleted.insert(id);
      continue;
    }
    const std::vector<Entry> values =
        ValueDiff(baseHas ? BaseValues(at) : std::vector<Value>{}, node.values, node.fullName);
    if (baseHas && values.empty()) continue;
    out.push_back({Entry::Kind::Key, node.fullName, {}, 0, {}});
    out.insert(out.end(), values.begin(), values.end());
  }
  return out;
}

std::vector<Entry> OverlayRegistry::Undo() {
  std::vector<Entry> out;
  std::set<std::string> created, deleted;
  for (const auto& [id, node] : nodes_) {
    const Path at{node.root, node.path, id, node.fullName};
    const bool baseHas = BaseExists(at);
    if (!node.exists) {
      if (baseHas && !IsUnder(deleted, id)) regedit::ExportKey(base_, node.fullName, out);
      if (baseHas) deleted.insert(id);
      continue;
    }
    if (!baseHas) {
      if (!IsUnder(created, id)) out.push_back({Entry::Kind::DeleteKey, node.fullName, {}, 0, {}});
      created.insert(id);
      continue;
    }
    const std::vector<Entry> values = ValueDiff(node.values, BaseValues(at), node.fullName);
    if (values.empty()) continue;
    out.push_back({Entry::Kind::Key, node.fullName, {}, 0, {}});
    out.insert(out.end(), values.begin(), values.end());
  }
  return out;
}

OverlayRegistry::UndoItems OverlayRegistry::Items() {
  UndoItems out;
  std::set<std::string> deleted;
  const auto state = [](const auto& v) { return ValueState{true, v.type, v.data}; };
  for (const auto& [id, node] : nodes_) {
    const Path at{node.root, node.path, id, node.fullName};
    if (IsUnder(deleted, id)) continue;
    const bool baseHas = BaseExists(at);
    if (!node.exists) {
      if (!baseHas) continue;
      deleted.insert(id);
      std::vector<Entry> tree;
      regedit::ExportKey(base_, node.fullName, tree);
      for (const Entry& e : tree)
        if (e.kind == Entry::Kind::Value) out.values.push_back({e.key, e.name, {true, e.type, e.data}, {}});
      continue;
    }
    if (!baseHas) out.created.push_back(node.fullName);
    const std::vector<Value> before = baseHas ? BaseValues(at) : std::vector<Value>{};
    for (const Value& v : node.values) {
      const auto old = FindNamed(before, v.name, ValueName<Value>);
      if (old == before.end()) {
        out.values.push_back({node.fullName, v.name, {}, state(v)});
      } else if (old->type != v.type || old->data != v.data) {
        out.values.push_back({node.fullName, v.name, state(*old), state(v)});
      }
    }
    for (const Value& v : before)
      if (FindNamed(node.values, v.name, ValueName<Value>) == node.values.end())
        out.values.push_back({node.fullName, v.name, state(v), {}});
  }
  return out;
}

}  // namespace vlx::overlay
