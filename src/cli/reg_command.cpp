// volnrx-cli reg: query, add and delete with the Windows reg tool's arguments and output.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/host_folder.h"
#include "store/reg_store.h"
#include "store/regedit_registry.h"
#include "store/store_error.h"
#include "text/cp1251.h"

namespace vlx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;

struct TypeName {
  const char* name;
  std::uint32_t type;
};
constexpr TypeName kTypes[] = {
    {"REG_NONE", regtype::None},
    {"REG_SZ", regtype::Sz},
    {"REG_EXPAND_SZ", regtype::ExpandSz},
    {"REG_BINARY", regtype::Binary},
    {"REG_DWORD", regtype::Dword},
    {"REG_DWORD_LITTLE_ENDIAN", regtype::Dword},
    {"REG_DWORD_BIG_ENDIAN", regtype::DwordBigEndian},
    {"REG_LINK", regtype::Link},
    {"REG_MULTI_SZ", regtype::MultiSz},
    {"REG_RESOURCE_LIST", 8},
    {"REG_FULL_RESOURCE_DESCRIPTOR", 9},
    {"REG_RESOURCE_REQUIREMENTS_LIST", 10},
    {"REG_QWORD", 11},
};
// Types `reg add` can write.
bool CanAdd(std::uint32_t type) {
  return type <= regtype::Dword || type == regtype::DwordBigEndian || type == regtype::MultiSz ||
         type == 11;
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// A command line of one operation, split into the key and its switches.
struct Arguments {
  std::string operation;
  std::string key;
  std::optional<std::string> value;  // /v NAME
  bool defaultValue = false;         // /ve
  bool allValues = false;            // /va
  bool recurse = false;              // /s (query)
  bool force = false;                // /f
  std::optional<std::string> type;   // /t
  std::optional<std::string> data;   // /d
  std::optional<std::string> separator;  // /s SEP (add)
};

std::string Usage(const std::string& operation) {
  std::string upper;
  for (char c : operation) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "Type \"REG " + (upper.empty() ? std::string() : upper + " ") + "/?\" for usage.";
}

bool ParseArguments(const std::vector<std::string>& args, Arguments& out) {
  if (args.size() < 2) return false;
  out.operation = args[0];
  out.key = args[1];
  const bool add = SameText(out.operation, "add");
  const bool query = SameText(out.operation, "query");
  std::vector<std::string> seen;  // each switch at most once
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return false;
    const std::string option = arg.substr(1);
    for (const std::string& earlier : seen)
      if (SameText(earlier, option)) return false;
    seen.push_back(option);
    auto takeNext = [&](std::optional<std::string>& slot) {
      if (slot || i + 1 >= args.size()) return false;
      slot = args[++i];
      return true;
    };
    if (SameText(option, "v")) {
      if (!takeNext(out.value)) return false;
    } else if (SameText(option, "ve")) {
      if (out.defaultValue) return false;
      out.defaultValue = true;
    } else if (SameText(option, "va") && !add && !query) {
      out.allValues = true;
    } else if (SameText(option, "f")) {
      out.force = true;
    } else if (SameText(option, "s") && query) {
      out.recurse = true;
    } else if (SameText(option, "s") && add) {
      if (!takeNext(out.separator)) return false;
    } else if (SameText(option, "t") && add) {
      if (!takeNext(out.type)) return false;
    } else if (SameText(option, "d") && add) {
      if (!takeNext(out.data)) return false;
    } else {
      return false;
    }
  }
  const int valueForms = (out.value ? 1 : 0) + (out.defaultValue ? 1 : 0) + (out.allValues ? 1 : 0);
  return valueForms <= 1;
}

// "HKCU\Software\X" -> root and path; the full name as reg prints it.
bool ParseKey(const std::string& text, RegKey& root, std::string& path, std::string& fullName) {
  // One backslash may end the name; two leave an empty key name.
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\\\\") == 0) return false;
  std::string rootName;
  if (!regedit::SplitKeyName(text, root, path, rootName)) return false;
  fullName = rootName + (path.empty() ? "" : "\\" + path);
  return true;
}

