// INI text with the semantics of GetPrivateProfileStringA / WritePrivateProfileStringA, worked
// on the file's bytes: lines that a change does not touch stay byte for byte as they were.
//
// Reading follows Windows: lines end at CR or LF; blanks (and Ctrl-Z) around names and values
// are dropped; "[name]" opens a section (up to its last ']'); lines before the first section
// belong to the section named ""; a line without '=' is a key without value (found, but yields
// the default, and not listed); ';' lines are not listed; the first of duplicate sections and
// keys wins; names compare without regard to case (code page 1251).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vlx::prefix {

class ProfileText {
 public:
  ProfileText() = default;
  explicit ProfileText(std::string bytes) : bytes_(std::move(bytes)) {}

  const std::string& Bytes() const { return bytes_; }

  // GetPrivateProfileStringA into a buffer of `size` bytes; `result` receives the first
  // <return value> bytes of the buffer. A null section lists the section names, a null key the
  // section's key names (each followed by a zero byte; cut to size - 2 when the buffer is short).
  // Values in matching outer quotes lose them; the default loses its trailing blanks.
  std::uint32_t GetString(const char* section, const char* key, const char* defaultValue,
                          std::uint32_t size, std::string& result) const;

  // WritePrivateProfileStringA on the text; each returns whether the bytes changed. A new key
  // goes after the last non-blank line of its section, a new section at the end of the text.
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);
  bool DeleteKey(std::string_view section, std::string_view key);
  bool DeleteSection(std::string_view section);

 private:
  std::string bytes_;
};

}  // namespace vlx::prefix
