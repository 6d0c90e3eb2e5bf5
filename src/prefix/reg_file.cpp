#include "prefix/reg_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>

#include "platform/win_types.h"
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
// `keep` the data is only checked: `out` then receives the type alone.
std::size_t DecodeData(std::string_view text, std::size_t start, Decoded& out, bool keep = true) {
  out.Clear();
  std::string_view rest = text.substr(start);
  std::size_t p = start;
  auto startsWith = [&](std::string_view s) { return rest.substr(0, s.size()) == s; };
  auto lineEnd = [&](std::size_t from) {
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

std::size_t LowerBound(const RegKeyNode& key, std::u16string_view name) {
  const auto& subkeys = key.subkeys;
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

std::size_t ValueLowerBound(const RegKeyNode& key, std::u16string_view name) {
  std::size_t lo = 0, hi = key.values.size();
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (regtext::CompareNames(DecodeName(key.values[mid]), name) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

}  // namespace

RegFile::RegFile(std::string_view relativeTo) {
  ownPrologue_ = std::string(kSignature) + "\n;; All keys relative to " + std::string(relativeTo) +
                 "\n\n#arch=win64\n";
  prologue_ = ownPrologue_;
}

RegFile::RegFile(std::string text, const std::string& fileName)
    : ownText_(std::move(text)), text_(ownText_) {
  Parse(fileName);
}

RegFile::RegFile(std::unique_ptr<char[]> text, std::size_t size, const std::string& fileName)
    : readText_(std::move(text)), text_(readText_.get(), size) {
  Parse(fileName);
}

std::unique_ptr<RegFile> RegFile::Load(const std::filesystem::path& path, FileIdentity* identity) {
  auto failed = [&](int error) {
    return PrefixError("Cannot read " + path.string() + ": " + std::strerror(error));
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw failed(errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  const FileIdentity read = IdentityOf(fd);
  if (!read.exists) throw failed(errno);
  // Read straight into memory that is not cleared first: the file fills it.
  auto text = std::make_unique_for_overwrite<char[]>(read.size + 1);
  std::size_t done = 0;
  while (done < read.size) {
    const ssize_t n = ::read(fd, text.get() + done, read.size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw failed(errno);
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (identity) *identity = read;
  return std::unique_ptr<RegFile>(new RegFile(std::move(text), done, path.string()));
}

void RegFile::Parse(const std::string& fileName) {
  const std::string_view text = text_;
  auto lineOf = [&](std::size_t offset) {
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + offset, '\n'));
  };
  auto fail = [&](std::size_t offset, const std::string& what) {
    throw PrefixError("Cannot read " + fileName + ": line " + std::to_string(lineOf(offset)) +
                      ": " + what);
  };
  if (const void* nul = std::memchr(text.data(), '\0', text.size()))
    fail(static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()),
         "binary data in a text file");

  std::size_t pos = 0;
  auto nextLine = [&](std::size_t& start) {
    start = pos;
    std::size_t nl = text.find('\n', pos);
    if (nl == npos) nl = text.size();
    pos = nl + 1;
    std::string_view line = text.substr(start, nl - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  };

  std::size_t start = 0;
  if (text.empty() || TrimLineEnd(nextLine(start)) != kSignature)
    fail(0, "not a Wine registry file (no \"WINE REGISTRY Version 2\" line)");

  RegKeyNode* current = nullptr;
  std::size_t sectionStart = 0;
  bool needsSort = false;
  std::u16string scratch, previousName;
  std::vector<RegKeyNode*> chain;
  Decoded decoded;
  auto closeSection = [&](std::size_t end) {
    if (!current) {
      prologue_ = text.substr(0, end);
      return;
    }
    if (current->section.empty()) current->section = text.substr(sectionStart, end - sectionStart);
    if (needsSort) SortValues(current->values);
    current->values.shrink_to_fit();
  };

  while (pos < text.size()) {
    const std::string_view line = nextLine(start);
    if (line.empty() || line[0] == '#' || line[0] == ';' || TrimLineEnd(line).empty()) continue;
    if (line[0] == '[') {
      closeSection(start);
      scratch.clear();
      if (regtext::Unescape(line.substr(1), ']', scratch) == npos) fail(start, "unterminated key name");
      // Sections mostly follow one another in tree order: the keys of the previous path are
      // reused while the names match exactly.
      RegKeyNode* key = &root_;
      std::size_t from = 0, depth = 0;
      bool same = true;
      while (from <= scratch.size()) {
        std::size_t to = scratch.find(u'\\', from);
        if (to == std::u16string::npos) to = scratch.size();
        if (to > from) {
          const std::u16string_view name = std::u16string_view(scratch).substr(from, to - from);
          same = same && depth < chain.size() && chain[depth]->name == name;
          if (same) {
            key = chain[depth];
          } else {
            key = &AddSubkey(*key, name);
            chain.resize(depth);
            chain.push_back(key);
          }
          ++depth;
        }
        from = to + 1;
      }
      chain.resize(depth);
      current = key;
      sectionStart = start;
      // A key met twice gets one section holding the values of both.
      needsSort = !current->section.empty() || !current->values.empty();
      if (needsSort) current->changed = true;
      previousName.clear();
      continue;
    }
    if (line[0] != '"' && line[0] != '@') fail(start, "syntax error");
    if (!current) fail(start, "value outside of a key");
    std::size_t dataStart;
    scratch.clear();
    if (line[0] == '@') {
      if (line.size() < 2 || line[1] != '=') fail(start, "syntax error");
      dataStart = 2;
    } else {
      const std::size_t close = regtext::Unescape(line.substr(1), '"', scratch);
      if (close == npos) fail(start, "unterminated value name");
      dataStart = close + 2;
      if (dataStart >= line.size() || line[dataStart] != '=') fail(start, "'=' expected");
      ++dataStart;
    }
    std::size_t end = 0;
    try {
      end = DecodeData(text, start + dataStart, decoded, false);  // checked, decoded on use
    } catch (const DataError& error) {
      fail(error.at, error.what);
    }
    std::string_view valueText = text.substr(start, end - start);
    if (!valueText.empty() && valueText.back() == '\r') valueText.remove_suffix(1);
    if (!current->values.empty() && regtext::CompareNames(previousName, scratch) >= 0)
      needsSort = true;
    current->values.push_back({valueText, nullptr, decoded.type, static_cast<std::uint32_t>(dataStart)});
    previousName.swap(scratch);
    pos = end + 1;
  }
  closeSection(text.size());
  modified_ = false;  // sorting what was read is no change to write
}

RegKeyNode* RegFile::FindSubkey(const RegKeyNode& key, std::u16string_view name) {
  const std::size_t i = LowerBound(key, name);
  if (i < key.subkeys.size() && regtext::CompareNames(key.subkeys[i]->name, name) == 0)
    return key.subkeys[i].get();
  return nullptr;
}

RegKeyNode& RegFile::AddSubkey(RegKeyNode& key, std::u16string_view name) {
  const std::size_t i = LowerBound(key, name);
  if (i < key.subkeys.size() && regtext::CompareNames(key.subkeys[i]->name, name) == 0)
    return *key.subkeys[i];
  auto node = std::make_unique<RegKeyNode>();
  node->name = name;
  node->parent = &key;
  RegKeyNode& added = *node;
  key.subkeys.insert(key.subkeys.begin() + static_cast<long>(i), std::move(node));
  modified_ = true;
  return added;
}

namespace {
void MarkDeleted(RegKeyNode& key) {
  key.deleted = true;
  for (auto& subkey : key.subkeys) MarkDeleted(*subkey);
}
}  // namespace

void RegFile::RemoveKey(RegKeyNode& key) {
  if (!key.parent) return;
  auto& siblings = key.parent->subkeys;
  const auto it = std::find_if(siblings.begin(), siblings.end(),
                               [&](const auto& node) { return node.get() == &key; });
  if (it == siblings.end()) return;
  MarkDeleted(key);
  key.parent = nullptr;
  removed_.push_back(std::move(*it));
  siblings.erase(it);
  modified_ = true;
}

const RegValueNode* RegFile::FindValue(const RegKeyNode& key, std::u16string_view name) {
  const std::size_t i = ValueLowerBound(key, name);
  if (i < key.values.size() && regtext::CompareNames(DecodeName(key.values[i]), name) == 0)
    return &key.values[i];
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
  const std::size_t i = ValueLowerBound(key, name);
  if (i < key.values.size() && regtext::CompareNames(DecodeName(key.values[i]), name) == 0) {
    // The name keeps the spelling it was created with.
    const std::u16string existing = DecodeName(key.values[i]);
    if (existing != name) {
      value.own = std::make_unique<std::string>(EncodeValue(existing, type, bytes, value.dataStart));
      value.line = *value.own;
    }
    // As in wineserver, a value set to what it holds changes nothing (nor the key's time).
    if (key.values[i].line == value.line) return;
    key.values[i] = std::move(value);
  } else {
    key.values.insert(key.values.begin() + static_cast<long>(i), std::move(value));
  }
  Touch(key);
}

bool RegFile::RemoveValue(RegKeyNode& key, std::u16string_view name) {
  const std::size_t i = ValueLowerBound(key, name);
  if (i >= key.values.size() || regtext::CompareNames(DecodeName(key.values[i]), name) != 0)
    return false;
  key.values.erase(key.values.begin() + static_cast<long>(i));
  Touch(key);
  return true;
}

std::string RegFile::Serialize() const {
  std::string out;
  out.reserve(text_.size() + 4096);
  Write([&](std::string_view piece) { out += piece; });
  return out;
}

bool RegFile::WritesWhatWasLoaded() const {
  if (text_.empty()) return false;  // made here, never read
  std::size_t at = 0;
  bool same = true;
  Write([&](std::string_view piece) {
    same = same && text_.substr(at, piece.size()) == piece;
    at += piece.size();
  });
  return same && at == text_.size();
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
  std::string header;

  auto writeValues = [&](const RegKeyNode& key) {
    for (const auto& value : key.values) {
      out(value.line);
      out("\n");
    }
  };
  auto emit = [&](auto& self, const RegKeyNode& key) -> void {
    if (!key.section.empty() && !key.changed) {
      out.BlankLine();
      out(key.section);
    } else if (!key.section.empty()) {
      // Header with a new time, the lines kept as they were, then the values.
      out.BlankLine();
      bool first = true, continued = false;
      ForEachLine(key.section, [&](std::string_view line) {
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
    } else if (key.parent ? (!key.values.empty() || key.subkeys.empty()) : !key.values.empty()) {
      out.BlankLine();
      header = "[";
      AppendPath(header, key);
      header += ']';
      AppendStamp(header, stamp);
      out(header);
      writeValues(key);
    }
    for (const auto& sub : key.subkeys) self(self, *sub);
  };
  emit(emit, root_);
}

}  // namespace vlx::prefix
