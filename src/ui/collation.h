// Order of list items in code page 1251, after the platform's locale-aware comparison:
// punctuation, then digits, then Latin, then Cyrillic letters (Ё after Е).
#pragma once
#include <string>

namespace vlx::ui {

// lstrcmpi: letter case ignored. Negative, zero or positive.
int CompareTextNoCase(const std::string& a, const std::string& b);
// lstrcmp: as above, then a lower-case letter before its capital at the first such difference.
int CompareText(const std::string& a, const std::string& b);

}  // namespace vlx::ui