std::string TypeText(std::uint32_t type) {
  for (const auto& t : kTypes)
    if (t.type == type && std::string(t.name) != "REG_DWORD_LITTLE_ENDIAN") return t.name;
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%x", type);
  return buffer;
}

std::uint64_t LittleEndian(const std::string& data, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = count; i-- > 0;)
    value = (value << 8) | (i < data.size() ? static_cast<unsigned char>(data[i]) : 0);
  return value;
}

std::string DataText(std::uint32_t type, const std::string& data) {
  char buffer[24];
  switch (type) {
    case regtype::Sz:
    case regtype::ExpandSz:
      return data.substr(0, data.find('\0'));
    case regtype::Dword:
    case regtype::DwordBigEndian: {
      if (data.size() != 4) break;
      // REG_DWORD_BIG_ENDIAN holds the number's bytes most significant first.
      const std::string bytes =
          type == regtype::Dword ? data : std::string(data.rbegin(), data.rend());
      std::snprintf(buffer, sizeof buffer, "0x%llx",
                    static_cast<unsigned long long>(LittleEndian(bytes, 4)));
      return buffer;
    }
    case 11:
      if (data.size() != 8) break;
      std::snprintf(buffer, sizeof buffer, "0x%llx",
                    static_cast<unsigned long long>(LittleEndian(data, 8)));
      return buffer;
    case regtype::MultiSz: {
      // Strings separated by \0, up to the empty string that ends the list.
      std::string text;
      std::size_t pos = 0;
      while (pos < data.size() && data[pos] != '\0') {
        std::size_t end = data.find('\0', pos);
        if (end == std::string::npos) end = data.size();
        if (pos > 0) text += "\\0";
        text += data.substr(pos, end - pos);
        pos = end + 1;
      }
      return text;
    }
    default:
      break;
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : data) {
    text += kHex[b >> 4];
    text += kHex[b & 0xF];
  }
  return text;
}

void PrintValue(const std::string& name, std::uint32_t type, const std::string& data) {
  Print("    " + (name.empty() ? std::string("(Default)") : name) + "    " + TypeText(type) +
        "    " + DataText(type, data));
}

