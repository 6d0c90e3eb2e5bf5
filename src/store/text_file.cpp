#include "store/text_file.h"

#include "store/store_error.h"

namespace vlx {

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

std::vector<std::string> ReadTextLines(TextFiles& files, const std::string& path) {
  std::string bytes;
  if (!files.ReadWholeFile(path, bytes)) throw StoreError::CannotOpenFile(path);
  return SplitLines(bytes);
}

void WriteTextLines(TextFiles& files, const std::string& path,
                    const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  if (!files.ReplaceWholeFile(path, text)) throw StoreError::UnableToWrite(path);
}

}  // namespace vlx
