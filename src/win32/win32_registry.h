// Registry port over advapi32.
#pragma once
#include "platform/registry.h"

namespace vlx::win32 {

class Win32Registry : public Registry {
 public:
  long OpenKey(RegKey parent, const std::string& path, RegKey& result) override;
  long CreateKey(RegKey parent, const std::string& path, RegKey& result) override;
  long CloseKey(RegKey key) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t* type, unsigned char* data,
                  std::uint32_t* size) override;
  long SetValue(RegKey key, const std::string& name, std::uint32_t type, const unsigned char* data,
                std::uint32_t size) override;
  long DeleteValue(RegKey key, const std::string& name) override;
  long DeleteKey(RegKey parent, const std::string& subkey) override;
  long EnumKey(RegKey key, std::uint32_t index, std::string& name) override;
  long EnumValue(RegKey key, std::uint32_t index, std::string& name, std::uint32_t& type,
                 std::string& data) override;
  long QueryInfoKey(RegKey key, RegKeyInfo& info) override;
  // Only on the NT family: the 9x registry has one view and its RegOpenKeyEx refuses the flags.
  bool SelectView(RegView view) override;

 private:
  std::uint32_t viewFlag_ = 0;  // KEY_WOW64_32KEY, KEY_WOW64_64KEY or none
};

}  // namespace vlx::win32