class Session {
 public:
  explicit Session(Registry& registry) : registry_(registry) {}
  ~Session() {
    for (RegKey key : open_) registry_.CloseKey(key);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  RegKey Open(RegKey parent, const std::string& path, bool create = false) {
    RegKey key = 0;
    const long rc = create ? registry_.CreateKey(parent, path, key)
                           : registry_.OpenKey(parent, path, key);
    if (rc != winerr::Success) return 0;
    open_.push_back(key);
    return key;
  }

  bool Read(RegKey key, const std::string& name, std::uint32_t& type, std::string& data) {
    std::uint32_t size = 0;
    if (registry_.QueryValue(key, name, &type, nullptr, &size) != winerr::Success) return false;
    data.assign(size, '\0');
    if (registry_.QueryValue(key, name, &type, reinterpret_cast<unsigned char*>(data.data()),
                             &size) != winerr::Success)
      return false;
    data.resize(size);
    return true;
  }

  std::vector<std::string> Subkeys(RegKey key) {
    std::vector<std::string> names;
    std::string name;
    while (registry_.EnumKey(key, static_cast<std::uint32_t>(names.size()), name) == winerr::Success)
      names.push_back(name);
    return names;
  }

  // Every value: the order the registry enumerates them in.
  template <typename Each>
  std::uint32_t ForEachValue(RegKey key, Each&& each) {
    std::uint32_t index = 0;
    std::string name, data;
    std::uint32_t type = 0;
    while (registry_.EnumValue(key, index, name, type, data) == winerr::Success) {
      each(name, type, data);
      ++index;
    }
    return index;
  }

  Registry& registry() { return registry_; }

 private:
  Registry& registry_;
  std::vector<RegKey> open_;
};

// A subkey its parent lists but that cannot be opened by that name: the A functions give '?'
// for each character of the name the ANSI code page lacks.
std::string Unreadable(const std::string& fullName) {
  return fullName + " cannot be opened by the name the registry lists (characters of its name "
                    "are missing from the code page)";
}

void QueryAll(Session& s, RegKey key, const std::string& fullName, bool recurse, bool recursing) {
  bool header = recursing;
  if (header) Print(fullName);
  const std::uint32_t count = s.ForEachValue(
      key, [&](const std::string& name, std::uint32_t type, const std::string& data) {
        if (!header) Print(fullName);
        header = true;
        PrintValue(name, type, data);
      });
  if (count || recursing) Print("");
  for (const auto& name : s.Subkeys(key)) {
    const std::string subName = fullName + "\\" + name;
    if (!recurse) {
      Print(subName);
      continue;
    }
    if (const RegKey sub = s.Open(key, name)) QueryAll(s, sub, subName, true, true);
    else PrintError("ERROR: " + Unreadable(subName) + "; not shown.");
  }
}

int QueryValueRecursive(Session& s, RegKey key, const std::string& fullName,
                        const std::string& name) {
  int found = 0;
  std::uint32_t type = 0;
  std::string data;
  if (s.Read(key, name, type, data)) {
    Print(fullName);
    PrintValue(name, type, data);
    Print("");
    ++found;
  }
  for (const auto& sub : s.Subkeys(key))
    if (const RegKey child = s.Open(key, sub))
      found += QueryValueRecursive(s, child, fullName + "\\" + sub, name);
  return found;
}

constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";

int Query(Session& s, const Arguments& a, RegKey root, const std::string& path,
          const std::string& fullName) {
  const RegKey key = s.Open(root, path);
  if (!key) {
    PrintError(kNotFound);
    return kFailed;
  }
  Print("");
  if (!a.value && !a.defaultValue) {
    QueryAll(s, key, fullName, a.recurse, false);
    return kOk;
  }
  const std::string name = a.value.value_or("");
  if (a.recurse) {
    const int found = QueryValueRecursive(s, key, fullName, name);
    Print("Search complete. Number of matches found: " + std::to_string(found));
    return kOk;
  }
  std::uint32_t type = 0;
  std::string data;
  const bool found = s.Read(key, name, type, data);
  if (!found && !a.defaultValue) {
    PrintError(kNotFound);
    return kFailed;
  }
  Print(fullName);
  if (found)
    PrintValue(name, type, data);
  else
    Print("    (Default)    REG_SZ    (value not set)");
  Print("");
  return kOk;
}

bool ParseNumber(const std::string& text, std::uint64_t limit, std::uint64_t& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty()) return false;
  value = 0;
  for (char c : digits) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return false;
    const unsigned base = hex ? 16 : 10;
    if (value > (limit - static_cast<unsigned>(d)) / base) return false;
    value = value * base + static_cast<unsigned>(d);
  }
  return true;
}

