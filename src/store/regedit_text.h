// Registry script files as regedit reads and writes them: "REGEDIT4" (code page 1251 text,
// CR LF) and "Windows Registry Editor Version 5.00" (UTF-16LE with a byte-order mark).
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace vlx::regedit {

enum class Form { Regedit4, Version5 };

// One line's effect. Keys are full names with the long root name ("HKEY_CURRENT_USER\X").
struct Entry {
  enum class Kind { Key, DeleteKey, Value, DeleteValue };
  Kind kind = Kind::Key;
  std::string key;
  std::string name;  // value name; empty for the default value
  std::uint32_t type = 0;
  std::string data;  // the bytes the A functions store (strings in code page 1251)
};

// Builds a script: Key or DeleteKey opens a section, Value and DeleteValue go into it.
class Writer {
 public:
  explicit Writer(Form form);
  void Key(const std::string& fullName);
  void DeleteKey(const std::string& fullName);
  void Value(const std::string& name, std::uint32_t type, const std::string& data);
  void DeleteValue(const std::string& name);
  void Add(const Entry& entry);
  // The file's bytes: header, sections, and the blank line that ends the file.
  std::string Bytes() const;
  // The same text in code page 1251 with LF line ends, for a terminal.
  std::string Text() const;
  bool Empty() const { return body_.empty(); }

 private:
  Form form_;
  std::string body_;  // code page 1251 with CR LF
};

class ParseError : public std::runtime_error {
 public:
  ParseError(int line, const std::string& reason)
      : std::runtime_error(reason), line(line) {}
  int line;  // 0: the file as a whole
};

struct Script {
  Form form = Form::Regedit4;
  std::vector<Entry> entries;
};

// The whole file or nothing: raises ParseError naming the first line it cannot read.
Script Parse(std::string_view bytes);

// "HKCU\Software\X" or "HKEY_CURRENT_USER\Software\X": root, path below it and the long root
// name. False for an unknown root.
bool SplitKeyName(const std::string& text, RegKey& root, std::string& path, std::string& rootName);
// "HKEY_CURRENT_USER" for regroot::CurrentUser; empty for a handle that is no root.
std::string RootName(RegKey root);

}  // namespace vlx::regedit
