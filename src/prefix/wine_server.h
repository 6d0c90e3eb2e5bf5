// Whether a wineserver runs for a Wine prefix. The server holds a lock on the file `lock` in its
// folder `server-DEV-INODE` (device and inode of the prefix folder, in hex), which lies in
// /tmp/.wine-UID, or in the folder the prefix's file `wineserver` names (Debian's Wine).
#pragma once
#include <filesystem>

namespace vlx::prefix {

// A server folder that is missing, or a lock nobody holds, means no server.
bool WineServerRunning(const std::filesystem::path& prefix);

}  // namespace vlx::prefix