// The bytes `reg add` stores for /t and /d, or an error message.
std::optional<std::string> EncodeData(std::uint32_t type, const std::string& text,
                                      const std::string& separator, std::string& error) {
  switch (type) {
    case regtype::Sz:
    case regtype::ExpandSz:
      return text + '\0';
    case regtype::None: {
      // reg stores REG_NONE data as a UTF-16 string.
      std::string bytes;
      for (char16_t u : Cp1251ToUtf16(text)) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
      }
      return bytes + std::string(2, '\0');
    }
    case regtype::Dword:
    case regtype::DwordBigEndian:
    case 11: {
      const bool qword = type == 11;
      // A REG_QWORD takes a minus sign as reg does, in two's complement.
      const bool negative = qword && text.size() > 1 && text[0] == '-';
      std::uint64_t value = 0;
      if (!ParseNumber(negative ? text.substr(1) : text, qword ? ~0ull : 0xFFFFFFFFull, value)) {
        error = "ERROR: Invalid value for /d: \"" + text + "\" is not a valid number.";
        return std::nullopt;
      }
      if (negative) value = ~value + 1;
      std::string bytes;
      const int count = qword ? 8 : 4;
      for (int i = 0; i < count; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
      if (type == regtype::DwordBigEndian) bytes = std::string(bytes.rbegin(), bytes.rend());
      return bytes;
    }
    case regtype::Binary: {
      std::string bytes;
      std::size_t i = 0;
      auto digit = [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c))
                   ? (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10))
                   : -1;
      };
      if (text.size() % 2) {
        if (digit(text[0]) < 0) break;
        bytes += static_cast<char>(digit(text[0]));
        i = 1;
      }
      for (; i < text.size(); i += 2) {
        const int hi = digit(text[i]), lo = digit(text[i + 1]);
        if (hi < 0 || lo < 0) {
          error = "ERROR: Invalid value for /d: \"" + text + "\" is not hexadecimal.";
          return std::nullopt;
        }
        bytes += static_cast<char>(hi * 16 + lo);
      }
      if (bytes.size() * 2 >= text.size()) return bytes;
      error = "ERROR: Invalid value for /d: \"" + text + "\" is not hexadecimal.";
      return std::nullopt;
    }
    case regtype::MultiSz: {
      // The separator alone is the empty list; one separator may end the data.
      if (text == separator) return std::string(2, '\0');
      const std::size_t size =
          text.size() >= separator.size() &&
                  text.compare(text.size() - separator.size(), separator.size(), separator) == 0
              ? text.size() - separator.size()
              : text.size();
      std::string bytes;
      std::size_t pos = 0;
      while (pos < size) {
        std::size_t end = std::min(text.find(separator, pos), size);
        if (end == pos) {
          error = "ERROR: Invalid value for /d: an empty string inside REG_MULTI_SZ data.";
          return std::nullopt;
        }
        bytes += text.substr(pos, end - pos);
        bytes += '\0';
        pos = end == size ? end : end + separator.size();
      }
      return bytes + '\0';
    }
    default:
      break;
  }
  error = "ERROR: Invalid value for /d: \"" + text + "\".";
  return std::nullopt;
}

// Why the registry cannot take `entries` (its roots and limits): empty when it can. The key
// names may change to where the registry keeps them (HKEY_CURRENT_CONFIG on 9x).
std::string Refusal(Registry& registry, regedit::Script& script, std::vector<std::string>& notes) {
  try {
    regedit::Fit(registry, script, notes);
  } catch (const StoreError& error) {
    return error.what();
  }
  return {};
}

int Add(Session& s, const Arguments& a, RegKey root, std::string path, const std::string& fullName,
        const std::function<bool()>& commit) {
  std::uint32_t type = regtype::Sz;
  if (a.type) {
    bool known = false;
    for (const auto& t : kTypes)
      if (SameText(*a.type, t.name)) known = true, type = t.type;
    if (!known || !CanAdd(type)) {
      PrintError("ERROR: Invalid type \"" + *a.type + "\" (unsupported registry data type).");
      return kFailed;
    }
  }
  if (a.separator && a.separator->size() != 1) {
    PrintError("ERROR: Invalid syntax: /s takes one character.\n" +
               Usage(a.operation));
    return kFailed;
  }
  const bool number = type == regtype::Dword || type == regtype::DwordBigEndian || type == 11;
  std::string error;
  const auto bytes = EncodeData(type, a.data.value_or(number ? "0" : ""),
                                a.separator.value_or("\\0"), error);
  if (!bytes) {
    PrintError(error);
    return kFailed;
  }
  if (path.empty()) {
    PrintError("ERROR: Invalid key name.\n" + Usage(a.operation));
    return kUsageStatus;
  }
  const std::string name = a.value.value_or("");
  regedit::Script script;
  script.entries = {{regedit::Entry::Kind::Key, fullName, {}, 0, {}},
                    {regedit::Entry::Kind::Value, fullName, name, type, *bytes}};
  std::vector<std::string> notes;
  if (const std::string why = Refusal(s.registry(), script, notes); !why.empty() || script.entries.empty()) {
    PrintError("ERROR: " + (why.empty() ? fullName + " is built by Windows at run time" : why) + ".");
    return kFailed;
  }
  std::string rootName;
  regedit::SplitKeyName(script.entries[0].key, root, path, rootName);
  if (!a.force) {
    if (const RegKey existing = s.Open(root, path)) {
      std::uint32_t oldType = 0;
      std::string oldData;
      if (s.Read(existing, name, oldType, oldData)) {
        PrintError("ERROR: Value " + (name.empty() ? std::string("(Default)") : name) +
                   " exists; add /f to overwrite it (no confirmation prompt here).");
        return kFailed;
      }
    }
  }
  const RegKey key = s.Open(root, path, true);
  if (!key || s.registry().SetValue(key, name, type,
                                    reinterpret_cast<const unsigned char*>(bytes->data()),
                                    static_cast<std::uint32_t>(bytes->size())) != winerr::Success) {
    PrintError("ERROR: Access is denied.");
    return kFailed;
  }
  if (!commit()) return kFailed;
  Print("The operation completed successfully.");
  return kOk;
}

