// The folders of a Windows 98 machine as kernel32 reports them.
#pragma once
#include <string>

#include "platform/system_info.h"

namespace vlx::testing {

struct Win98Folders : SystemInfo {
  bool WindowsDirectory(std::string& out) override { return out = "C:\\WINDOWS", true; }
  bool SystemDirectory(std::string& out) override { return out = "C:\\WINDOWS\\SYSTEM", true; }
  bool TempPath(std::string& out) override { return out = "C:\\WINDOWS\\TEMP\\", true; }
};

}  // namespace vlx::testing
