// The page "Информация": the system's version, memory and the Windows disk, read anew each time
// the page is shown.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "platform/system_facts.h"
#include "ui/form_spec.h"

namespace vlx {

class Context;

std::span<const ui::ControlSpec> InfoPageTable();

// Fills every line of the page from the system.
void ShowSystemInfo(Context& ctx);

namespace info {

// 0: unknown; 1, 2: a 9x or NT version the table does not name; 3..9: 95, 98, 98 SE, ME, NT,
// 2000, XP.
int VersionCode(bool known, const VersionFacts& version);
// "Платформа: \t<system> and "; codes 1 and 2 name the family and the version numbers.
std::string PlatformText(int code, const VersionFacts& version);
// "DOS " + the MS-DOS version the system of `code` carries, as "%u.%.2u": 7.00 for Windows 95,
// 7.10 for 95 OSR2 and 98, 8.00 for ME, 5.00 on the NT family, 0.00 for an unknown system.
std::string DosText(int code, const VersionFacts& version);
// Bytes in the page's megabytes (1024417 bytes each), counted in 64 bits.
std::uint64_t Megabytes(std::uint64_t bytes);
// "1A2B-3C4D".
std::string SerialText(std::uint32_t serial);

}  // namespace info
}  // namespace vlx
