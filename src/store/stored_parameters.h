// Where a system parameter is kept once it is set with SPIF_UPDATEINIFILE: a REG_SZ number
// under HKEY_CURRENT_USER\Control Panel\Desktop, as Windows 98 and Wine keep it. The offline
// adapters read and write it there; the dry run and the backup show and undo the same value.
#pragma once
#include <cstdint>
#include <string>

namespace vlx {

struct StoredParameter {
  std::uint32_t get;  // 0: none
  std::uint32_t set;
  const char* action;    // the Set action's name, SPI_SET...
  const char* value;     // the value's name under kStoredParametersKey
  bool flag;             // stored as "1"/"0"
  std::uint32_t absent;  // what the system reports while no value is stored (Wine: on, 300 s)
};

// Below HKEY_CURRENT_USER.
inline constexpr const char* kStoredParametersKey = "Control Panel\\Desktop";

// The parameter by its Get or its Set action; null for one the program does not use.
const StoredParameter* StoredParameterByGet(std::uint32_t action);
const StoredParameter* StoredParameterBySet(std::uint32_t action);
// What a Set of `param` stores: "1"/"0" for a flag, else the signed decimal number.
std::string StoredParameterText(const StoredParameter& parameter, std::uint32_t param);

}  // namespace vlx
