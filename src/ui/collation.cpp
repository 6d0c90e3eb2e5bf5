#include "ui/collation.h"

#include <cstddef>

namespace vlx::ui {

namespace {

constexpr unsigned char kYoUpper = 0xA8;  // Ё
constexpr unsigned char kYoLower = 0xB8;  // ё

bool IsLower(unsigned char c) { return (c >= 'a' && c <= 'z') || c >= 0xE0 || c == kYoLower; }

// Primary weight: the letter without its case, in alphabet order.
int Primary(unsigned char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
  if (c >= 0xE0) c = static_cast<unsigned char>(c - 0x20);
  if (c == kYoLower) c = kYoUpper;
  if (c >= '0' && c <= '9') return 1000 + c;
  if (c >= 'A' && c <= 'Z') return 2000 + c;
  if (c == kYoUpper) return 3000 + 2 * (0xC5 - 0xC0) + 1;  // right after Е
  if (c >= 0xC0) return 3000 + 2 * (c - 0xC0);
  return c;  // punctuation, blanks and other signs first, in code order
}

}  // namespace

int CompareTextNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int d =
        Primary(static_cast<unsigned char>(a[i])) - Primary(static_cast<unsigned char>(b[i]));
    if (d != 0) return d;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int CompareText(const std::string& a, const std::string& b) {
  if (const int d = CompareTextNoCase(a, b); d != 0) return d;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const bool lowerA = IsLower(static_cast<unsigned char>(a[i]));
    const bool lowerB = IsLower(static_cast<unsigned char>(b[i]));
    if (lowerA != lowerB) return lowerA ? -1 : 1;
  }
  return 0;
}

}  // namespace vlx::ui
