// System information port over kernel32.
#pragma once
#include "platform/system_info.h"

namespace vlx::win32 {

class Win32SystemInfo : public SystemInfo {
 public:
  bool WindowsDirectory(std::string& out) override;
  bool SystemDirectory(std::string& out) override;
  bool TempPath(std::string& out) override;
};

}  // namespace vlx::win32
