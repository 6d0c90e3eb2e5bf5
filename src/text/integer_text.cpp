#include "text/integer_text.h"

#include <cctype>
#include <limits>

namespace vlx {

// Accepts a sign and "$" hexadecimal as the original framework's StrToInt does, so values that
// program stored (or a user typed) in those forms read back the same.
std::optional<std::int32_t> TryParseInteger(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::size_t i = 0;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && text[i] == '$') {
    hex = true;
    ++i;
  }
  if (i >= text.size()) return std::nullopt;
  std::int64_t value = 0;
  const std::int64_t limit = hex ? 0xFFFFFFFFll : std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int digit;
    if (std::isdigit(c))
      digit = c - '0';
    else if (hex && std::isxdigit(c))
      digit = std::tolower(c) - 'a' + 10;
    else
      return std::nullopt;
    value = value * (hex ? 16 : 10) + digit;
    if (value > limit) return std::nullopt;
  }
  if (!hex && !negative && value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  const auto bits = static_cast<std::uint32_t>(value);
  const auto result = static_cast<std::int32_t>(bits);
  return negative ? static_cast<std::int32_t>(0u - bits) : result;
}

}  // namespace vlx
