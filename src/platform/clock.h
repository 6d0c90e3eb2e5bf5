// Clock port: the local time (GetLocalTime) and blocking pauses (Sleep).
#pragma once
#include <cstdint>

namespace vlx {

// SYSTEMTIME, local time.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int dayOfWeek = 0;
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;

  virtual LocalTime Now() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace vlx
