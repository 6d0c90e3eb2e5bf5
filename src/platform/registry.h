// Registry port: the advapi32 calls the program stands on, with Win32 shapes and error codes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace vlx {

struct RegKeyInfo {
  std::uint32_t subkeys = 0;
  std::uint32_t maxSubkeyLen = 0;  // longest subkey name, in characters
  std::uint32_t values = 0;
  std::uint32_t maxValueNameLen = 0;
  std::uint32_t maxValueLen = 0;  // longest value data, in bytes
};

// The bounds the registry's files set on one key (the 9x hives); 0 means no bound. A key takes
// keyOverhead bytes plus its name, and each value valueOverhead bytes plus its name and data.
struct RegLimits {
  std::uint32_t valueData = 0;  // bytes of one value's data
  std::uint32_t valueName = 0;  // characters of a value's name
  std::uint32_t keyBytes = 0;   // bytes of a key with all its values
  std::uint32_t keyOverhead = 0;
  std::uint32_t valueOverhead = 0;
  const char* holder = "";  // what sets them, for messages: "a Windows 9x registry file"
};

// The two registry views of a 64-bit system of the NT family.
enum class RegView { Bits32, Bits64 };

class Registry {
 public:
  virtual ~Registry() = default;

  // What this registry can keep per key and value; none by default.
  virtual RegLimits Limits() { return {}; }

  // RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS). An empty path opens a new handle to parent.
  virtual long OpenKey(RegKey parent, const std::string& path, RegKey& result) = 0;
  // RegCreateKeyExA(..., REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS): creates every missing key.
  virtual long CreateKey(RegKey parent, const std::string& path, RegKey& result) = 0;
  // RegCloseKey. Closing a predefined root succeeds and does nothing.
  virtual long CloseKey(RegKey key) = 0;
  // RegQueryValueExA. `data` may be null to ask for type and size; `size` is in/out in bytes;
  // too small a buffer gives MoreData with the needed size. Empty name: the default value.
  virtual long QueryValue(RegKey key, const std::string& name, std::uint32_t* type,
                          unsigned char* data, std::uint32_t* size) = 0;
  // RegSetValueExA: stores exactly `size` bytes (REG_SZ callers include the final zero).
  virtual long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                        const unsigned char* data, std::uint32_t size) = 0;
  // RegDeleteValueA.
  virtual long DeleteValue(RegKey key, const std::string& name) = 0;
  // RegDeleteKeyA: deletes a subkey that has no subkeys of its own.
  virtual long DeleteKey(RegKey parent, const std::string& subkey) = 0;
  // RegEnumKeyExA: the name of subkey `index`, NoMoreItems past the end.
  virtual long EnumKey(RegKey key, std::uint32_t index, std::string& name) = 0;
  // RegEnumValueA: name, type and raw data of value `index`, NoMoreItems past the end.
  virtual long EnumValue(RegKey key, std::uint32_t index, std::string& name, std::uint32_t& type,
                         std::string& data) = 0;
  // RegQueryInfoKeyA.
  virtual long QueryInfoKey(RegKey key, RegKeyInfo& info) = 0;
  // Keys opened and created from now on are in `view` (KEY_WOW64_32KEY or KEY_WOW64_64KEY in
  // the access mask). False, changing nothing, where the registry has one view.
  virtual bool SelectView(RegView) { return false; }
};

// How RegSetValueExA of the 9x family stores a REG_SZ: the text up to its first zero and one
// terminator, whatever size the caller gives (offline, never reading past that size).
inline std::string Win9xStoredSz(std::string_view bytes) {
  std::string text(bytes.substr(0, bytes.find('\0')));
  text.push_back('\0');
  return text;
}

}  // namespace vlx
