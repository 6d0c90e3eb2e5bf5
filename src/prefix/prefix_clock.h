// Clock of an offline machine image: the host's local time, or a fixed time given in the
// environment variable VOLNRX_LOCAL_TIME ("YYYY-MM-DD HH:MM:SS"), so scripts can pin it.
// Pauses return at once: nothing in an image runs meanwhile.
#pragma once
#include <optional>
#include <string>

#include "platform/clock.h"

namespace vlx::prefix {

class PrefixClock : public Clock {
 public:
  // Reads VOLNRX_LOCAL_TIME; raises PrefixError when it is set but malformed.
  PrefixClock();

  LocalTime Now() override;
  void Sleep(std::uint32_t milliseconds) override;

  void Pin(const LocalTime& time) { pinned_ = time; }

  // "YYYY-MM-DD HH:MM:SS" (or with a T); nullopt when malformed or out of range.
  static std::optional<LocalTime> Parse(const std::string& text);

 private:
  std::optional<LocalTime> pinned_;
};

}  // namespace vlx::prefix
