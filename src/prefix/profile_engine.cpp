#include "prefix/profile_engine.h"

#include <optional>
#include <vector>

#include "text/cp1251.h"

namespace vlx::prefix {

namespace {

constexpr std::string_view kNewLine = "\r\n";

// What the profile functions take as blank: the C blanks and Ctrl-Z, the DOS end-of-file mark.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

struct Line {
  std::size_t begin = 0, end = 0, next = 0;  // text [begin, end), line end [end, next)
  enum class Kind { Blank, Header, Entry } kind = Kind::Blank;
  std::string_view name;   // section or key name
  bool hasValue = false;   // an entry with '='
  std::string_view value;
};

struct Section {
  std::string_view name;
  std::optional<std::size_t> header;  // line index; none for the lines before the first header
  std::size_t first = 0, last = 0;    // body lines [first, last)
};

class Layout {
 public:
  explicit Layout(std::string_view text) {
    sections_.push_back(Section{});
    for (std::size_t pos = 0; pos < text.size();) {
      Line line;
      line.begin = pos;
      const std::size_t stop = text.find_first_of("\r\n", pos);
      line.end = stop == std::string_view::npos ? text.size() : stop;
      line.next = line.end;
      if (line.next < text.size()) {
        line.next += (text[line.next] == '\r' && line.next + 1 < text.size() &&
                      text[line.next + 1] == '\n')
                         ? 2
                         : 1;
      }
      pos = line.next;
      Classify(text.substr(line.begin, line.end - line.begin), line);
      if (line.kind == Line::Kind::Header) {
        sections_.back().last = lines_.size();
        sections_.push_back(Section{line.name, lines_.size(), lines_.size() + 1, 0});
      }
      lines_.push_back(line);
    }
    sections_.back().last = lines_.size();
  }

  const std::vector<Line>& Lines() const { return lines_; }
  const std::vector<Section>& Sections() const { return sections_; }

  // The first section of that name; "" is the part before the first header.
  const Section* FindSection(std::string_view name) const {
    name = Trim(name);
    for (const auto& section : sections_)
      if (EqualNoCaseCp1251(section.name, name)) return &section;
    return nullptr;
  }

  std::optional<std::size_t> FindKey(const Section& section, std::string_view name) const {
    name = Trim(name);
    for (std::size_t i = section.first; i < section.last; ++i)
      if (lines_[i].kind == Line::Kind::Entry && EqualNoCaseCp1251(lines_[i].name, name)) return i;
    return std::nullopt;
  }

 private:
  static void Classify(std::string_view text, Line& line) {
    text = Trim(text);
    if (text.empty()) return;
    if (text.front() == '[') {
      const std::size_t close = text.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        line.kind = Line::Kind::Header;
        line.name = Trim(text.substr(1, close - 1));
        return;
      }
    }
    line.kind = Line::Kind::Entry;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
      line.name = text;
      return;
    }
    line.name = Trim(text.substr(0, equals));
    line.hasValue = true;
    line.value = TrimLeft(text.substr(equals + 1));
  }

  std::vector<Line> lines_;
  std::vector<Section> sections_;
};

// Copies a value into a buffer of `size` (> 0) bytes, dropping matching outer quotes the way
// the system does: the opening quote is skipped, and the closing one is cut only when the
// whole rest fits.
std::string CopyEntry(std::string_view value, std::uint32_t size) {
  bool quoted = false;
  if (value.size() > 1 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::string out(value.substr(0, size - 1));
  if (quoted && size >= value.size() && !out.empty()) out.pop_back();
  return out;
}

// The names of a section list, each with its zero byte; a short buffer takes what fits and
// the call returns size - 2.
std::uint32_t KeyNames(const Layout& layout, const Section& section, std::uint32_t size,
                       std::string& result) {
  if (size < 2) return 0;  // no room for a name and the list's closing zero
  std::uint32_t left = size;
  for (std::size_t i = section.first; i < section.last && left > 2; ++i) {
    const Line& line = layout.Lines()[i];
    if (line.kind != Line::Kind::Entry || !line.hasValue) continue;
    if (!line.name.empty() && line.name.front() == ';') continue;
    const auto name = line.name.substr(0, left - 2);
    result.append(name).push_back('\0');
    left -= static_cast<std::uint32_t>(name.size() + 1);
    if (left < 2) break;
  }
  if (left <= 1) {
    result.resize(size - 2);
    return size - 2;
  }
  return size - left;
}

std::uint32_t SectionNames(const Layout& layout, std::uint32_t size, std::string& result) {
  if (size < 2) return 0;
  std::uint32_t left = size - 1;
  for (const auto& section : layout.Sections()) {
    if (section.name.empty()) continue;
    const auto needed = static_cast<std::uint32_t>(section.name.size() + 1);
    if (needed >= left) {
      if (left > 0) result.append(section.name.substr(0, left - 1)).push_back('\0');
      result.resize(size - 2);
      return size - 2;
    }
    result.append(section.name).push_back('\0');
    left -= needed;
  }
  return static_cast<std::uint32_t>(result.size());
}

std::string TrimDefault(const char* defaultValue) {
  std::string value = defaultValue ? defaultValue : "";
  // Only blanks go, and never the first character.
  while (value.size() > 1 && value.back() == ' ') value.pop_back();
  return value;
}

}  // namespace

