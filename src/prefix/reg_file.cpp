#include "prefix/reg_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <optional>

#include "platform/win_types.h"
#include "prefix/hive_source.h"
#include "prefix/prefix_error.h"
#include "prefix/reg_text.h"

namespace vlx::prefix {

namespace {

constexpr std::string_view kSignature = "WINE REGISTRY Version 2";
constexpr std::size_t npos = std::string_view::npos;

bool IsStringType(std::uint32_t type) {
  return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view TrimLineEnd(std::string_view line) {
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

void AppendHex(std::string& out, std::uint64_t value, int minDigits) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%0*llx", minDigits, static_cast<unsigned long long>(value));
  out += buffer;
}

// A value's data in file form, decoded: code units for the string forms, bytes otherwise.
struct Decoded {
  std::uint32_t type = 0;
  bool text = false;
  std::u16string units;  // with the final NUL
  std::string bytes;
  void Clear() {
    units.clear();
    bytes.clear();
  }
};

struct DataError {
  std::size_t at;
  const char* what;
};

// Decodes the data starting at `start` of `text` (after the '='). Returns the offset where the
// data ends (its line's end); hex data continues over lines that end in a backslash. Without
// `keep` the data is only checked: `out` then receives the type alone. `firstLineEnd`, when
// known, is where the line holding `start` ends.
std::size_t DecodeData(std::string_view text, std::size_t start, Decoded& out, bool keep = true,
                       std::size_t firstLineEnd = npos) {
  out.Clear();
  std::string_view rest = text.substr(start);
  std::size_t p = start;
  auto startsWith = [&](std::string_view s) { return rest.substr(0, s.size()) == s; };
  auto lineEnd = [&](std::size_t from) {
    if (firstLineEnd != npos && from <= firstLineEnd) return firstLineEnd;
    const std::size_t nl = text.find('\n', from);
    return nl == npos ? text.size() : nl;
  };
  auto expectLineEnd = [&](std::size_t at) {
    const std::size_t end = lineEnd(at);
    for (std::size_t i = at; i < end; ++i)
      if (!IsBlank(text[i])) throw DataError{i, "unexpected characters after the value"};
    return end;
  };

  std::size_t quote = npos;
  if (startsWith("\"")) {
    out.type = regtype::Sz, quote = p;
  } else if (startsWith("str:\"")) {
    out.type = regtype::Sz, quote = p + 4;
  } else if (startsWith("str(2):\"")) {
    out.type = regtype::ExpandSz, quote = p + 7;
  } else if (startsWith("str(7):\"")) {
    out.type = regtype::MultiSz, quote = p + 7;
  }
  if (quote != npos) {
    out.text = true;
    const std::size_t end = lineEnd(quote + 1);
    const std::string_view quoted = text.substr(quote + 1, end - quote - 1);
    const std::size_t close =
        keep ? regtext::Unescape(quoted, '"', out.units) : regtext::FindUnescaped(quoted, '"');
    if (close == npos) throw DataError{end, "unterminated string"};
    if (keep) out.units += u'\0';
    return expectLineEnd(quote + 1 + close + 1);
  }

  out.text = false;
  if (startsWith("dword:")) {
    out.type = regtype::Dword;
    p += 6;
    std::uint32_t value = 0;
    for (int i = 0; i < 8; ++i, ++p) {
      const int d = p < text.size() ? HexValue(text[p]) : -1;
      if (d < 0) throw DataError{p, "a dword needs eight hex digits"};
      value = value * 16 + static_cast<std::uint32_t>(d);
    }
    for (int i = 0; keep && i < 4; ++i) out.bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return expectLineEnd(p);
  }
  if (startsWith("hex:")) {
    out.type = regtype::Binary;
    p += 4;
  } else if (startsWith("hex(")) {
    p += 4;
    std::uint64_t type = 0;
    const std::size_t digits = p;
    while (p < text.size() && HexValue(text[p]) >= 0 && type <= 0xFFFFFFFFu)
      type = type * 16 + static_cast<std::uint64_t>(HexValue(text[p++]));
    if (p == digits || type > 0xFFFFFFFFu || text.substr(p, 2) != "):")
      throw DataError{p, "bad value type"};
    out.type = static_cast<std::uint32_t>(type);
    p += 2;
  } else {
    throw DataError{p, "unknown value type"};
  }
  // Hex bytes separated by commas; a backslash at the end of a line continues the list.
  for (;;) {
    while (p < text.size() && IsBlank(text[p])) ++p;
    if (p >= text.size() || text[p] == '\n') return p;
    if (text[p] == '\\') {
      const std::size_t end = expectLineEnd(p + 1);
      if (end >= text.size()) throw DataError{end, "file ends inside a continued value"};
      p = end + 1;
      continue;
    }
    const int hi = HexValue(text[p]);
    if (hi < 0) throw DataError{p, "bad hex byte"};
    int value = hi;
    ++p;
    if (p < text.size() && HexValue(text[p]) >= 0) value = value * 16 + HexValue(text[p++]);
    if (keep) out.bytes += static_cast<char>(value);
    while (p < text.size() && IsBlank(text[p])) ++p;
    if (p < text.size() && text[p] == ',') {
      ++p;
    } else if (p < text.size() && text[p] != '\n' && text[p] != '\\') {
      throw DataError{p, "bad hex byte"};
    }
  }
}

std::u16string DecodeName(const RegValueNode& value) {
  std::u16string name;
  if (value.line[0] == '"') regtext::Unescape(value.RawName(), '"', name);
  return name;
}

// wineserver's layout: hex lines break after 76 columns, strings end with their final NUL.
std::string EncodeValue(std::u16string_view name, std::uint32_t type, std::string_view bytes,
                        std::uint32_t& dataStart) {
  std::string line;
  line.reserve(name.size() + bytes.size() * 3 + 16);
  std::size_t count;
  if (name.empty()) {
    line += "@=";
    count = 2;
  } else {
    line += '"';
    count = 1 + regtext::Escape(name, "\"\"", line) + 2;
    line += "\"=";
  }
  dataStart = static_cast<std::uint32_t>(line.size());

  std::string raw;
  if (IsStringType(type)) {
    const std::u16string units = regtext::ToUnits(bytes);
    if (!units.empty() && units.back() == u'\0') {
      if (type != regtype::Sz) {
        line += "str(";
        AppendHex(line, type, 1);
        line += "):";
      }
      line += '"';
      regtext::Escape(units, "\"\"", line);
      line += '"';
      return line;
    }
    for (char16_t u : units) {
      raw += static_cast<char>(u & 0xFF);
      raw += static_cast<char>(u >> 8);
    }
    bytes = raw;
  } else if (type == regtype::Dword && bytes.size() == 4) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    line += "dword:";
    AppendHex(line, value, 8);
    return line;
  }
  const std::size_t before = line.size();
  if (type == regtype::Binary) {
    line += "hex:";
  } else {
    line += "hex(";
    AppendHex(line, type, 1);
    line += "):";
  }
  count += line.size() - before;
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    line += kHex[b >> 4];
    line += kHex[b & 0xF];
    count += 2;
    if (i + 1 < bytes.size()) {
      line += ',';
      if (++count > 76) {
        line += "\\\n  ";
        count = 2;
      }
    }
  }
  return line;
}

struct Stamp {
  std::uint64_t seconds;
  std::uint64_t filetime;
};

Stamp Now() {
  const auto seconds = static_cast<std::uint64_t>(std::time(nullptr));
  return {seconds, (seconds + 11644473600ull) * 10000000ull};
}

void AppendStamp(std::string& out, const Stamp& stamp) {
  out += ' ';
  out += std::to_string(stamp.seconds);
  out += "\n#time=";
  AppendHex(out, stamp.filetime, 1);
  out += '\n';
}

void AppendPath(std::string& out, const RegKeyNode& key) {
  if (key.parent && key.parent->parent) {
    AppendPath(out, *key.parent);
    out += "\\\\";
  }
  regtext::Escape(key.name, "[]", out);
}

template <typename Lines>
void ForEachLine(std::string_view text, Lines&& each) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    if (nl == npos) nl = text.size();
    each(text.substr(pos, nl - pos));
    pos = nl + 1;
  }
}

