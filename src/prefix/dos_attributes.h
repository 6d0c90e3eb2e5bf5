// DOS file attributes of a host file, kept the way Wine keeps them: read-only is the absence of
// every write permission bit, hidden and system live in the extended attribute user.DOSATTRIB
// as "0x<hex>", archive is reported for every file and stored nowhere, and names beginning with
// a dot are hidden.
#pragma once
#include <cstdint>
#include <filesystem>

namespace vlx::prefix {

// GetFileAttributesA: fileattr bits, fileattr::Invalid when nothing exists at the path.
std::uint32_t ReadDosAttributes(const std::filesystem::path& host);
// Only the hidden and system bits kept in the extended attribute (what a rewrite must carry over).
std::uint32_t StoredDosAttributes(const std::filesystem::path& host);
// SetFileAttributesA: false (with errno set) when the file is missing or cannot be changed.
// Read-only is ignored on directories, as Wine does.
bool WriteDosAttributes(const std::filesystem::path& host, std::uint32_t attributes);

}  // namespace vlx::prefix
