// System parameters port over SystemParametersInfoA.
#pragma once
#include "platform/system_parameters.h"

namespace vlx::win32 {

class Win32Parameters : public SystemParameters {
 public:
  bool Get(std::uint32_t action, std::uint32_t& value) override;
  bool Set(std::uint32_t action, std::uint32_t param, std::uint32_t flags) override;
};

}  // namespace vlx::win32