// The first key below `key` that cannot be opened by the name its parent lists; empty when none.
std::string FirstUnreadable(Session& s, RegKey key, const std::string& fullName) {
  for (const auto& name : s.Subkeys(key)) {
    const RegKey sub = s.Open(key, name);
    if (!sub) return fullName + "\\" + name;
    if (std::string below = FirstUnreadable(s, sub, fullName + "\\" + name); !below.empty())
      return below;
  }
  return {};
}

int Delete(Session& s, const Arguments& a, RegKey root, const std::string& path,
           const std::string& fullName, const std::function<bool()>& commit) {
  const RegKey key = s.Open(root, path);
  if (!key) {
    PrintError(kNotFound);
    return kFailed;
  }
  const bool wholeKey = !a.value && !a.defaultValue && !a.allValues;
  const std::string name = a.value.value_or("");
  if (!wholeKey && !a.allValues) {
    std::uint32_t type = 0;
    std::string data;
    if (!s.Read(key, name, type, data)) {
      PrintError(kNotFound);
      return kFailed;
    }
  }
  if (!a.force) {
    PrintError(std::string("ERROR: Deleting ") +
               (wholeKey ? "the registry key " + fullName
                         : a.allValues ? "all values of " + fullName
                                       : "the registry value " +
                                             (name.empty() ? std::string("(Default)") : name)) +
               " needs /f (no confirmation prompt here).");
    return kFailed;
  }
  bool ok = true;
  if (wholeKey) {
    // A tree is deleted whole or not at all: a subkey that cannot be reached by name stops it
    // before anything changes.
    if (const std::string unreadable = FirstUnreadable(s, key, fullName); !unreadable.empty()) {
      PrintError("ERROR: " + Unreadable(unreadable) + "; nothing was deleted.");
      return kFailed;
    }
    RegStore store(s.registry());
    store.SetRoot(root);
    ok = !path.empty() && store.RemoveKeyTree("\\" + path);
  } else if (a.allValues) {
    std::vector<std::string> names;
    s.ForEachValue(key, [&](const std::string& n, std::uint32_t, const std::string&) {
      names.push_back(n);
    });
    for (const auto& n : names) ok = s.registry().DeleteValue(key, n) == winerr::Success && ok;
  } else {
    ok = s.registry().DeleteValue(key, name) == winerr::Success;
  }
  if (!ok) {
    PrintError("ERROR: Access is denied.");
    return kFailed;
  }
  if (!commit()) return kFailed;
  Print("The operation completed successfully.");
  return kOk;
}

