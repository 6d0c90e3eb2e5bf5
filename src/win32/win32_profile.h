// Profile port over kernel32's GetPrivateProfileStringA / WritePrivateProfileStringA.
#pragma once
#include "platform/profile.h"

namespace vlx::win32 {

class Win32Profile : public Profile {
 public:
  std::uint32_t GetString(const char* section, const char* key, const char* defaultValue,
                          std::string& result, std::uint32_t bufferSize,
                          const std::string& file) override;
  bool WriteString(const char* section, const char* key, const char* value,
                   const char* file) override;
};

}  // namespace vlx::win32
