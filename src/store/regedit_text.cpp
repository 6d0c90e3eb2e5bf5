#include "store/regedit_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "text/cp1251.h"

namespace vlx::regedit {

namespace {

constexpr const char* kHeader4 = "REGEDIT4";
constexpr const char* kHeader5 = "Windows Registry Editor Version 5.00";
// Windows 3.1: "HKEY_CLASSES_ROOT\\key = text" lines, the default value of each key.
constexpr const char* kHeader31 = "REGEDIT";
// regedit breaks a hex line once it holds this many characters, before the backslash.
constexpr std::size_t kHexLineLimit = 77;

struct RootName {
  const char* shortName;
  const char* longName;
  RegKey key;
};
constexpr RootName kRoots[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE", regroot::LocalMachine},
    {"HKCU", "HKEY_CURRENT_USER", regroot::CurrentUser},
    {"HKCR", "HKEY_CLASSES_ROOT", regroot::ClassesRoot},
    {"HKU", "HKEY_USERS", regroot::Users},
    {"HKCC", "HKEY_CURRENT_CONFIG", regroot::CurrentConfig},
    {"HKDD", "HKEY_DYN_DATA", regroot::DynData},
};

bool IsStringType(std::uint32_t type) {
  return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz;
}

std::string Utf16Bytes(const std::string& cp1251) {
  std::string bytes;
  for (char16_t unit : Cp1251ToUtf16(cp1251)) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// UTF-16LE bytes as code page 1251 text. A character the code page lacks is refused with its
// line, so that nothing is imported under a changed name or data: `line` is the first line's
// number, counted on at each line feed when `countLines`.
std::string FromUtf16Bytes(std::string_view bytes, int line, bool countLines) {
  auto unit = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  };
  std::string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t codePoint = unit(i);
    if (codePoint >= 0xD800 && codePoint < 0xDC00 && i + 3 < bytes.size() &&
        unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    }
    unsigned char byte = 0;
    if (!CodePointToCp1251(codePoint, byte)) {
      char name[16];
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
      throw ParseError(line, std::string("the character ") + name +
                                 " has no code page 1251 form");
    }
    out += static_cast<char>(byte);
    if (countLines && codePoint == '\n') ++line;
  }
  return out;
}

// A quoted name or string; line breaks (possible only in names here) as \n and \r.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n' || c == '\r') {
      out += c == '\n' ? "\\n" : "\\r";
      continue;
    }
    out += c;
  }
  return out + '"';
}

// Data regedit writes as a quoted string: one zero at most, at the end, and no line break.
bool PlainString(const std::string& data) {
  const std::size_t zero = data.find('\0');
  if (zero != std::string::npos && zero + 1 != data.size()) return false;
  return data.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

bool SplitKeyName(const std::string& text, RegKey& root, std::string& path, std::string& rootName) {
  const std::size_t slash = text.find('\\');
  const std::string head = text.substr(0, slash);
  path = slash == std::string::npos ? std::string() : text.substr(slash + 1);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  for (const auto& r : kRoots) {
    if (EqualNoCaseCp1251(head, r.shortName) || EqualNoCaseCp1251(head, r.longName)) {
      root = r.key;
      rootName = r.longName;
      return true;
    }
  }
  return false;
}

std::string RootName(RegKey root) {
  for (const auto& r : kRoots)
    if (r.key == root) return r.longName;
  return {};
}

Writer::Writer(Form form) : form_(form) {}

void Writer::Key(const std::string& fullName) { body_ += "\r\n[" + fullName + "]\r\n"; }
void Writer::DeleteKey(const std::string& fullName) { body_ += "\r\n[-" + fullName + "]\r\n"; }

void Writer::DeleteValue(const std::string& name) {
  body_ += (name.empty() ? std::string("@") : Quoted(name)) + "=-\r\n";
}

void Writer::Value(const std::string& name, std::uint32_t type, const std::string& data) {
  std::string line = (name.empty() ? std::string("@") : Quoted(name)) + "=";
  if (type == regtype::Sz && PlainString(data)) {
    body_ += line + Quoted(data.substr(0, data.find('\0'))) + "\r\n";
    return;
  }
  if (type == regtype::Dword && data.size() == 4) {
    char digits[16];
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data[i]);
    std::snprintf(digits, sizeof digits, "%08x", value);
    body_ += line + "dword:" + digits + "\r\n";
    return;
  }
  if (type == regtype::Binary) {
    line += "hex:";
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
    line += prefix;
  }
  const std::string bytes = form_ == Form::Version5 && IsStringType(type) ? Utf16Bytes(data) : data;
  static constexpr char kHex[] = "0123456789abcdef";
  std::size_t column = line.size();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    line += kHex[b >> 4];
    line += kHex[b & 0xF];
    if (i + 1 == bytes.size()) break;
    line += ',';
    column += 3;
    if (column >= kHexLineLimit) {
      line += "\\\r\n  ";
      column = 2;
    }
  }
  body_ += line + "\r\n";
}

