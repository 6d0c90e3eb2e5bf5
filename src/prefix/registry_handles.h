// What every Registry adapter over in-memory hive trees needs alike: the predefined roots, the
// table of open handles, and key paths walked as RegOpenKeyExA / RegCreateKeyExA take them.
//
// `Tree` describes the hive: its File and Node types (a Node has `parent` and `deleted`) and
//   static Node& Root(File&);
//   static Node* Find(File&, Node&, std::string_view name);      // without regard to case
//   static Node& Add(File&, Node&, std::string_view name);       // existing or new
//   static bool Modified(const File&);  static void ClearModified(File&);
#pragma once
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/win_types.h"
#include "text/cp1251.h"

namespace vlx::prefix {

// The end of RegQueryValueExA: `data` may be null to ask for the size; too small a buffer gives
// MoreData with the size needed.
inline long CopyValueData(std::string_view bytes, unsigned char* data, std::uint32_t* size) {
  if (!size) return winerr::Success;
  const auto needed = static_cast<std::uint32_t>(bytes.size());
  if (data) {
    if (*size < needed) {
      *size = needed;
      return winerr::MoreData;
    }
    if (needed) std::memcpy(data, bytes.data(), needed);
  }
  *size = needed;
  return winerr::Success;
}

template <typename Tree>
class RegistryHandles {
 public:
  using File = typename Tree::File;
  using Node = typename Tree::Node;
  struct Handle {
    File* file = nullptr;
    Node* node = nullptr;
  };

  // The hives of HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, read when first asked for.
  RegistryHandles(std::function<File&()> system, std::function<File&()> user)
      : system_(std::move(system)), user_(std::move(user)) {}

  // Windows ME keeps HKEY_LOCAL_MACHINE\Software\Classes (HKEY_CLASSES_ROOT) in a file of its
  // own: from now on, when `classes` gives a file, that key is its root.
  void MountClasses(std::function<File*()> classes) { classes_ = std::move(classes); }

  // The node a handle or predefined root stands for.
  long Resolve(RegKey key, Handle& out) {
    switch (key) {
      case regroot::LocalMachine:
        out = {&system_(), &Tree::Root(system_())};
        return winerr::Success;
      case regroot::CurrentUser:
        out = {&user_(), &Tree::Root(user_())};
        return winerr::Success;
      case regroot::ClassesRoot: {
        if (File* classes = classes_ ? classes_() : nullptr) {
          out = {classes, &Tree::Root(*classes)};
          return winerr::Success;
        }
        // HKEY_LOCAL_MACHINE\Software\Classes always exists; made here, it is written only with
        // something in it.
        File& file = system_();
        const bool modified = Tree::Modified(file);
        Node* node = &Tree::Root(file);
        for (std::string_view name : {"Software", "Classes"}) node = &Tree::Add(file, *node, name);
        if (!modified) Tree::ClearModified(file);
        out = {&file, node};
        return winerr::Success;
      }
      case regroot::Users:
      case regroot::CurrentConfig:
      case regroot::DynData:
        return winerr::FileNotFound;
      default:
        break;
    }
    const auto it = handles_.find(key);
    if (it == handles_.end()) return winerr::InvalidHandle;
    out = it->second;
    return out.node->deleted ? winerr::KeyDeleted : winerr::Success;
  }

  long Walk(RegKey parent, const std::string& path, bool create, Handle& out) {
    if (!path.empty() && path[0] == '\\') {
      // Only HKEY_CLASSES_ROOT takes a leading backslash.
      if (parent != regroot::ClassesRoot) return kBadPathname;
      return Walk(parent, path.substr(1), create, out);
    }
    std::vector<std::string_view> names;
    if (!SplitPath(path, names)) return winerr::InvalidParameter;
    if ((parent == regroot::Users || parent == regroot::CurrentConfig ||
         parent == regroot::DynData) && create)
      return winerr::AccessDenied;
    const long rc = Resolve(parent, out);
    if (rc != winerr::Success) return rc;
    for (std::string_view name : names) {
      if (EnterClasses(out, name)) continue;
      Node* sub = Tree::Find(*out.file, *out.node, name);
      if (!sub) {
        if (!create) return winerr::FileNotFound;
        sub = &Tree::Add(*out.file, *out.node, name);
      }
      out.node = sub;
    }
    return winerr::Success;
  }

  // RegOpenKeyExA / RegCreateKeyExA.
  long Open(RegKey parent, const std::string& path, bool create, RegKey& result) {
    Handle handle;
    const long rc = Walk(parent, path, create, handle);
    if (rc != winerr::Success) return rc;
    result = next_;
    next_ += 4;
    handles_.emplace(result, handle);
    return winerr::Success;
  }

  // RegCloseKey: closing a predefined root succeeds and does nothing.
  long Close(RegKey key) {
    if (key >= regroot::ClassesRoot && key <= regroot::DynData) return winerr::Success;
    return handles_.erase(key) ? winerr::Success : winerr::InvalidHandle;
  }

 private:
  static constexpr long kBadPathname = 161;  // ERROR_BAD_PATHNAME
  static constexpr std::size_t kMaxKeyName = 255;

  // The path's names, split at backslashes; runs of backslashes and a trailing one are ignored.
  static bool SplitPath(std::string_view path, std::vector<std::string_view>& names) {
    std::size_t from = 0;
    while (from < path.size()) {
      std::size_t to = path.find('\\', from);
      if (to == std::string_view::npos) to = path.size();
      if (to > from) {
        if (to - from > kMaxKeyName) return false;
        names.push_back(path.substr(from, to - from));
      }
      from = to + 1;
    }
    return true;
  }

  // Steps from HKEY_LOCAL_MACHINE\Software into a mounted classes file.
  bool EnterClasses(Handle& at, std::string_view name) {
    if (!classes_ || !EqualNoCaseCp1251(name, "Classes") || at.file != &system_()) return false;
    if (at.node != Tree::Find(system_(), Tree::Root(system_()), "Software")) return false;
    File* classes = classes_();
    if (!classes) return false;
    at = {classes, &Tree::Root(*classes)};
    return true;
  }

  std::function<File&()> system_, user_;
  std::function<File*()> classes_;
  std::unordered_map<RegKey, Handle> handles_;
  RegKey next_ = 0x1000;
};

}  // namespace vlx::prefix
