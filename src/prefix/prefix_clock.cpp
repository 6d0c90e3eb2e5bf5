#include "prefix/prefix_clock.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "prefix/prefix_error.h"

namespace vlx::prefix {
namespace {

// Day of the week by Sakamoto's method, 0 = Sunday as in SYSTEMTIME.
int DayOfWeek(int y, int m, int d) {
  static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : days[m - 1];
}

}  // namespace

PrefixClock::PrefixClock() {
  if (const char* fixed = std::getenv("VOLNRX_LOCAL_TIME"); fixed != nullptr && *fixed != '\0') {
    pinned_ = Parse(fixed);
    if (!pinned_)
      throw PrefixError(std::string("VOLNRX_LOCAL_TIME is not \"YYYY-MM-DD HH:MM:SS\": ") + fixed);
  }
}

std::optional<LocalTime> PrefixClock::Parse(const std::string& text) {
  int y, mo, d, h, mi, s;
  char sep = 0;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &y, &mo, &d, &sep, &h, &mi, &s,
                  &consumed) != 7 ||
      static_cast<std::size_t>(consumed) != text.size() || (sep != ' ' && sep != 'T'))
    return std::nullopt;
  if (y < 1601 || y > 30827 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h < 0 ||
      h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
    return std::nullopt;
  LocalTime t;
  t.year = y;
  t.month = mo;
  t.day = d;
  t.hour = h;
  t.minute = mi;
  t.second = s;
  t.dayOfWeek = DayOfWeek(y, mo, d);
  return t;
}

LocalTime PrefixClock::Now() {
  if (pinned_) return *pinned_;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  LocalTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.dayOfWeek = local.tm_wday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  return t;
}

void PrefixClock::Sleep(std::uint32_t) {}

}  // namespace vlx::prefix