void Writer::Add(const Entry& entry) {
  switch (entry.kind) {
    case Entry::Kind::Key: Key(entry.key); break;
    case Entry::Kind::DeleteKey: DeleteKey(entry.key); break;
    case Entry::Kind::Value: Value(entry.name, entry.type, entry.data); break;
    case Entry::Kind::DeleteValue: DeleteValue(entry.name); break;
  }
}

std::string Writer::Bytes() const {
  const std::string text =
      std::string(form_ == Form::Regedit4 ? kHeader4 : kHeader5) + "\r\n" + body_ + "\r\n";
  if (form_ == Form::Regedit4) return text;
  return "\xFF\xFE" + Utf16Bytes(text);
}

std::string Writer::Text() const {
  std::string text;
  for (char c : std::string(kHeader4) + "\r\n" + body_)
    if (c != '\r') text += c;
  return text;
}

namespace {

class Parser {
 public:
  Parser(std::string text, Form form) : text_(std::move(text)), form_(form) {}

  // After the REGEDIT header: each line "HKEY_CLASSES_ROOT\\path [=] text" sets the key's default
  // value; the key name ends at the first blank and at most one blank after '=' is skipped.
  Script RunWin31() {
    constexpr std::string_view kRoot = "HKEY_CLASSES_ROOT";
    Script script;
    script.form = Form::Regedit4;
    std::string line;
    NextLine(line);  // the header
    while (NextLine(line)) {
      const std::size_t start = line.find_first_not_of(" \t");
      if (start == std::string::npos || line[start] == ';') continue;
      line.erase(0, start);
      if (line.compare(0, kRoot.size(), kRoot) != 0 ||
          (line.size() > kRoot.size() && line[kRoot.size()] != '\\' && line[kRoot.size()] != ' ' &&
           line[kRoot.size()] != '\t' && line[kRoot.size()] != '='))
        throw ParseError(lineNo_, "a Windows 3.1 registry file holds only HKEY_CLASSES_ROOT lines");
      const std::size_t keyEnd = std::min(line.find_first_of(" \t="), line.size());
      std::size_t at = std::min(line.find_first_not_of(" \t", keyEnd), line.size());
      if (at < line.size() && line[at] == '=') ++at;
      if (at < line.size() && line[at] == ' ') ++at;
      std::string key = line.substr(0, keyEnd);
      while (key.size() > kRoot.size() && key.back() == '\\') key.pop_back();
      script.entries.push_back({Entry::Kind::Key, key, {}, 0, {}});
      script.entries.push_back({Entry::Kind::Value, key, {}, regtype::Sz, line.substr(at) + '\0'});
    }
    return script;
  }

