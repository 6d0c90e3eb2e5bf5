// In-memory ports and controls for rule and page tests: a registry with a refusable write, a
// shell with a Start Menu folder, a directory set, system parameters and named controls.
#pragma once
#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "rules/rule_controls.h"

namespace vlx::rulestest {

inline std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

class FakeRegistry : public Registry {
 public:
  struct Value {
    std::uint32_t type = regtype::None;
    std::string data;
  };
  struct Node {
    std::string name;
    std::vector<std::unique_ptr<Node>> subkeys;
    std::map<std::string, std::pair<std::string, Value>> values;  // lower name -> (name, value)

    Node* Find(const std::string& sub) {
      for (auto& n : subkeys)
        if (Lower(n->name) == Lower(sub)) return n.get();
      return nullptr;
    }
  };

  bool refuseWrites = false;  // SetValue fails with AccessDenied
  bool refuseKeys = false;    // OpenKey and CreateKey fail with AccessDenied

  long OpenKey(RegKey parent, const std::string& path, RegKey& result) override {
    return Walk(parent, path, false, result);
  }
  long CreateKey(RegKey parent, const std::string& path, RegKey& result) override {
    return Walk(parent, path, true, result);
  }
  long CloseKey(RegKey key) override {
    handles_.erase(key);
    return winerr::Success;
  }
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override {
    Node* node = NodeOf(key);
    if (!node) return winerr::InvalidHandle;
    auto it = node->values.find(Lower(name));
    if (it == node->values.end()) return winerr::FileNotFound;
    const Value& v = it->second.second;
    if (type) *type = v.type;
    const auto needed = static_cast<std::uint32_t>(v.data.size());
    if (data && size && *size < needed) {
      *size = needed;
      return winerr::MoreData;
    }
    if (data) std::memcpy(data, v.data.data(), needed);
    if (size) *size = needed;
    return winerr::Success;
  }
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const unsigned char* data,
                std::uint32_t size) override {
    Node* node = NodeOf(key);
    if (!node) return winerr::InvalidHandle;
    if (refuseWrites) return winerr::AccessDenied;
    auto& slot = node->values[Lower(name)];
    if (slot.first.empty()) slot.first = name;
    slot.second = {type, std::string(reinterpret_cast<const char*>(data), size)};
    return winerr::Success;
  }
  long DeleteValue(RegKey key, const std::string& name) override {
    Node* node = NodeOf(key);
    if (!node) return winerr::InvalidHandle;
    return node->values.erase(Lower(name)) ? winerr::Success : winerr::FileNotFound;
  }
  long DeleteKey(RegKey parent, const std::string& subkey) override {
    Node* node = NodeOf(parent);
    if (!node) return winerr::InvalidHandle;
    Node* target = Resolve(node, subkey, false);
    if (!target || target == node) return winerr::FileNotFound;
    if (!target->subkeys.empty()) return winerr::AccessDenied;
    const auto slash = subkey.find_last_of('\\');
    Node* owner = slash == std::string::npos ? node : Resolve(node, subkey.substr(0, slash), false);
    auto& list = owner->subkeys;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const auto& n) { return n.get() == target; }),
               list.end());
    return winerr::Success;
  }
  long EnumKey(RegKey key, std::uint32_t index, std::string& name) override {
    Node* node = NodeOf(key);
    if (!node) return winerr::InvalidHandle;
    if (index >= node->subkeys.size()) return winerr::NoMoreItems;
    name = node->subkeys[index]->name;
    return winerr::Success;
  }
  long EnumValue(RegKey key, std::uint32_t index, std::string& name, std::uint32_t& type,
                 std::string& data) override {
    Node* node = NodeOf(key);
    if (!node) return winerr::InvalidHandle;
    if (index >= node->values.size()) return winerr::NoMoreItems;
    auto it = std::next(node->values.begin(), index);
    name = it->second.first;
    type = it->second.second.type;
    data = it->second.second.data;
    return winerr::Success;
  }
  long QueryInfoKey(RegKey key, RegKeyInfo& info) override {
    Node* node = NodeOf(key);
    if (!node) return winerr::InvalidHandle;
    info = {};
    info.subkeys = static_cast<std::uint32_t>(node->subkeys.size());
    for (auto& n : node->subkeys)
      info.maxSubkeyLen = std::max<std::uint32_t>(info.maxSubkeyLen,
                                                  static_cast<std::uint32_t>(n->name.size()));
    info.values = static_cast<std::uint32_t>(node->values.size());
    return winerr::Success;
  }

  // Test helpers on paths from a root ("Software\\X").
  void Put(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
           const std::string& data) {
    auto& slot = Resolve(RootNode(root), path, true)->values[Lower(name)];
    slot = {name, {type, data}};
  }
  void MakeKey(RegKey root, const std::string& path) { Resolve(RootNode(root), path, true); }
  const Value* Get(RegKey root, const std::string& path, const std::string& name) {
    Node* node = Resolve(RootNode(root), path, false);
    if (!node) return nullptr;
    auto it = node->values.find(Lower(name));
    return it == node->values.end() ? nullptr : &it->second.second;
  }
  bool KeyExists(RegKey root, const std::string& path) {
    return Resolve(RootNode(root), path, false) != nullptr;
  }
  std::size_t OpenHandles() const { return handles_.size(); }

 private:
  Node* RootNode(RegKey root) {
    if (root == regroot::ClassesRoot)
      return Resolve(&machine_, "Software\\Classes", true);
    return root == regroot::LocalMachine ? &machine_ : &user_;
  }
  Node* NodeOf(RegKey key) {
    if (key == regroot::ClassesRoot || key == regroot::LocalMachine || key == regroot::CurrentUser)
      return RootNode(key);
    auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : it->second;
  }
  static Node* Resolve(Node* node, const std::string& path, bool create) {
    std::size_t start = 0;
    while (node && start < path.size()) {
      auto end = path.find('\\', start);
      if (end == std::string::npos) end = path.size();
      const std::string part = path.substr(start, end - start);
      start = end + 1;
      if (part.empty()) continue;
      Node* next = node->Find(part);
      if (!next && create) {
        node->subkeys.push_back(std::make_unique<Node>());
        next = node->subkeys.back().get();
        next->name = part;
      }
      node = next;
    }
    return node;
  }
  long Walk(RegKey parent, const std::string& path, bool create, RegKey& result) {
    if (refuseKeys) return winerr::AccessDenied;
    Node* base = NodeOf(parent);
    if (!base) return winerr::InvalidHandle;
    Node* node = Resolve(base, path, create);
    if (!node) return winerr::FileNotFound;
    result = next_++;
    handles_[result] = node;
    return winerr::Success;
  }

  Node machine_, user_;
  std::map<RegKey, Node*> handles_;
  RegKey next_ = 0x1000;
};

