// A unified diff of two texts, line by line, with three lines of context.
#pragma once
#include <string>
#include <vector>

namespace vlx::overlay {

// The diff's lines ("--- NAME", "+++ NAME", "@@ -a,b +c,d @@", " ", "-", "+" lines), none when
// the texts are equal. A missing side is named /dev/null. Line ends (CR LF or LF) are not shown.
std::vector<std::string> UnifiedDiff(const std::string& name, const std::string* before,
                                     const std::string* after);

}  // namespace vlx::overlay
