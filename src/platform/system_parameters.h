// System parameters port: SystemParametersInfoA for the settings the program reads and sets.
#pragma once
#include <cstdint>

namespace vlx {

namespace spi {
constexpr std::uint32_t GetScreenSaveTimeout = 14;  // seconds
constexpr std::uint32_t SetScreenSaveTimeout = 15;
constexpr std::uint32_t GetScreenSaveActive = 16;
constexpr std::uint32_t SetScreenSaveActive = 17;
constexpr std::uint32_t SetMenuShowDelay = 107;  // milliseconds
}  // namespace spi

namespace spif {
constexpr std::uint32_t UpdateIniFile = 1;
constexpr std::uint32_t SendWinIniChange = 2;
}  // namespace spif

class SystemParameters {
 public:
  virtual ~SystemParameters() = default;

  // SystemParametersInfoA(action, 0, &value, 0) for a parameter read into a 32-bit integer.
  virtual bool Get(std::uint32_t action, std::uint32_t& value) = 0;
  // SystemParametersInfoA(action, param, NULL, flags) for a parameter set by its number.
  virtual bool Set(std::uint32_t action, std::uint32_t param, std::uint32_t flags) = 0;
};

}  // namespace vlx
