#include "store/stored_parameters.h"

#include "platform/system_parameters.h"

namespace vlx {

namespace {

constexpr StoredParameter kParameters[] = {
    {spi::GetScreenSaveActive, spi::SetScreenSaveActive, "SPI_SETSCREENSAVEACTIVE", "ScreenSaveActive", true, 1},
    {spi::GetScreenSaveTimeout, spi::SetScreenSaveTimeout, "SPI_SETSCREENSAVETIMEOUT", "ScreenSaveTimeOut", false, 300},
    {0, spi::SetMenuShowDelay, "SPI_SETMENUSHOWDELAY", "MenuShowDelay", false, 0},
};

}  // namespace

const StoredParameter* StoredParameterByGet(std::uint32_t action) {
  for (const auto& p : kParameters)
    if (p.get != 0 && p.get == action) return &p;
  return nullptr;
}

const StoredParameter* StoredParameterBySet(std::uint32_t action) {
  for (const auto& p : kParameters)
    if (p.set == action) return &p;
  return nullptr;
}

std::string StoredParameterText(const StoredParameter& parameter, std::uint32_t param) {
  if (parameter.flag) return param != 0 ? "1" : "0";
  return std::to_string(static_cast<std::int32_t>(param));
}

}  // namespace vlx
