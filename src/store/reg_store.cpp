#include "store/reg_store.h"

#include <cstring>

namespace vlx {

RegStore::RegStore(Registry& registry) : registry_(registry) {}

RegStore::~RegStore() { ClosePath(); }

void RegStore::SetRoot(RegKey root) {
  if (root == root_) return;
  ClosePath();
  root_ = root;
}

RegKey RegStore::BaseFor(const std::string& path, std::string& platformPath) const {
  if (!path.empty() && path.front() == '\\') {
    platformPath = path.substr(1);
    return root_;
  }
  platformPath = path;
  return currentKey_ != 0 ? currentKey_ : root_;
}

bool RegStore::OpenPath(const std::string& path, bool create) {
  std::string platformPath;
  const RegKey base = BaseFor(path, platformPath);
  RegKey opened = 0;
  const long rc = (create && !path.empty())
                      ? registry_.CreateKey(base, platformPath, opened)
                      : registry_.OpenKey(base, platformPath, opened);
  if (rc != winerr::Success) return false;
  const bool relative = (path.empty() || path.front() != '\\') && currentKey_ != 0;
  const std::string newPath = relative ? currentPath_ + "\\" + path : path;
  ClosePath();
  currentKey_ = opened;
  currentPath_ = newPath;
  return true;
}

void RegStore::ClosePath() {
  if (currentKey_ != 0) registry_.CloseKey(currentKey_);
  currentKey_ = 0;
  currentPath_.clear();
}

std::string RegStore::ReadText(const std::string& name) {
  std::uint32_t type = 0, size = 0;
  if (registry_.QueryValue(currentKey_, name, &type, nullptr, &size) != winerr::Success ||
      size == 0)
    return {};
  std::string data(size, '\0');
  if (registry_.QueryValue(currentKey_, name, &type,
                           reinterpret_cast<unsigned char*>(data.data()), &size) !=
          winerr::Success ||
      (type != regtype::Sz && type != regtype::ExpandSz))
    throw StoreError::InvalidDataType(name);
  data.resize(size);
  const auto zero = data.find('\0');
  if (zero != std::string::npos) data.resize(zero);
  return data;
}

void RegStore::WriteText(const std::string& name, const std::string& text) {
  const std::uint32_t size = static_cast<std::uint32_t>(text.size() + 1);
  if (registry_.SetValue(currentKey_, name, regtype::Sz,
                         reinterpret_cast<const unsigned char*>(text.c_str()), size) !=
      winerr::Success)
    throw StoreError::FailedToSetData(name);
}

std::int32_t RegStore::ReadNumber(const std::string& name) {
  unsigned char buffer[4] = {};
  std::uint32_t type = 0, size = sizeof buffer;
  if (registry_.QueryValue(currentKey_, name, &type, buffer, &size) != winerr::Success)
    throw StoreError::FailedToGetData(name);
  if (type != regtype::Dword) throw StoreError::InvalidDataType(name);
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | buffer[i];
  return static_cast<std::int32_t>(value);
}

void RegStore::WriteNumber(const std::string& name, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  const unsigned char bytes[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                                  static_cast<unsigned char>(u >> 16),
                                  static_cast<unsigned char>(u >> 24)};
  if (registry_.SetValue(currentKey_, name, regtype::Dword, bytes, 4) != winerr::Success)
    throw StoreError::FailedToSetData(name);
}

std::uint32_t RegStore::ReadBytes(const std::string& name, void* buffer, std::uint32_t size) {
  std::uint32_t type = 0, needed = 0;
  const long rc = registry_.QueryValue(currentKey_, name, &type, nullptr, &needed);
  if (rc == winerr::FileNotFound) return 0;
  if (rc != winerr::Success || type != regtype::Binary || needed > size)
    throw StoreError::InvalidDataType(name);
  std::string data(needed, '\0');
  if (registry_.QueryValue(currentKey_, name, &type,
                           reinterpret_cast<unsigned char*>(data.data()), &needed) !=
      winerr::Success)
    throw StoreError::InvalidDataType(name);
  if (needed > 0) std::memcpy(buffer, data.data(), needed);
  return needed;
}

void RegStore::WriteBytes(const std::string& name, const void* buffer, std::uint32_t size) {
  if (registry_.SetValue(currentKey_, name, regtype::Binary,
                         static_cast<const unsigned char*>(buffer), size) != winerr::Success)
    throw StoreError::FailedToSetData(name);
}

bool RegStore::HasValue(const std::string& name) {
  std::uint32_t type = 0, size = 0;
  return registry_.QueryValue(currentKey_, name, &type, nullptr, &size) == winerr::Success;
}

bool RegStore::RemoveValue(const std::string& name) {
  return registry_.DeleteValue(currentKey_, name) == winerr::Success;
}

bool RegStore::HasKey(const std::string& path) {
  std::string platformPath;
  const RegKey base = BaseFor(path, platformPath);
  RegKey key = 0;
  if (registry_.OpenKey(base, platformPath, key) != winerr::Success) return false;
  registry_.CloseKey(key);
  return true;
}

bool RegStore::RemoveKeyTree(const std::string& path) {
  // Depth first through this object, so subkey names resolve below the opened key; the
  // previously current key is restored before the key itself is deleted.
  std::string platformPath;
  const RegKey parent = BaseFor(path, platformPath);
  RegKey key = 0;
  if (registry_.OpenKey(parent, platformPath, key) == winerr::Success) {
    const RegKey savedKey = currentKey_;
    currentKey_ = key;
    std::vector<std::string> subkeys;
    ListSubkeys(subkeys);
    for (const auto& name : subkeys) RemoveKeyTree(name);
    currentKey_ = savedKey;
    registry_.CloseKey(key);
  }
  return registry_.DeleteKey(parent, platformPath) == winerr::Success;
}

void RegStore::ListSubkeys(std::vector<std::string>& list) {
  list.clear();
  RegKeyInfo info;
  const RegKey key = currentKey_ != 0 ? currentKey_ : root_;
  if (registry_.QueryInfoKey(key, info) != winerr::Success) return;
  for (std::uint32_t i = 0; i < info.subkeys; ++i) {
    std::string name;
    if (registry_.EnumKey(key, i, name) != winerr::Success) break;
    list.push_back(name);
  }
}

void RegStore::WriteSubkeyText(const std::string& subkey, const std::string& name,
                               const std::string& text) {
  const RegKey base = currentKey_ != 0 ? currentKey_ : root_;
  RegKey key = 0;
  if (registry_.CreateKey(base, subkey, key) != winerr::Success)
    throw StoreError::FailedToCreateKey(subkey);
  const long rc = registry_.SetValue(key, name, regtype::Sz,
                                     reinterpret_cast<const unsigned char*>(text.c_str()),
                                     static_cast<std::uint32_t>(text.size() + 1));
  registry_.CloseKey(key);
  if (rc != winerr::Success) throw StoreError::FailedToSetData(name);
}

}  // namespace vlx
