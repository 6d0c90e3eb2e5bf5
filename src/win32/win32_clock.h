// Clock port over kernel32 GetLocalTime and Sleep.
#pragma once
#include "platform/clock.h"

namespace vlx::win32 {

class Win32Clock : public Clock {
 public:
  LocalTime Now() override;
  void Sleep(std::uint32_t milliseconds) override;
};

}  // namespace vlx::win32