// reg export KEY FILE [/y]: the key and everything below it as a REGEDIT4 file.
int Export(Registry& registry, const std::vector<std::string>& args) {
  const bool overwrite = args.size() == 4 && (SameText(args[3], "/y") || SameText(args[3], "-y"));
  if (args.size() != 3 && !overwrite) {
    PrintError("ERROR: Invalid syntax.\n" + Usage("export"));
    return kUsageStatus;
  }
  RegKey root = 0;
  std::string path, fullName;
  if (!ParseKey(args[1], root, path, fullName)) {
    PrintError("ERROR: Invalid key name.\n" + Usage("export"));
    return kUsageStatus;
  }
  const std::string& file = args[2];
  if (!overwrite && HostFileExists(file)) {
    PrintError("ERROR: " + HostToCp1251(file) + " exists; add /y to overwrite it (no confirmation prompt here).");
    return kFailed;
  }
  regedit::Writer writer(regedit::Form::Regedit4);
  std::vector<std::string> missed;
  if (!regedit::ExportKey(registry, fullName, writer, &missed)) {
    PrintError(kNotFound);
    return kFailed;
  }
  if (!HostWriteFile(file, writer.Bytes())) {
    PrintError("ERROR: Cannot write " + HostToCp1251(file) + ".");
    return kFailed;
  }
  if (!missed.empty()) {
    for (const std::string& key : missed) PrintError("ERROR: " + Unreadable(key) + "; not exported.");
    PrintError("ERROR: " + HostToCp1251(file) + " lacks " + std::to_string(missed.size()) +
               " key(s) and what is below them.");
    return kFailed;
  }
  Print("The operation completed successfully.");
  return kOk;
}

// Writes a whole script: checked first against the registry's roots and limits, and a write
// that fails all the same leaves the machine unsaved, so none of it reaches the machine. The
// success line comes only once the change is committed.
int ApplyWhole(Registry& registry, regedit::Script& script,
               const std::function<bool()>& commit, const std::string& source,
               const std::string& nothingDone) {
  std::vector<std::string> notes;
  if (const std::string why = Refusal(registry, script, notes); !why.empty()) {
    PrintError("ERROR: " + source + why + nothingDone);
    return kFailed;
  }
  for (const std::string& note : notes) PrintError("WARNING: " + source + note + ".");
  try {
    regedit::Apply(registry, script);
  } catch (const StoreError& error) {
    PrintError("ERROR: " + source + error.what() + nothingDone);
    return kFailed;
  }
  if (!commit()) return kFailed;
  Print("The operation completed successfully.");
  return kOk;
}

// reg import FILE: a REGEDIT4 or version 5 file, read whole before anything is written.
int Import(Registry& registry, const std::vector<std::string>& args,
           const std::function<bool()>& commit) {
  if (args.size() != 2) {
    PrintError("ERROR: Invalid syntax.\n" + Usage("import"));
    return kUsageStatus;
  }
  std::string bytes;
  if (!HostReadFile(args[1], bytes)) {
    PrintError("ERROR: Cannot read " + HostToCp1251(args[1]) + ".");
    return kFailed;
  }
  regedit::Script script;
  try {
    script = regedit::Parse(bytes);
  } catch (const regedit::ParseError& error) {
    PrintError("ERROR: " + HostToCp1251(args[1]) + (error.line ? ", line " + std::to_string(error.line) : "") +
               ": " + error.what() + "; nothing was imported.");
    return kFailed;
  }
  return ApplyWhole(registry, script, commit, HostToCp1251(args[1]) + ": ", "; nothing was imported.");
}