std::uint32_t ProfileText::GetString(const char* section, const char* key,
                                     const char* defaultValue, std::uint32_t size,
                                     std::string& result) const {
  result.clear();
  if (size == 0) return 0;
  const Layout layout(bytes_);
  if (!section) return SectionNames(layout, size, result);
  const Section* found = layout.FindSection(section);
  if (!key) {
    const std::uint32_t length = found ? KeyNames(layout, *found, size, result) : 0;
    if (length > 0 && result[0] != '\0') return length;
  } else if (found) {
    if (const auto line = layout.FindKey(*found, key); line && layout.Lines()[*line].hasValue) {
      result = CopyEntry(layout.Lines()[*line].value, size);
      return static_cast<std::uint32_t>(result.size());
    }
  }
  result = CopyEntry(TrimDefault(defaultValue), size);
  return static_cast<std::uint32_t>(result.size());
}

bool ProfileText::SetValue(std::string_view section, std::string_view key,
                           std::string_view value) {
  value = TrimLeft(value);
  const Layout layout(bytes_);
  const Section* found = layout.FindSection(section);
  std::string entry = std::string(TrimLeft(key)) + "=" + std::string(value);
  if (!found) {
    if (!bytes_.empty() && bytes_.back() != '\r' && bytes_.back() != '\n') bytes_ += kNewLine;
    bytes_.append("[").append(TrimLeft(section)).append("]");
    bytes_.append(kNewLine).append(entry).append(kNewLine);
    return true;
  }
  const auto& lines = layout.Lines();
  if (const auto index = layout.FindKey(*found, key)) {
    const Line& line = lines[*index];
    if (line.hasValue && line.value == value) return false;
    bytes_.replace(line.begin, line.end - line.begin, std::string(line.name) + "=" +
                                                          std::string(value));
    return true;
  }
  // After the section's last non-blank line (its header when it has none).
  std::optional<std::size_t> after = found->header;
  for (std::size_t i = found->first; i < found->last; ++i)
    if (lines[i].kind != Line::Kind::Blank) after = i;
  std::size_t at = 0;
  if (after) {
    const Line& line = lines[*after];
    at = line.next;
    if (line.next == line.end) {  // the text's last line has no line end yet
      bytes_.insert(at, kNewLine);
      at += kNewLine.size();
    }
  }
  bytes_.insert(at, entry.append(kNewLine));
  return true;
}

bool ProfileText::DeleteKey(std::string_view section, std::string_view key) {
  const Layout layout(bytes_);
  const Section* found = layout.FindSection(section);
  if (!found) return false;
  const auto index = layout.FindKey(*found, key);
  if (!index) return false;
  const Line& line = layout.Lines()[*index];
  bytes_.erase(line.begin, line.next - line.begin);
  return true;
}

bool ProfileText::DeleteSection(std::string_view section) {
  const Layout layout(bytes_);
  const Section* found = layout.FindSection(section);
  if (!found) return false;
  const auto& lines = layout.Lines();
  const std::size_t firstLine = found->header ? *found->header : found->first;
  if (firstLine >= found->last) return false;  // nothing before the first header
  const std::size_t begin = lines[firstLine].begin;
  const std::size_t end = lines[found->last - 1].next;
  bytes_.erase(begin, end - begin);
  return true;
}

}  // namespace vlx::prefix
