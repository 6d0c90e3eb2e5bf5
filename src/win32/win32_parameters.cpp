#include "win32/win32_parameters.h"

#include <windows.h>

namespace vlx::win32 {

bool Win32Parameters::Get(std::uint32_t action, std::uint32_t& value) {
  UINT result = 0;
  const BOOL ok = SystemParametersInfoA(action, 0, &result, 0);
  value = result;
  return ok != FALSE;
}

bool Win32Parameters::Set(std::uint32_t action, std::uint32_t param, std::uint32_t flags) {
  return SystemParametersInfoA(action, param, nullptr, flags) != FALSE;
}

}  // namespace vlx::win32
