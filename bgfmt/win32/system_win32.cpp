#include "win32/system_win32.h"

#include <windows.h>
#include <shellapi.h>

#include "core/bgfmt.h"

namespace bgfmt {

static_assert(kDriveRemovable == DRIVE_REMOVABLE && kSwShow == SW_SHOW && kRegSz == REG_SZ &&
              kRegExpandSz == REG_EXPAND_SZ);
static_assert(kMbOk == MB_OK && kMbIconExclamation == MB_ICONEXCLAMATION &&
              kMbTaskModal == MB_TASKMODAL);

namespace {

class OpenKey {
 public:
  OpenKey(HKEY root, const std::string& path) {
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key_) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
  }
  return HKEY_LOCAL_MACHINE;
}

}  // namespace

std::optional<RegistryValue> Win32Registry::QueryValue(RootKey root, const std::string& keyPath,
                                                       const std::string& valueName) {
  const OpenKey key(RootHandle(root), keyPath);
  if (!key.get()) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  // The value may grow between the two calls; ask again until the buffer holds it.
  for (;;) {
    std::string data(size, '\0');
    DWORD read = size;
    const LONG status = RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &read);
    if (status == ERROR_MORE_DATA) {
      size = read > size ? read : size * 2 + 1;
      continue;
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    data.resize(read < size ? read : size);
    return RegistryValue{type, std::move(data)};
  }
}

std::uint32_t Win32Drives::LogicalDriveMask() { return GetLogicalDrives(); }

unsigned Win32Drives::DriveTypeOf(const std::string& root) { return GetDriveTypeA(root.c_str()); }

std::intptr_t Win32Shell::Execute(const std::string& verb, const std::string& file,
                                  const std::string& parameters, int show) {
  const HINSTANCE result =
      ShellExecuteA(nullptr, verb.c_str(), file.c_str(), parameters.c_str(), nullptr, show);
  return reinterpret_cast<std::intptr_t>(result);
}

void Win32Shell::ShowMessage(const std::string& text, const std::string& title, unsigned flags) {
  MessageBoxA(nullptr, text.c_str(), title.c_str(), flags);
}

}  // namespace bgfmt
