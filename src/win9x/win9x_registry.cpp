#include "win9x/win9x_registry.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "prefix/atomic_file.h"
#include "prefix/dos_attributes.h"
#include "prefix/file_set.h"
#include "prefix/prefix_error.h"
#include "prefix/registry_handles.h"
#include "store/regedit_registry.h"
#include "text/cp1251.h"
#include "win9x/creg_file.h"

namespace vlx::win9x {

namespace fs = std::filesystem;

namespace {
constexpr int kBackups = 10;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw prefix::PrefixError("Cannot read " + path.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw prefix::PrefixError("Cannot read " + path.string());
  return bytes.str();
}

// Keeps the hive as it is on disk before this run writes it: the newest copy is .VX0.
void KeepBackup(const fs::path& hive) {
  std::error_code ec;
  if (!fs::exists(hive, ec)) return;
  const std::string bytes = ReadBytes(hive);
  fs::remove(HiveBackupPath(hive, kBackups - 1), ec);
  for (int n = kBackups - 2; n >= 0; --n) {
    const fs::path from = HiveBackupPath(hive, n);
    if (fs::exists(from, ec)) fs::rename(from, HiveBackupPath(hive, n + 1), ec);
    if (ec) throw prefix::PrefixError("Cannot keep a copy of " + hive.string() + ": " + ec.message());
  }
  const fs::path copy = HiveBackupPath(hive, 0);
  prefix::WriteFileAtomically(copy, bytes);
  prefix::WriteDosAttributes(copy, prefix::ReadDosAttributes(hive));
}

struct Hive {
  fs::path path;
  std::unique_ptr<CregFile> file;
  bool backedUp = false;

  CregFile& Get() {
    if (!file) {
      std::error_code ec;
      file = fs::exists(path, ec) ? std::make_unique<CregFile>(ReadBytes(path), path.string())
                                  : std::make_unique<CregFile>();
      file->ClearModified();  // a missing hive is written only with something in it
    }
    return *file;
  }

  bool Changed() const { return file && file->Modified(); }

  // Writes the new hive beside the old one into `set`, with the old one's attributes.
  void Stage(prefix::FileSet& set) {
    const std::string bytes = file->Serialize();
    if (!backedUp) {
      KeepBackup(path);
      backedUp = true;
    }
    std::error_code ec;
    const std::uint32_t attributes =
        fs::exists(path, ec) ? prefix::ReadDosAttributes(path) : fileattr::Hidden | fileattr::System;
    const fs::path staged = set.Stage(path, [&](const prefix::PieceWriter& write) { write(bytes); });
    // The staged file has the hive's mode (read-only); hidden and system are set on it too.
    prefix::WriteDosAttributes(staged, attributes);
  }
};

// The 9x hive files as trees for the handle table.
struct CregTree {
  using File = CregFile;
  using Node = CregKey;
  static Node& Root(File& file) { return file.Root(); }
  static Node* Find(File&, Node& key, std::string_view name) { return CregFile::FindSubkey(key, name); }
  static Node& Add(File& file, Node& key, std::string_view name) { return file.AddSubkey(key, name); }
  static bool Modified(const File& file) { return file.Modified(); }
  static void ClearModified(File& file) { file.ClearModified(); }
};
using Handles = prefix::RegistryHandles<CregTree>;
using Handle = Handles::Handle;

bool IsString(std::uint32_t type) { return type == regtype::Sz || type == regtype::ExpandSz; }

// A value's data as RegQueryValueExA gives it: a string stored without its zero gains one.
std::string Reported(const CregValue& value) {
  if (IsString(value.type) && (value.data.empty() || value.data.back() != '\0'))
    return value.data + '\0';
  return value.data;
}
}  // namespace

fs::path HiveBackupPath(const fs::path& hive, int n) {
  fs::path copy = hive;
  copy.replace_extension(".VX" + std::to_string(n));
  return copy;
}

struct Win9xRegistry::Impl {
  Hive system, user, classes;
  Handles handles{[this]() -> CregFile& { return system.Get(); },
                  [this]() -> CregFile& { return user.Get(); }};
};

Win9xRegistry::Win9xRegistry(fs::path systemDat, fs::path userDat, fs::path classesDat)
    : impl_(std::make_unique<Impl>()) {
  impl_->system.path = std::move(systemDat);
  impl_->user.path = std::move(userDat);
  impl_->classes.path = std::move(classesDat);
  if (!impl_->classes.path.empty())
    impl_->handles.MountClasses([this] { return &impl_->classes.Get(); });
}

Win9xRegistry::~Win9xRegistry() = default;

long Win9xRegistry::OpenKey(RegKey parent, const std::string& path, RegKey& result) {
  return impl_->handles.Open(parent, path, false, result);
}

long Win9xRegistry::CreateKey(RegKey parent, const std::string& path, RegKey& result) {
  return impl_->handles.Open(parent, path, true, result);
}

long Win9xRegistry::CloseKey(RegKey key) { return impl_->handles.Close(key); }

long Win9xRegistry::QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                               unsigned char* data, std::uint32_t* size) {
  if (data && !size) return winerr::InvalidParameter;
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  const CregValue* value = CregFile::FindValue(*handle.node, name);
  if (!value) return winerr::FileNotFound;
  if (type) *type = value->type;
  return prefix::CopyValueData(Reported(*value), data, size);
}