// Directories by Windows path; the Start Menu special folder is "C:\WINDOWS\Start Menu".
class FakeFiles : public Files, public Shell {
 public:
  std::set<std::string> dirs{Lower("C:\\WINDOWS\\Start Menu")};
  bool shellFails = false;

  std::uint32_t GetAttributes(const std::string& path) override {
    return dirs.count(Lower(path)) ? fileattr::Directory : fileattr::Invalid;
  }
  bool SetAttributes(const std::string&, std::uint32_t) override { return false; }
  bool Exists(const std::string& path) override { return dirs.count(Lower(path)) != 0; }
  bool WriteWholeFile(const std::string&, std::string_view) override { return false; }
  bool MakeDirectory(const std::string& path) override {
    const auto parent = path.substr(0, path.find_last_of('\\'));
    if (!dirs.count(Lower(parent))) return false;
    return dirs.insert(Lower(path)).second;
  }
  bool RemoveEmptyDirectory(const std::string& path) override {
    return dirs.erase(Lower(path)) != 0;
  }
  bool SpecialFolderPath(int csidl, std::string& out) override {
    if (shellFails || csidl != csidl::StartMenu) return false;
    out = "C:\\WINDOWS\\Start Menu";
    return true;
  }
};

class FakeParameters : public SystemParameters {
 public:
  std::map<std::uint32_t, std::uint32_t> values;
  struct Call {
    std::uint32_t action, param, flags;
  };
  std::vector<Call> sets;

  bool Get(std::uint32_t action, std::uint32_t& value) override {
    value = values[action];
    return true;
  }
  std::function<void()> onSet;  // runs at each Set, to observe what was stored before it

