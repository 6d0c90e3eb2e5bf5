// Profile (INI) port: GetPrivateProfileStringA / WritePrivateProfileStringA semantics.
#pragma once
#include <cstdint>
#include <string>

namespace vlx {

class Profile {
 public:
  virtual ~Profile() = default;

  // GetPrivateProfileStringA(section, key, def, buf, bufferSize, file). A null section lists the
  // section names, a null key the key names of the section (each followed by a zero byte).
  // Returns what the API returns; `result` receives the first <return value> bytes the API put
  // into the caller's buffer (so a list reads "a\0b\0").
  virtual std::uint32_t GetString(const char* section, const char* key, const char* defaultValue,
                                  std::string& result, std::uint32_t bufferSize,
                                  const std::string& file) = 0;
  // WritePrivateProfileStringA. Null key deletes the section, null value deletes the key; all
  // three null flushes the cached file. False when the API fails.
  virtual bool WriteString(const char* section, const char* key, const char* value,
                           const char* file) = 0;
};

}  // namespace vlx