void SortValues(std::vector<RegValueNode>& values) {
  struct Item {
    std::u16string name;
    std::size_t index;
  };
  std::vector<Item> items;
  items.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) items.push_back({DecodeName(values[i]), i});
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return regtext::CompareNames(a.name, b.name) < 0;
  });
  std::vector<RegValueNode> sorted;
  sorted.reserve(values.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    // Of several values with one name the last one read wins, as in wineserver.
    if (i + 1 < items.size() && regtext::CompareNames(items[i].name, items[i + 1].name) == 0)
      continue;
    sorted.push_back(std::move(values[items[i].index]));
  }
  values = std::move(sorted);
}

using SubkeyList = std::vector<std::unique_ptr<RegKeyNode>>;

std::size_t LowerBound(const SubkeyList& subkeys, std::u16string_view name) {
  if (!subkeys.empty()) {
    const int last = regtext::CompareNames(subkeys.back()->name, name);
    if (last < 0) return subkeys.size();
    if (last == 0) return subkeys.size() - 1;
  }
  std::size_t lo = 0, hi = subkeys.size();
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (regtext::CompareNames(subkeys[mid]->name, name) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

std::size_t ValueLowerBound(const std::vector<RegValueNode>& values, std::u16string_view name) {
  std::size_t lo = 0, hi = values.size();
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (regtext::CompareNames(DecodeName(values[mid]), name) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

bool SameName(const RegValueNode& value, std::u16string_view name) {
  return regtext::CompareNames(DecodeName(value), name) == 0;
}

// A section header's key path split into its names as written (escaped); empty names (doubled
// separators) are skipped, as wineserver does. Names are decoded only where two differ in bytes.
struct KeyPath {
  std::string text;  // the header line up to the path's end, kept
  std::vector<std::pair<std::size_t, std::size_t>> names;  // start and length in `text`

  std::size_t Depth() const { return names.size(); }
  std::string_view RawName(std::size_t i) const {
    return std::string_view(text).substr(names[i].first, names[i].second);
  }
  std::u16string Name(std::size_t i) const {
    std::u16string name;
    regtext::Unescape(RawName(i), '\0', name);
    return name;
  }
  // From a header line "[path] ..."; false when the path does not end. A backslash always
  // starts a unit of two characters: "\\" is the separator, anything else part of a name.
  bool Read(std::string_view header) {
    const std::size_t close = header.empty() ? npos : regtext::FindUnescaped(header.substr(1), ']');
    if (close == npos) return false;
    text.assign(header.substr(0, close + 1));
    names.clear();
    std::size_t from = 1;
    for (std::size_t i = text.find('\\', 1);; i = text.find('\\', i + 2)) {
      const bool separator = i != npos && i + 1 < text.size() && text[i + 1] == '\\';
      if (i != npos && !separator) continue;
      const std::size_t end = i == npos ? text.size() : i;
      if (end > from) names.emplace_back(from, end - from);
      if (i == npos) return true;
      from = i + 2;
    }
  }
};

// CompareNames of two names as written; up to an escape or a non-ASCII byte they are compared
// as they stand, past one both are decoded.
int CompareRawNames(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x == '\\' || y == '\\' || x >= 0x80 || y >= 0x80) {
      std::u16string u, v;
      regtext::Unescape(a.substr(i), '\0', u);
      regtext::Unescape(b.substr(i), '\0', v);
      return regtext::CompareNames(u, v);
    }
    const int d = regtext::FoldCase(x) - regtext::FoldCase(y);
    if (d) return d;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

struct PathOrder {
  std::size_t shared;  // leading names the two paths share
  bool before;         // the first comes before the second in tree order
};

// Tree order as wineserver writes it: a key before its subkeys, siblings by CompareNames.
PathOrder ComparePaths(const KeyPath& a, const KeyPath& b) {
  std::size_t shared = 0;
  int names = 0;
  for (; shared < a.Depth() && shared < b.Depth(); ++shared) {
    if (a.RawName(shared) == b.RawName(shared)) continue;
    names = CompareRawNames(a.RawName(shared), b.RawName(shared));
    if (names != 0) break;
  }
  if (shared < a.Depth() && shared < b.Depth()) return {shared, names < 0};
  return {shared, a.Depth() < b.Depth()};
}

// Goes through the value lines of a section (its text from the header line on), checking each;
// with `values`, lists them as well. Returns whether they came in wineserver's order (always
// true without `values`). Errors are DataError with an offset into `section`.
bool ReadValues(std::string_view section, std::vector<RegValueNode>* values) {
  std::size_t pos = section.find('\n');
  pos = pos == npos ? section.size() : pos + 1;
  Decoded decoded;
  std::u16string name, previous;
  bool ordered = true;
  while (pos < section.size()) {
    const std::size_t start = pos;
    std::size_t nl = section.find('\n', pos);
    if (nl == npos) nl = section.size();
    pos = nl + 1;
    std::string_view line = section.substr(start, nl - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#' || line[0] == ';' || TrimLineEnd(line).empty()) continue;
    if (line[0] != '"' && line[0] != '@') throw DataError{start, "syntax error"};
    std::size_t dataStart;
    name.clear();
    if (line[0] == '@') {
      if (line.size() < 2 || line[1] != '=') throw DataError{start, "syntax error"};
      dataStart = 2;
    } else {
      const std::size_t close = values ? regtext::Unescape(line.substr(1), '"', name)
                                       : regtext::FindUnescaped(line.substr(1), '"');
      if (close == npos) throw DataError{start, "unterminated value name"};
      dataStart = close + 2;
      if (dataStart >= line.size() || line[dataStart] != '=') throw DataError{start, "'=' expected"};
      ++dataStart;
    }
    const std::size_t end = DecodeData(section, start + dataStart, decoded, false, nl);  // on use
    pos = end + 1;
    if (!values) continue;
    std::string_view valueText = section.substr(start, end - start);
    if (!valueText.empty() && valueText.back() == '\r') valueText.remove_suffix(1);
    if (!values->empty() && regtext::CompareNames(previous, name) >= 0) ordered = false;
    values->push_back({valueText, nullptr, decoded.type, static_cast<std::uint32_t>(dataStart)});
    previous.swap(name);
  }
  return ordered;
}

constexpr std::size_t kScanBlock = 64 * 1024;

// The first "\n[" at `from` or later: found through the '[', which is rare, not the line ends.
std::size_t FindSectionStart(std::string_view text, std::size_t from) {
  for (std::size_t at = text.find('[', from + 1); at != npos; at = text.find('[', at + 1))
    if (text[at - 1] == '\n') return at - 1;
  return npos;
}

}  // namespace

RegFile::RegFile(std::string_view relativeTo) {
  prologue_ = std::string(kSignature) + "\n;; All keys relative to " + std::string(relativeTo) +
              "\n\n#arch=win64\n";
}

RegFile::RegFile(std::string text, const std::string& fileName)
    : RegFile(std::make_unique<HiveText>(std::move(text)), fileName) {}

RegFile::RegFile(std::unique_ptr<HiveSource> source, const std::string& fileName)
    : source_(std::move(source)), fileName_(fileName) {
  Scan();
}

RegFile::~RegFile() = default;

std::unique_ptr<RegFile> RegFile::Load(const std::filesystem::path& path, FileIdentity* identity) {
  FileIdentity read;
  auto source = std::make_unique<HiveFile>(path, read);
  std::unique_ptr<RegFile> file(new RegFile(std::move(source), path.string()));
  if (identity) *identity = read;
  return file;
}

void RegFile::Fail(std::uint64_t offset, const std::string& what) const {
  std::uint64_t line = 1;
  HiveCursor cursor(*source_);
  for (std::uint64_t at = 0, end = std::min(offset, source_->Size()); at < end;) {
    const std::string_view piece = cursor.At(at, end - at);
    line += static_cast<std::uint64_t>(std::count(piece.begin(), piece.end(), '\n'));
    at += piece.size();
  }
  throw PrefixError("Cannot read " + fileName_ + ": line " + std::to_string(line) + ": " + what);
}

std::string_view RegFile::HeaderLine(const Section& section, std::string& buffer) const {
  std::uint64_t want = std::min<std::uint64_t>(section.length, 256);
  for (;;) {
    const std::string_view read =
        source_->Read(section.offset, static_cast<std::size_t>(want), buffer, true);
    const std::size_t nl = read.find('\n');
    if (nl != npos || want == section.length) return read.substr(0, nl);
    want = std::min<std::uint64_t>(section.length, want * 4);
  }
}

// One pass over the file in blocks, keeping only the current section: each section is checked
// and put in the index; keys are built from the index when a lookup reaches them.
void RegFile::Scan() {
  const std::uint64_t size = source_->Size();
  std::string window, block;  // window: the file's bytes [base, base + window.size())
  std::uint64_t base = 0, filled = 0;
  auto more = [&] {
    if (filled >= size) return false;
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kScanBlock, size - filled));
    const std::string_view read = source_->Read(filled, n, block);
    if (const void* nul = std::memchr(read.data(), '\0', read.size()))
      Fail(filled + static_cast<std::uint64_t>(static_cast<const char*>(nul) - read.data()),
           "binary data in a text file");
    window.append(read);
    filled += n;
    return true;
  };

  KeyPath path, previous;
  bool ordered = true;
  auto section = [&](std::string_view text, std::uint64_t offset) {
    if (!path.Read(text.substr(0, text.find('\n')))) Fail(offset, "unterminated key name");
    try {
      ReadValues(text, nullptr);
    } catch (const DataError& error) {
      Fail(offset + error.at, error.what);
    }
    Section entry{offset, text.size(), static_cast<std::uint32_t>(path.Depth()), 0};
    if (!sections_.empty()) {
      const PathOrder order = ComparePaths(previous, path);
      entry.shared = static_cast<std::uint32_t>(order.shared);
      if (!order.before) ordered = false;  // a key met twice, or out of order
    }
    sections_.push_back(entry);
    std::swap(previous, path);
  };
  auto prologue = [&](std::string_view text) {
    std::size_t pos = 0;
    bool first = true;
    while (first || pos < text.size()) {
      std::size_t nl = text.find('\n', pos);
      if (nl == npos) nl = text.size();
      std::string_view line = text.substr(pos, nl - pos);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (first && TrimLineEnd(line) != kSignature)
        Fail(0, "not a Wine registry file (no \"WINE REGISTRY Version 2\" line)");
      if (!first && !line.empty() && line[0] != '#' && line[0] != ';' &&
          !TrimLineEnd(line).empty())
        Fail(pos, line[0] == '"' || line[0] == '@' ? "value outside of a key" : "syntax error");
      first = false;
      pos = nl + 1;
    }
    prologue_ = text;
  };

  // Sections begin with a '[' at the start of a line; what comes before the first is the prologue.
  std::size_t current = 0, searchFrom = 0;
  bool inPrologue = true;
  for (;;) {
    const std::size_t next = FindSectionStart(window, searchFrom);
    if (next == npos) {
      window.erase(0, current);
      base += current;
      current = 0;
      searchFrom = window.empty() ? 0 : window.size() - 1;
      if (more()) continue;
    }
    const std::size_t end = next == npos ? window.size() : next + 1;
    const std::string_view text = std::string_view(window).substr(current, end - current);
    if (inPrologue)
      prologue(text);
    else
      section(text, base + current);
    inPrologue = false;
    if (next == npos) break;
    current = searchFrom = end;
  }
  if (sections_.size() > UINT32_MAX) Fail(size, "too many keys");
  if (!ordered) SortSections();
  sections_.shrink_to_fit();
  root_.unbuiltBegin_ = 0;
  root_.unbuiltEnd_ = static_cast<std::uint32_t>(sections_.size());
}

// A file not in wineserver's order gets its index sorted; a key met twice then has its sections
// side by side, and is built as one section holding the values of both.
void RegFile::SortSections() {
  std::vector<KeyPath> paths(sections_.size());
  std::string buffer;
  for (std::size_t i = 0; i < sections_.size(); ++i)
    paths[i].Read(HeaderLine(sections_[i], buffer));
  std::vector<std::size_t> order(sections_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return ComparePaths(paths[a], paths[b]).before; });
  std::vector<Section> sorted;
  sorted.reserve(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(sections_[order[i]]);
    sorted.back().shared =
        i ? static_cast<std::uint32_t>(ComparePaths(paths[order[i - 1]], paths[order[i]]).shared) : 0;
  }
  sections_ = std::move(sorted);
}

// Builds a key from its sections: its own section (the first of the range, with the key's path)
// gives its values, and each run of sections below it sharing one more name becomes a subkey, not
// built yet.
void RegFile::Build(RegKeyNode& key) {
  if (key.unbuiltBegin_ == key.unbuiltEnd_) return;
  std::uint32_t depth = 0;
  for (const RegKeyNode* up = key.parent; up; up = up->parent) ++depth;
  std::uint32_t i = key.unbuiltBegin_;
  const std::uint32_t end = key.unbuiltEnd_;
  std::string buffer;
  std::vector<RegValueNode> values;
  SubkeyList subkeys;
  try {
    bool ordered = true, merged = false;
    for (; i < end && sections_[i].depth == depth; ++i) {
      const Section& own = sections_[i];
      std::string_view text =
          source_->Read(own.offset, static_cast<std::size_t>(own.length), buffer, true);
      const bool first = key.sectionText_.empty();
      if (first) text = key.sectionText_.assign(text);
      merged = merged || !first;
      const std::size_t from = values.size();
      try {
        ordered = ReadValues(text, &values) && ordered;
      } catch (const DataError& error) {
        Fail(own.offset + error.at, error.what);
      }
      for (std::size_t v = from; !first && v < values.size(); ++v) {
        values[v].own = std::make_unique<std::string>(values[v].line);
        values[v].line = *values[v].own;
      }
    }
    if (!ordered || merged) SortValues(values);
    if (merged) key.changed = true;
    values.shrink_to_fit();
    KeyPath path;
    while (i < end) {
      std::uint32_t next = i + 1;
      while (next < end && sections_[next].shared > depth) ++next;
      if (!path.Read(HeaderLine(sections_[i], buffer)) || path.Depth() <= depth)
        Fail(sections_[i].offset, "the file changed while it was read");
      auto node = std::make_unique<RegKeyNode>();
      node->name = path.Name(depth);
      node->parent = &key;
      node->unbuiltBegin_ = i;
      node->unbuiltEnd_ = next;
      subkeys.push_back(std::move(node));
      i = next;
    }
  } catch (...) {
    key.sectionText_.clear();
    key.changed = false;
    throw;
  }
  key.values_ = std::move(values);
  key.subkeys_ = std::move(subkeys);
  key.unbuiltBegin_ = key.unbuiltEnd_ = 0;
}

const SubkeyList& RegFile::Subkeys(RegKeyNode& key) {
  Build(key);
  return key.subkeys_;
}

const std::vector<RegValueNode>& RegFile::Values(RegKeyNode& key) {
  Build(key);
  return key.values_;
}

RegKeyNode* RegFile::FindSubkey(RegKeyNode& key, std::u16string_view name) {
  Build(key);
  const std::size_t i = LowerBound(key.subkeys_, name);
  if (i < key.subkeys_.size() && regtext::CompareNames(key.subkeys_[i]->name, name) == 0)
    return key.subkeys_[i].get();
  return nullptr;
}

RegKeyNode& RegFile::AddSubkey(RegKeyNode& key, std::u16string_view name) {
  Build(key);
  const std::size_t i = LowerBound(key.subkeys_, name);
  if (i < key.subkeys_.size() && regtext::CompareNames(key.subkeys_[i]->name, name) == 0)
    return *key.subkeys_[i];
  auto node = std::make_unique<RegKeyNode>();
  node->name = name;
  node->parent = &key;
  RegKeyNode& added = *node;
  key.subkeys_.insert(key.subkeys_.begin() + static_cast<long>(i), std::move(node));
  modified_ = true;
  return added;
}

void RegFile::RemoveKey(RegKeyNode& key) {
  if (!key.parent) return;
  auto& siblings = key.parent->subkeys_;
  const auto it = std::find_if(siblings.begin(), siblings.end(),
                               [&](const auto& node) { return node.get() == &key; });
  if (it == siblings.end()) return;
  // Only built keys can have handles open on them.
  std::vector<RegKeyNode*> below{&key};
  while (!below.empty()) {
    RegKeyNode* node = below.back();
    below.pop_back();
    node->deleted = true;
    for (auto& sub : node->subkeys_) below.push_back(sub.get());
  }
  key.parent = nullptr;
  removed_.push_back(std::move(*it));
  siblings.erase(it);
  modified_ = true;
}

const RegValueNode* RegFile::FindValue(RegKeyNode& key, std::u16string_view name) {
  Build(key);
  const std::size_t i = ValueLowerBound(key.values_, name);
  if (i < key.values_.size() && SameName(key.values_[i], name)) return &key.values_[i];
  return nullptr;
}

std::u16string RegFile::ValueName(const RegValueNode& value) { return DecodeName(value); }

RegData RegFile::ValueData(const RegValueNode& value) {
  Decoded decoded;
  DecodeData(value.line, value.dataStart, decoded);
  RegData data;
  data.type = decoded.type;
  if (decoded.text) {
    data.storedSize = static_cast<std::uint32_t>(decoded.units.size() * 2);
    data.bytes = regtext::FromUnits(decoded.units);
  } else {
    data.storedSize = static_cast<std::uint32_t>(decoded.bytes.size());
    if (IsStringType(decoded.type)) {
      // Strings kept as hex are UTF-16; the A functions see them in the code page.
      std::u16string units;
      for (std::size_t i = 0; i + 1 < decoded.bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(decoded.bytes[i]) |
                                       (static_cast<unsigned char>(decoded.bytes[i + 1]) << 8));
      data.bytes = regtext::FromUnits(units);
    } else {
      data.bytes = std::move(decoded.bytes);
    }
  }
  return data;
}

void RegFile::Touch(RegKeyNode& key) {
  key.changed = true;
  modified_ = true;
}

void RegFile::SetValue(RegKeyNode& key, std::u16string_view name, std::uint32_t type,
                       std::string_view bytes) {
  RegValueNode value;
  value.own = std::make_unique<std::string>(EncodeValue(name, type, bytes, value.dataStart));
  value.line = *value.own;
  value.type = type;
  Build(key);
  auto& values = key.values_;
  const std::size_t i = ValueLowerBound(values, name);
  if (i < values.size() && SameName(values[i], name)) {
    // The name keeps the spelling it was created with.
    const std::u16string existing = DecodeName(values[i]);
    if (existing != name) {
      value.own = std::make_unique<std::string>(EncodeValue(existing, type, bytes, value.dataStart));
      value.line = *value.own;
    }
    // As in wineserver, a value set to what it holds changes nothing (nor the key's time).
    if (values[i].line == value.line) return;
    values[i] = std::move(value);
  } else {
    values.insert(values.begin() + static_cast<long>(i), std::move(value));
  }
  Touch(key);
}

bool RegFile::RemoveValue(RegKeyNode& key, std::u16string_view name) {
  Build(key);
  const std::size_t i = ValueLowerBound(key.values_, name);
  if (i >= key.values_.size() || !SameName(key.values_[i], name)) return false;
  key.values_.erase(key.values_.begin() + static_cast<long>(i));
  Touch(key);
  return true;
}

std::string RegFile::Serialize() const {
  std::string out;
  out.reserve((source_ ? source_->Size() : 0) + 4096);
  Write([&](std::string_view piece) { out += piece; });
  return out;
}

bool RegFile::WritesWhatWasLoaded() const {
  if (!source_) return false;  // made here, never read
  HiveCursor loaded(*source_);
  const std::uint64_t size = source_->Size();
  std::uint64_t at = 0;
  bool same = true;
  Write([&](std::string_view piece) {
    while (same && !piece.empty()) {
      if (at >= size) {
        same = false;
        break;
      }
      const std::string_view have = loaded.At(at, piece.size());
      same = piece.substr(0, have.size()) == have;
      at += have.size();
      piece.remove_prefix(have.size());
    }
  });
  return same && at == size;
}

void RegFile::Write(const PieceWriter& write) const {
  // Remembers the last characters written, to put one blank line between sections.
  struct Output {
    const PieceWriter& write;
    std::string tail;  // the last three characters
    void operator()(std::string_view piece) {
      if (piece.empty()) return;
      write(piece);
      tail += piece.substr(piece.size() > 3 ? piece.size() - 3 : 0);
      if (tail.size() > 3) tail.erase(0, tail.size() - 3);
    }
    bool EndsWith(std::string_view end) const {
      return tail.size() >= end.size() && tail.compare(tail.size() - end.size(), end.size(), end) == 0;
    }
    void BlankLine() {
      if (tail.empty() || EndsWith("\n\n") || EndsWith("\n\r\n")) return;
      (*this)(EndsWith("\n") ? "\n" : "\n\n");
    }
  } out{write, {}};
  out(prologue_);
  const Stamp stamp = Now();
  std::optional<HiveCursor> cursor;
  if (source_) cursor.emplace(*source_);
  // Sections of keys not built, as read.
  auto copy = [&](const RegKeyNode& key) {
    for (std::uint32_t i = key.unbuiltBegin_; i < key.unbuiltEnd_; ++i) {
      out.BlankLine();
      for (std::uint64_t at = sections_[i].offset, left = sections_[i].length; left > 0;) {
        const std::string_view piece = cursor->At(at, left);
        out(piece);
        at += piece.size();
        left -= piece.size();
      }
    }
  };
  std::string header;

  auto writeValues = [&](const RegKeyNode& key) {
    for (const auto& value : key.values_) {
      out(value.line);
      out("\n");
    }
  };
  auto emit = [&](auto& self, const RegKeyNode& key) -> void {
    if (key.unbuiltBegin_ != key.unbuiltEnd_) return copy(key);
    if (!key.sectionText_.empty() && !key.changed) {
      out.BlankLine();
      out(key.sectionText_);
    } else if (!key.sectionText_.empty()) {
      // Header with a new time, the lines kept as they were, then the values.
      out.BlankLine();
      bool first = true, continued = false;
      ForEachLine(key.sectionText_, [&](std::string_view line) {
        if (first) {
          first = false;
          std::u16string ignored;
          const std::size_t close = regtext::Unescape(line.substr(1), ']', ignored);
          header.assign(line.substr(0, close + 2));
          AppendStamp(header, stamp);
          out(header);
          return;
        }
        const bool wasContinued = continued;
        const std::string_view trimmed = TrimLineEnd(line);
        continued = !trimmed.empty() && trimmed.back() == '\\' &&
                    (wasContinued || line[0] == '"' || line[0] == '@');
        if (wasContinued || trimmed.empty() || line[0] == '"' || line[0] == '@' ||
            line.substr(0, 6) == "#time=")
          return;
        out(line);
        out("\n");
      });
      writeValues(key);
    } else if (key.parent ? (!key.values_.empty() || key.subkeys_.empty())
                          : !key.values_.empty()) {
      out.BlankLine();
      header = "[";
      AppendPath(header, key);
      header += ']';
      AppendStamp(header, stamp);
      out(header);
      writeValues(key);
    }
    for (const auto& sub : key.subkeys_) self(self, *sub);
  };
  emit(emit, root_);
}

}  // namespace vlx::prefix