  Script Run() {
    Script script;
    script.form = form_;
    bool haveKey = false;
    std::string key;
    std::string line;
    bool first = true;
    while (NextLine(line)) {
      const std::size_t start = line.find_first_not_of(" \t");
      if (start == std::string::npos) continue;
      line.erase(0, start);
      if (first) {
        first = false;  // the header, checked before
        continue;
      }
      if (line[0] == ';' || line[0] == '#') continue;
      if (line[0] == '[') {
        const std::size_t close = line.rfind(']');
        if (close == std::string::npos) throw ParseError(lineNo_, "no ']' after the key name");
        const bool remove = line.size() > 1 && line[1] == '-';
        key = line.substr(remove ? 2 : 1, close - (remove ? 2 : 1));
        RegKey root = 0;
        std::string path, rootName;
        if (!SplitKeyName(key, root, path, rootName))
          throw ParseError(lineNo_, "unknown root key in [" + key + "]");
        if (remove && path.empty()) throw ParseError(lineNo_, "a root key cannot be deleted");
        key = rootName + (path.empty() ? "" : "\\" + path);
        script.entries.push_back({remove ? Entry::Kind::DeleteKey : Entry::Kind::Key, key, {}, 0, {}});
        haveKey = !remove;
        continue;
      }
      if (!haveKey) throw ParseError(lineNo_, "a value outside a key");
      Entry entry;
      entry.key = key;
      ParseValue(line, entry);
      script.entries.push_back(std::move(entry));
    }
    return script;
  }

 private:
  bool NextLine(std::string& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pos_ = end + 1;
    ++lineNo_;
    return true;
  }

  // "text" with backslash escapes, from `at`; returns the position after the closing quote.
  std::size_t ReadQuoted(const std::string& line, std::size_t at, std::string& out) {
    out.clear();
    for (std::size_t i = at + 1; i < line.size(); ++i) {
      char c = line[i];
      if (c == '"') return i + 1;
      if (c == '\\' && i + 1 < line.size()) {
        c = line[++i];
        if (c == 'n') c = '\n';
        else if (c == 'r') c = '\r';
        else if (c == '0' && form_ == Form::Regedit4)
          throw ParseError(lineNo_, "\\0 inside a string (REGEDIT4 has no such escape)");
        else if (c == '0') c = '\0';
      }
      out += c;
    }
    throw ParseError(lineNo_, "no closing quote");
  }

  static bool OnlyCommentAfter(const std::string& line, std::size_t at) {
    const std::size_t next = line.find_first_not_of(" \t", at);
    return next == std::string::npos || line[next] == ';';
  }

  void ParseValue(const std::string& line, Entry& entry) {
    std::size_t at = 0;
    if (line[0] == '@') {
      at = 1;
    } else if (line[0] == '"') {
      at = ReadQuoted(line, 0, entry.name);
    } else {
      throw ParseError(lineNo_, "a line that is neither a key nor a value");
    }
    at = line.find_first_not_of(" \t", at);
    if (at == std::string::npos || line[at] != '=') throw ParseError(lineNo_, "no '=' after the value name");
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos) throw ParseError(lineNo_, "no data after '='");
    const std::string rest = line.substr(at);
    if (rest[0] == '-' && OnlyCommentAfter(rest, 1)) {
      entry.kind = Entry::Kind::DeleteValue;
      return;
    }
    entry.kind = Entry::Kind::Value;
    if (rest[0] == '"') {
      std::string text;
      if (!OnlyCommentAfter(rest, ReadQuoted(rest, 0, text)))
        throw ParseError(lineNo_, "text after the closing quote");
      entry.type = regtype::Sz;
      entry.data = text + '\0';
      return;
    }
    if (StartsNoCase(rest, "dword:")) {
      std::string digits = Trimmed(rest.substr(6));
      digits.erase(0, std::min(digits.find_first_not_of(" \t"), digits.size()));
      if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw ParseError(lineNo_, "dword: needs up to 8 hexadecimal digits");
      const auto value = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
      entry.type = regtype::Dword;
      for (int i = 0; i < 4; ++i) entry.data += static_cast<char>((value >> (8 * i)) & 0xFF);
      return;
    }
    std::size_t colon = 0;
    if (StartsNoCase(rest, "hex:")) {
      entry.type = regtype::Binary;
      colon = 3;
    } else if (StartsNoCase(rest, "hex(")) {
      const std::size_t close = rest.find("):");
      const std::string digits = close == std::string::npos ? "" : rest.substr(4, close - 4);
      if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw ParseError(lineNo_, "hex(N): needs a hexadecimal type number");
      entry.type = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
      colon = close + 1;
    } else {
      throw ParseError(lineNo_, "unknown data form");
    }
    std::string bytes = HexBytes(rest.substr(colon + 1));
    if (form_ == Form::Version5 && IsStringType(entry.type))
      bytes = FromUtf16Bytes(bytes, lineNo_, false);
    entry.data = std::move(bytes);
  }

