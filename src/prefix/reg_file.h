// A Wine registry file ("WINE REGISTRY Version 2") held as a tree of keys. Values stay in their
// file form and are decoded on demand; keys and values not touched are written back byte for
// byte, and so are the lines this code does not interpret (comments, #time, #class, #link).
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "prefix/atomic_file.h"

namespace vlx::prefix {

struct RegValueNode {
  // `"name"=data` or `@=data` as in the file, continuation lines included.
  std::string_view line;
  std::unique_ptr<std::string> own;  // holds `line` for values set since loading
  std::uint32_t type = 0;
  std::uint32_t dataStart = 0;  // offset of the data in `line`, after the '='

  std::string_view RawName() const {
    return line[0] == '"' ? line.substr(1, dataStart - 3) : std::string_view{};
  }
  std::string_view RawData() const { return line.substr(dataStart); }
};

struct RegKeyNode {
  std::u16string name;
  RegKeyNode* parent = nullptr;
  std::vector<std::unique_ptr<RegKeyNode>> subkeys;  // in wineserver's order (see CompareNames)
  std::vector<RegValueNode> values;                  // likewise
  std::string_view section;  // the key's section as read, up to the next one; empty if none
  bool changed = false;      // the section is written anew
  bool deleted = false;
};

// A value's data as the A functions see it: strings in code page 1251, everything else raw.
struct RegData {
  std::uint32_t type = 0;
  std::string bytes;
  std::uint32_t storedSize = 0;  // size as the registry keeps it (strings in UTF-16)
};

class RegFile {
 public:
  // An empty hive; `relativeTo` is the ";; All keys relative to" path of its header.
  explicit RegFile(std::string_view relativeTo);
  // Parses `text`; raises PrefixError naming `fileName` and the line on a syntax error.
  RegFile(std::string text, const std::string& fileName);
  // Reads and parses a file; raises PrefixError naming the file (and line) when it cannot.
  // `identity`, when given, receives the identity of the file read.
  static std::unique_ptr<RegFile> Load(const std::filesystem::path& path,
                                       FileIdentity* identity = nullptr);

  RegKeyNode& Root() { return root_; }
  bool Modified() const { return modified_; }
  void ClearModified() { modified_ = false; }

  static RegKeyNode* FindSubkey(const RegKeyNode& key, std::u16string_view name);
  RegKeyNode& AddSubkey(RegKeyNode& key, std::u16string_view name);  // existing or new
  // Removes a key with everything below it; the nodes stay valid (marked deleted) for open
  // handles.
  void RemoveKey(RegKeyNode& key);

  static const RegValueNode* FindValue(const RegKeyNode& key, std::u16string_view name);
  static std::u16string ValueName(const RegValueNode& value);
  static RegData ValueData(const RegValueNode& value);
  // Sets a value from the bytes an A function receives (strings in code page 1251).
  void SetValue(RegKeyNode& key, std::u16string_view name, std::uint32_t type,
                std::string_view bytes);
  bool RemoveValue(RegKeyNode& key, std::u16string_view name);

  // The file text: the header and every section in tree order, piece by piece.
  void Write(const PieceWriter& write) const;
  // Whether Write would give back the text loaded (changes that undid each other).
  bool WritesWhatWasLoaded() const;
  std::string Serialize() const;

 private:
  RegFile(std::unique_ptr<char[]> text, std::size_t size, const std::string& fileName);
  void Parse(const std::string& fileName);
  void Touch(RegKeyNode& key);

  std::string ownText_;                // the text given to the constructor
  std::unique_ptr<char[]> readText_;   // or the text read from the file
  std::string_view text_;
  std::string_view prologue_;
  std::string ownPrologue_;
  RegKeyNode root_;
  std::vector<std::unique_ptr<RegKeyNode>> removed_;
  bool modified_ = false;
};

}  // namespace vlx::prefix