// reg copy KEY1 KEY2 [/s] [/f]: KEY1's values (with /s its whole tree) into KEY2. Without /f
// it refuses to replace a value KEY2 already has, where reg would ask.
int Copy(Registry& registry, const std::vector<std::string>& args,
         const std::function<bool()>& commit) {
  bool recurse = false, force = false;
  for (std::size_t i = 3; i < args.size(); ++i) {
    bool& flag = SameText(args[i], "/s") || SameText(args[i], "-s") ? recurse : force;
    if (flag || !(SameText(args[i], "/s") || SameText(args[i], "-s") || SameText(args[i], "/f") ||
                  SameText(args[i], "-f"))) {
      PrintError("ERROR: Invalid syntax.\n" + Usage("copy"));
      return kUsageStatus;
    }
    flag = true;
  }
  RegKey fromRoot = 0, toRoot = 0;
  std::string fromPath, toPath, from, to;
  if (args.size() < 3) {
    PrintError("ERROR: Invalid syntax.\n" + Usage("copy"));
    return kUsageStatus;
  }
  if (!ParseKey(args[1], fromRoot, fromPath, from) || !ParseKey(args[2], toRoot, toPath, to) ||
      fromPath.empty() || toPath.empty()) {
    PrintError("ERROR: Invalid key name.\n" + Usage("copy"));
    return kUsageStatus;
  }
  if (EqualNoCaseCp1251(from, to)) {
    PrintError("ERROR: The source and destination keys cannot be the same.");
    return kFailed;
  }
  // The source is read whole first, so a destination below it is not copied into itself.
  regedit::Script script;
  if (!regedit::ExportKey(registry, from, script.entries)) {
    PrintError(kNotFound);
    return kFailed;
  }
  std::vector<regedit::Entry> entries;
  for (regedit::Entry& entry : script.entries) {
    if (!recurse && entry.key.size() != from.size()) continue;
    entry.key = to + entry.key.substr(from.size());
    entries.push_back(std::move(entry));
  }
  script.entries = std::move(entries);
  if (!force) {
    Session s(registry);
    RegKey key = 0;
    std::uint32_t type = 0;
    std::string data;
    for (const regedit::Entry& entry : script.entries) {
      if (entry.kind == regedit::Entry::Kind::Key) {
        RegKey root = 0;
        std::string path, full;
        ParseKey(entry.key, root, path, full);
        key = s.Open(root, path);
      } else if (key && s.Read(key, entry.name, type, data)) {
        PrintError("ERROR: Value " + (entry.name.empty() ? std::string("(Default)") : entry.name) +
                   " of " + entry.key +
                   " exists; add /f to overwrite it (no confirmation prompt here).");
        return kFailed;
      }
    }
  }
  return ApplyWhole(registry, script, commit, "", "; nothing was copied.");
}

// Takes /reg:32 and /reg:64 out of the arguments and selects that view of the registry. False,
// with the message printed, for both or one twice.
bool TakeView(Registry& registry, std::vector<std::string>& args) {
  std::optional<RegView> view;
  for (std::size_t i = 1; i < args.size();) {
    const bool bits32 = SameText(args[i], "/reg:32") || SameText(args[i], "-reg:32");
    const bool bits64 = SameText(args[i], "/reg:64") || SameText(args[i], "-reg:64");
    if (!bits32 && !bits64) {
      ++i;
      continue;
    }
    if (view) {
      PrintError("ERROR: Invalid syntax.\n" + Usage(args[0]));
      return false;
    }
    view = bits32 ? RegView::Bits32 : RegView::Bits64;
    args.erase(args.begin() + static_cast<long>(i));
  }
  if (view && !registry.SelectView(*view))
    PrintError(std::string("Note: ") + (*view == RegView::Bits32 ? "/reg:32" : "/reg:64") +
               ": this system's registry has one view; the switch changes nothing.");
  return true;
}

}  // namespace

int RunReg(Registry& registry, const std::vector<std::string>& commandLine,
           const std::function<bool()>& commit) {
  if (RegAsksHelp(commandLine)) return RunRegHelp(commandLine);
  std::vector<std::string> args = commandLine;
  if (!TakeView(registry, args)) return kUsageStatus;
  Arguments a;
  const std::string operation = args.empty() ? std::string() : args[0];
  if (SameText(operation, "export")) return Export(registry, args);
  if (SameText(operation, "import")) return Import(registry, args, commit);
  if (SameText(operation, "copy")) return Copy(registry, args, commit);
  const bool known = SameText(operation, "query") || SameText(operation, "add") ||
                     SameText(operation, "delete");
  if (!known || !ParseArguments(args, a)) {
    PrintError("ERROR: Invalid syntax.\n" + Usage(known ? operation : std::string()));
    return kUsageStatus;
  }
  RegKey root = 0;
  std::string path, fullName;
  if (!ParseKey(a.key, root, path, fullName)) {
    PrintError("ERROR: Invalid key name.\n" + Usage(operation));
    return kUsageStatus;
  }
  Session session(registry);
  if (SameText(operation, "query")) return Query(session, a, root, path, fullName);
  if (SameText(operation, "add")) return Add(session, a, root, path, fullName, commit);
  return Delete(session, a, root, path, fullName, commit);
}

}  // namespace vlx::cli
