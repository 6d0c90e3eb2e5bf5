// Shell port over shell32.
#pragma once
#include "platform/shell.h"

namespace vlx::win32 {

class Win32Shell : public Shell {
 public:
  bool SpecialFolderPath(int csidl, std::string& out) override;
};

}  // namespace vlx::win32