  bool Set(std::uint32_t action, std::uint32_t param, std::uint32_t flags) override {
    if (onSet) onSet();
    sets.push_back({action, param, flags});
    return true;
  }
};

// Named check controls (with check-list items as "name[i]") and integer controls; counts the
// click handler runs a real control would make (a state change).
class FakeControls : public RuleControls {
 public:
  std::map<std::string, bool> checked;
  std::map<std::string, int> positions;
  std::map<std::string, bool> enabled;
  std::map<std::string, int> clicks;
  std::vector<std::pair<std::string, int>> radioGroup;  // exclusive buttons, if any

  static std::string Key(const ControlRef& c) {
    return c.item < 0 ? c.name : c.name + "[" + std::to_string(c.item) + "]";
  }
  bool Checked(const ControlRef& c) override { return checked[Key(c)]; }
  void SetChecked(const ControlRef& c, bool state) override {
    bool& slot = checked[Key(c)];
    if (slot == state) return;
    slot = state;
    ++clicks[Key(c)];
  }
  int Position(const ControlRef& c) override { return positions[Key(c)]; }
  void SetPosition(const ControlRef& c, int position) override { positions[Key(c)] = position; }
  bool SetEnabled(const std::string& name, bool state) override {
    enabled[name] = state;
    return true;
  }
};

// The shell's desktop: Progman (1) > SHELLDLL_DefView (2) > SysListView32 (3); records shows.
class FakeWindows : public TopWindows {
 public:
  bool visible[4] = {false, true, true, true};
  std::string listClass = "SysListView32";
  std::vector<std::pair<WindowHandle, int>> shows;

  WindowHandle FindTopWindow(const char* className, const char* title) override {
    if (className && Lower(className) != "progman") return 0;
    if (title && std::string(title) != "Program Manager") return 0;
    return 1;
  }
  WindowHandle RelatedWindow(WindowHandle window, std::uint32_t command) override {
    return command == gw::Child && window >= 1 && window < 3 ? window + 1 : 0;
  }
  std::string ClassNameOf(WindowHandle window, std::uint32_t size) override {
    const std::string names[] = {"", "Progman", "SHELLDLL_DefView", listClass};
    return window <= 3 ? names[window].substr(0, size - 1) : "";
  }
  bool IsWindowVisible(WindowHandle window) override {
    for (WindowHandle w = window; w >= 1 && w <= 3; --w)
      if (!visible[w]) return false;
    return window >= 1 && window <= 3;
  }
  bool ShowWindow(WindowHandle window, int command) override {
    shows.emplace_back(window, command);
    if (window < 1 || window > 3) return false;
    const bool was = visible[window];
    visible[window] = command != sw::Hide;
    return was;
  }
  void Enumerate(std::vector<WindowHandle>& out) override { out = {1}; }
  std::uint32_t ProcessId(WindowHandle) override { return 0; }
  std::string Text(WindowHandle, int) override { return {}; }
  Picture ClassIcon(WindowHandle) override { return {}; }
  bool Post(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override { return false; }
};

// The colour dialog answers with `colour` unless `cancel`; remembers the colour it opened with.
class FakeDialogs : public Dialogs {
 public:
  bool cancel = false;
  std::uint32_t colour = 0;
  std::uint32_t openedWith = 0xFFFFFFFF;

  int ShowMessage(const std::string&, const std::string&, std::uint32_t) override {
    return idanswer::Ok;
  }
  bool PickFile(const OpenFileRequest&, std::string&) override { return false; }
  bool PickColour(std::uint32_t& c) override {
    openedWith = c;
    if (cancel) return false;
    c = colour;
    return true;
  }
  bool BrowseFolder(const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool PickIcon(std::string&, int&) override { return false; }
};

// The ports of a test machine, bundled.
struct FakeMachine {
  FakeRegistry registry;
  FakeFiles files;
  FakeParameters parameters;
  FakeWindows windows;
  FakeDialogs dialogs;
  Platform platform;
  FakeMachine() {
    platform.registry = &registry;
    platform.files = &files;
    platform.shell = &files;
    platform.parameters = &parameters;
    platform.windows = &windows;
    platform.dialogs = &dialogs;
  }
};

}  // namespace vlx::rulestest

namespace vlx::testing {
// The in-memory registry is shared with other modules' tests.
using rulestest::FakeRegistry;
}  // namespace vlx::testing
