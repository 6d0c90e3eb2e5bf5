// Text files read and written whole as lists of lines.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_files.h"

namespace vlx {

// Lines end at CR LF, CR or LF; a last line without an end still counts, an empty text has none.
std::vector<std::string> SplitLines(std::string_view text);

// The file's lines. StoreError "Cannot open file %s" when it cannot be read.
std::vector<std::string> ReadTextLines(TextFiles& files, const std::string& path);
// Replaces the file with the lines, each ended by CR LF; on failure the file keeps what it held.
// StoreError "Unable to write to %s" then.
void WriteTextLines(TextFiles& files, const std::string& path,
                    const std::vector<std::string>& lines);

}  // namespace vlx