long Win9xRegistry::SetValue(RegKey key, const std::string& name, std::uint32_t type,
                             const unsigned char* data, std::uint32_t size) {
  if (!data && size) return winerr::InvalidParameter;
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
  if (type == regtype::Sz) bytes = Win9xStoredSz(bytes);
  // Windows 9x refuses a value beyond its bounds, and a key whose record outgrows a data block.
  std::vector<regedit::ValueSize> values{{name, bytes.size()}};
  for (const CregValue& value : handle.node->values)
    if (!EqualNoCaseCp1251(value.name, name)) values.push_back({value.name, value.data.size()});
  if (!regedit::LimitRefusal(CregLimits(), handle.node->name, handle.node->name, values).empty())
    return winerr::InvalidParameter;
  handle.file->SetValue(*handle.node, name, type, bytes);
  return winerr::Success;
}

RegLimits Win9xRegistry::Limits() { return CregLimits(); }

long Win9xRegistry::DeleteValue(RegKey key, const std::string& name) {
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  return handle.file->RemoveValue(*handle.node, name) ? winerr::Success : winerr::FileNotFound;
}

long Win9xRegistry::DeleteKey(RegKey parent, const std::string& subkey) {
  Handle handle;
  const long rc = impl_->handles.Walk(parent, subkey, false, handle);
  if (rc != winerr::Success) return rc;
  if (!handle.node->parent) return winerr::AccessDenied;  // a hive's root stays
  handle.file->RemoveKey(*handle.node);
  return winerr::Success;
}

long Win9xRegistry::EnumKey(RegKey key, std::uint32_t index, std::string& name) {
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  if (index >= handle.node->subkeys.size()) return winerr::NoMoreItems;
  name = handle.node->subkeys[index]->name;
  return winerr::Success;
}

long Win9xRegistry::EnumValue(RegKey key, std::uint32_t index, std::string& name,
                              std::uint32_t& type, std::string& data) {
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  if (index >= handle.node->values.size()) return winerr::NoMoreItems;
  const CregValue& value = handle.node->values[index];
  name = value.name;
  type = value.type;
  data = Reported(value);
  return winerr::Success;
}

long Win9xRegistry::QueryInfoKey(RegKey key, RegKeyInfo& info) {
  Handle handle;
  const long rc = impl_->handles.Resolve(key, handle);
  if (rc != winerr::Success) return rc;
  info = RegKeyInfo{};
  const CregKey& node = *handle.node;
  info.subkeys = static_cast<std::uint32_t>(node.subkeys.size());
  for (const auto& sub : node.subkeys)
    info.maxSubkeyLen = std::max(info.maxSubkeyLen, static_cast<std::uint32_t>(sub->name.size()));
  info.values = static_cast<std::uint32_t>(node.values.size());
  for (const auto& value : node.values) {
    info.maxValueNameLen =
        std::max(info.maxValueNameLen, static_cast<std::uint32_t>(value.name.size()));
    info.maxValueLen = std::max(info.maxValueLen, static_cast<std::uint32_t>(Reported(value).size()));
  }
  return winerr::Success;
}

void Win9xRegistry::Save() {
  // Every changed hive goes in together: a stop midway leaves them all as they were or all new.
  prefix::FileSet set(Win9xJournalPath(impl_->system.path));
  std::vector<Hive*> changed;
  for (Hive* hive : {&impl_->system, &impl_->user, &impl_->classes})
    if (hive->Changed()) changed.push_back(hive);
  for (Hive* hive : changed) hive->Stage(set);
  set.Commit();
  for (Hive* hive : changed) hive->file->ClearModified();
}

fs::path Win9xJournalPath(const fs::path& systemDat) { return systemDat.parent_path() / "VOLNRX.JNL"; }

}  // namespace vlx::win9x
