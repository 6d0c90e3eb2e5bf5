// Replaces a file atomically: write a temporary file beside it, flush it, rename it over.
#pragma once
#include <filesystem>
#include <functional>
#include <string_view>

namespace vlx::prefix {

// Which file a path names and its state: equal identities mean nobody replaced or changed it.
struct FileIdentity {
  bool exists = false;
  unsigned long long device = 0, inode = 0, size = 0;
  long long modified = 0, changed = 0;  // nanoseconds
  bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentityOf(const std::filesystem::path& path);
FileIdentity IdentityOf(int fd);

enum class WriteStep { Create, Write, Flush, Rename };

// Test hook: called before each step; returning false makes that step fail.
using WriteFaultHook = std::function<bool(WriteStep)>;
void SetWriteFaultHook(WriteFaultHook hook);

// Raises PrefixError naming the file when any step fails; the old file is then untouched and
// no temporary file is left behind.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// The same with the content made piece by piece, for files too large to build in memory first:
// `produce` passes each piece, in order, to the writer it receives. With `expected`, the file
// is replaced only while it is still the one described (checked just before the rename);
// otherwise PrefixError says it changed on disk, and it keeps what it holds.
using PieceWriter = std::function<void(std::string_view)>;
void WriteFileAtomically(const std::filesystem::path& path,
                         const std::function<void(const PieceWriter&)>& produce,
                         const FileIdentity* expected = nullptr);

}  // namespace vlx::prefix
