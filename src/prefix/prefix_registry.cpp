#include "prefix/prefix_registry.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>

#include "prefix/atomic_file.h"
#include "prefix/file_set.h"
#include "prefix/reg_file.h"
#include "prefix/reg_text.h"
#include "prefix/registry_handles.h"

namespace vlx::prefix {

namespace {

struct Hive {
  std::filesystem::path path;
  std::string_view relativeTo;
  std::unique_ptr<RegFile> file;
  FileIdentity loaded;  // the file as read (or its absence), so a save never replaces another's
  bool saved = false;   // written since: the text read is no longer what the file holds

  RegFile& Get() {
    if (!file) {
      std::error_code ec;
      loaded = FileIdentity{};
      file = std::filesystem::exists(path, ec) ? RegFile::Load(path, &loaded)
                                               : std::make_unique<RegFile>(relativeTo);
    }
    return *file;
  }
};

// The Wine hive files as trees for the handle table.
struct WineTree {
  using File = RegFile;
  using Node = RegKeyNode;
  static Node& Root(File& file) { return file.Root(); }
  static Node* Find(File& file, Node& key, std::string_view name) {
    return file.FindSubkey(key, regtext::ToUnits(name));
  }
  static Node& Add(File& file, Node& key, std::string_view name) {
    return file.AddSubkey(key, regtext::ToUnits(name));
  }
  static bool Modified(const File& file) { return file.Modified(); }
  static void ClearModified(File& file) { file.ClearModified(); }
};
using Handles = RegistryHandles<WineTree>;
using Handle = Handles::Handle;
}  // namespace

struct PrefixRegistry::Impl {
  Hive system, user;
  Handles handles{[this]() -> RegFile& { return system.Get(); },
                  [this]() -> RegFile& { return user.Get(); }};
  std::function<bool()> family;
  std::optional<bool> win9x;

  bool IsWin9x() {
    if (!win9x) win9x = family && family();
    return *win9x;
  }
};

PrefixRegistry::PrefixRegistry(std::filesystem::path systemReg, std::filesystem::path userReg)
    : impl_(std::make_unique<Impl>()) {
  impl_->system = {std::move(systemReg), "REGISTRY\\\\Machine", nullptr, {}, false};
  impl_->user = {std::move(userReg), "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000", nullptr, {}, false};
}

PrefixRegistry::~PrefixRegistry() = default;

long PrefixRegistry::OpenKey(RegKey parent, const std::string& path, RegKey& result) {
  return impl_->handles.Open(parent, path, false, result);
}

long PrefixRegistry::CreateKey(RegKey parent, const std::string& path, RegKey& result) {
  return impl_->handles.Open(parent, path, true, result);
}

void PrefixRegistry::SetFamily(std::function<bool()> isWin9x) {
  impl_->family = std::move(isWin9x);
  impl_->win9x.reset();
}

long PrefixRegistry::CloseKey(RegKey key) { return impl_->handles.Close(key); }

long PrefixRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                                unsigned char* data, std::uint32_t* size) {
  if (data && !size) return winerr::InvalidParameter;
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  const RegValueNode* value = handle.file->FindValue(*handle.node, regtext::ToUnits(name));
  if (!value) return winerr::FileNotFound;
  const RegData stored = RegFile::ValueData(*value);
  if (type) *type = stored.type;
  return CopyValueData(stored.bytes, data, size);
}

long PrefixRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                              const unsigned char* data, std::uint32_t size) {
  if (!data && size) return winerr::InvalidParameter;
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  std::string_view bytes(reinterpret_cast<const char*>(data), data ? size : 0);
  std::string terminated;
  if (type == regtype::Sz && impl_->IsWin9x()) {
    terminated = Win9xStoredSz(bytes);
    bytes = terminated;
  }
  handle.file->SetValue(*handle.node, regtext::ToUnits(name), type, bytes);
  return winerr::Success;
}

long PrefixRegistry::DeleteValue(RegKey key, const std::string& name) {
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  return handle.file->RemoveValue(*handle.node, regtext::ToUnits(name)) ? winerr::Success
                                                                       : winerr::FileNotFound;
}

long PrefixRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
  Handle handle;
  const long rc = impl_->handles.Walk(parent, subkey, false, handle);
  if (rc != winerr::Success) return rc;
  // A hive's root cannot go; on the NT family neither can a key with subkeys (wineserver:
  // STATUS_CANNOT_DELETE), where 9x deletes the whole tree.
  if (!handle.node->parent) return winerr::AccessDenied;
  if (!handle.file->Subkeys(*handle.node).empty() && !impl_->IsWin9x()) return winerr::AccessDenied;
  handle.file->RemoveKey(*handle.node);
  return winerr::Success;
}

long PrefixRegistry::EnumKey(RegKey key, std::uint32_t index, std::string& name) {
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  const auto& subkeys = handle.file->Subkeys(*handle.node);
  if (index >= subkeys.size()) return winerr::NoMoreItems;
  name = regtext::FromUnits(subkeys[index]->name);
  return winerr::Success;
}

long PrefixRegistry::EnumValue(RegKey key, std::uint32_t index, std::string& name,
                               std::uint32_t& type, std::string& data) {
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  const auto& values = handle.file->Values(*handle.node);
  if (index >= values.size()) return winerr::NoMoreItems;
  const RegValueNode& value = values[index];
  RegData stored = RegFile::ValueData(value);
  name = regtext::FromUnits(RegFile::ValueName(value));
  type = stored.type;
  data = std::move(stored.bytes);
  return winerr::Success;
}

long PrefixRegistry::QueryInfoKey(RegKey key, RegKeyInfo& info) {
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  info = RegKeyInfo{};
  const auto& subkeys = handle.file->Subkeys(*handle.node);
  info.subkeys = static_cast<std::uint32_t>(subkeys.size());
  for (const auto& sub : subkeys)
    info.maxSubkeyLen = std::max(info.maxSubkeyLen, static_cast<std::uint32_t>(sub->name.size()));
  const auto& values = handle.file->Values(*handle.node);
  info.values = static_cast<std::uint32_t>(values.size());
  for (const auto& value : values) {
    info.maxValueNameLen = std::max(info.maxValueNameLen,
                                    static_cast<std::uint32_t>(RegFile::ValueName(value).size()));
    // Data sizes as the registry keeps them: strings in UTF-16, as wineserver reports them.
    info.maxValueLen = std::max(info.maxValueLen, RegFile::ValueData(value).storedSize);
  }
  return winerr::Success;
}

void PrefixRegistry::Save() {
  // Both hives of a run go in together: a stop midway leaves both as they were or both new.
  FileSet set(impl_->system.path.parent_path() / kPrefixJournal);
  std::vector<Hive*> written;
  for (Hive* hive : {&impl_->system, &impl_->user}) {
    if (!hive->file || !hive->file->Modified()) continue;
    if (!hive->saved && hive->file->WritesWhatWasLoaded()) {  // changes that undid each other
      hive->file->ClearModified();
      continue;
    }
    set.Stage(
        hive->path, [&](const PieceWriter& write) { hive->file->Write(write); }, &hive->loaded);
    written.push_back(hive);
  }
  set.Commit();
  for (Hive* hive : written) {
    hive->loaded = IdentityOf(hive->path);
    hive->saved = true;
    hive->file->ClearModified();
  }
}

}  // namespace vlx::prefix