  static bool StartsNoCase(const std::string& text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) return false;
    return true;
  }

  static std::string Trimmed(std::string text) {
    const std::size_t semi = text.find(';');
    if (semi != std::string::npos) text.erase(semi);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    return text;
  }

  // Comma-separated byte pairs; a backslash after the last comma continues the list on the next
  // line. Between such lines regedit passes over blank lines and ';' comments; the list must go on
  // with a hexadecimal digit, or the file may end there.
  std::string HexBytes(std::string list) {
    std::string bytes;
    const int startLine = lineNo_;
    for (;;) {
      list = Trimmed(list);
      const bool more = !list.empty() && list.back() == '\\';
      if (more) {
        list.pop_back();
        while (!list.empty() && (list.back() == ' ' || list.back() == '\t')) list.pop_back();
        if (!list.empty() && list.back() != ',')
          throw ParseError(lineNo_, "no comma before the backslash that continues the hex data");
      }
      std::size_t i = 0;
      while (i < list.size()) {
        i = list.find_first_not_of(" \t", i);
        if (i == std::string::npos) break;
        std::size_t end = list.find(',', i);
        if (end == std::string::npos) end = list.size();
        std::string pair = list.substr(i, end - i);
        while (!pair.empty() && (pair.back() == ' ' || pair.back() == '\t')) pair.pop_back();
        if (pair.empty() || pair.size() > 2 ||
            pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
          throw ParseError(lineNo_, "'" + pair + "' is no hexadecimal byte");
        bytes += static_cast<char>(std::stoul(pair, nullptr, 16));
        i = end + 1;
      }
      if (!more) return bytes;
      for (;;) {
        const std::size_t before = pos_;
        const int beforeLine = lineNo_;
        if (!NextLine(list)) return bytes;  // the file ends after the backslash
        const std::size_t first = list.find_first_not_of(" \t");
        if (first == std::string::npos || list[first] == ';') continue;
        if (std::isxdigit(static_cast<unsigned char>(list[first]))) break;
        pos_ = before;
        lineNo_ = beforeLine;
        throw ParseError(startLine, "the hex data continued with a backslash does not go on at line " +
                                        std::to_string(beforeLine + 1));
      }
    }
  }

  std::string text_;
  Form form_;
  std::size_t pos_ = 0;
  int lineNo_ = 0;
};

}  // namespace

Script Parse(std::string_view bytes) {
  std::string text;
  Form form = Form::Regedit4;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    text = FromUtf16Bytes(bytes.substr(2), 1, true);
  } else {
    text = std::string(bytes);
  }
  // The header is the first line; spaces and tabs may come before it, a blank line may not.
  const std::size_t start = std::min(text.find_first_not_of(" \t"), text.size());
  const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
  std::string header = text.substr(start, end - start);
  while (!header.empty() && (header.back() == ' ' || header.back() == '\t')) header.pop_back();
  if (header == kHeader4) {
    form = Form::Regedit4;
  } else if (header == kHeader5) {
    form = Form::Version5;
  } else if (header == kHeader31) {
    return Parser(std::move(text), form).RunWin31();
  } else {
    // The line the header should be on: the first that is not blank.
    const int line = 1 + static_cast<int>(std::count(
                             text.begin(), text.begin() + static_cast<long>(std::min(start, text.size())), '\n'));
    throw ParseError(line, "not a registry script (the first line is neither REGEDIT4 nor "
                        "Windows Registry Editor Version 5.00)");
  }
  return Parser(std::move(text), form).Run();
}

}  // namespace vlx::regedit
