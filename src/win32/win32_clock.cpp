#include "win32/win32_clock.h"

#include <windows.h>

namespace vlx::win32 {

LocalTime Win32Clock::Now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.dayOfWeek = st.wDayOfWeek;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.milliseconds = st.wMilliseconds;
  return t;
}

void Win32Clock::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace vlx::win32
