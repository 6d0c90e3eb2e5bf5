// Integers written as text, the way the program's settings store them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace vlx {

// A whole text as a 32-bit integer: decimal with an optional sign, or hexadecimal after "$";
// nothing for any other text (also the empty text or one with blanks).
std::optional<std::int32_t> TryParseInteger(const std::string& text);

}  // namespace vlx
