// Replaces a file atomically: write a temporary file beside it, flush it, rename it over.
#pragma once
#include <filesystem>
#include <functional>
#include <string_view>

namespace vlx::prefix {

enum class WriteStep { Create, Write, Flush, Rename };

// Test hook: called before each step; returning false makes that step fail.
using WriteFaultHook = std::function<bool(WriteStep)>;
void SetWriteFaultHook(WriteFaultHook hook);

// Raises PrefixError naming the file when any step fails; the old file is then untouched and
// no temporary file is left behind.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// The same with the content made piece by piece, for files too large to build in memory first:
// `produce` passes each piece, in order, to the writer it receives.
using PieceWriter = std::function<void(std::string_view)>;
void WriteFileAtomically(const std::filesystem::path& path,
                         const std::function<void(const PieceWriter&)>& produce);

}  // namespace vlx::prefix
