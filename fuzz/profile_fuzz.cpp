// INI text: every read and write on any bytes, with names and values taken from the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "prefix/profile_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  // Layout: section NUL key NUL value NUL text.
  auto take = [&input]() {
    const std::size_t end = input.find('\0');
    std::string part(input.substr(0, end));
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    return part;
  };
  const std::string section = take(), key = take(), value = take();
  vlx::prefix::ProfileText text{std::string(input)};
  std::string out;
  for (std::uint32_t bufferSize : {0u, 1u, 2u, 3u, 64u, 1u << 16}) {
    text.GetString(nullptr, nullptr, "d", bufferSize, out);
    text.GetString(section.c_str(), nullptr, "d", bufferSize, out);
    text.GetString(section.c_str(), key.c_str(), "def  ", bufferSize, out);
  }
  vlx::prefix::ProfileText changed = text;
  changed.SetValue(section, key, value);
  changed.GetString(section.c_str(), key.c_str(), "", 1u << 16, out);
  changed.DeleteKey(section, key);
  changed.DeleteSection(section);
  text.DeleteSection(section);
  return 0;
}
