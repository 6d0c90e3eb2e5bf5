// A Wine registry file ("WINE REGISTRY Version 2") held as a tree of keys, built as far as lookups
// reach. Values stay in their file form and are decoded on demand; keys and values not touched
// are written back byte for byte, and so are the lines this code does not interpret (comments,
// #time, #class, #link).
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

class RegFile;

// A key. Keys read from a file are built when first looked into (Subkeys, Values, FindSubkey...):
// until then a key stands for its sections of the file, which are written back as they were.
struct RegKeyNode {
  std::u16string name;
  RegKeyNode* parent = nullptr;
  bool changed = false;  // the section is written anew
  bool deleted = false;

 private:
  friend class RegFile;
  std::vector<std::unique_ptr<RegKeyNode>> subkeys_;  // in wineserver's order (see CompareNames)
  std::vector<RegValueNode> values_;                  // likewise
  std::string sectionText_;  // the key's section as read, up to the next one; empty if none
  std::uint32_t unbuiltBegin_ = 0, unbuiltEnd_ = 0;  // its sections in the file's index, not built
};

// A value's data as the A functions see it: strings in code page 1251, everything else raw.
struct RegData {
  std::uint32_t type = 0;
  std::string bytes;
  std::uint32_t storedSize = 0;  // size as the registry keeps it (strings in UTF-16)
};

class HiveSource;

class RegFile {
 public:
  // An empty hive; `relativeTo` is the ";; All keys relative to" path of its header.
  explicit RegFile(std::string_view relativeTo);
  // Parses `text`; raises PrefixError naming `fileName` and the line on a syntax error.
  RegFile(std::string text, const std::string& fileName);
  // Reads and checks a file, keeping only an index of its keys: the file stays open, and keys are
  // read from it when a lookup reaches them. Raises PrefixError naming the file (and line) when
  // it cannot be read or does not parse. `identity`, when given, receives the identity of the file
  // read.
  static std::unique_ptr<RegFile> Load(const std::filesystem::path& path,
                                       FileIdentity* identity = nullptr);
  ~RegFile();

  RegKeyNode& Root() { return root_; }
  bool Modified() const { return modified_; }
  void ClearModified() { modified_ = false; }

  const std::vector<std::unique_ptr<RegKeyNode>>& Subkeys(RegKeyNode& key);
  const std::vector<RegValueNode>& Values(RegKeyNode& key);
  RegKeyNode* FindSubkey(RegKeyNode& key, std::u16string_view name);
  RegKeyNode& AddSubkey(RegKeyNode& key, std::u16string_view name);  // existing or new
  // Removes a key with everything below it; the nodes stay valid (marked deleted) for open
  // handles.
  void RemoveKey(RegKeyNode& key);

  const RegValueNode* FindValue(RegKeyNode& key, std::u16string_view name);
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
  // A section of the file: its header line and the lines up to the next one.
  struct Section {
    std::uint64_t offset = 0, length = 0;
    std::uint32_t depth = 0;   // names in its key path
    std::uint32_t shared = 0;  // leading names its path shares with the section before
  };

  RegFile(std::unique_ptr<HiveSource> source, const std::string& fileName);
  void Scan();
  void SortSections();
  std::string_view HeaderLine(const Section& section, std::string& buffer) const;
  void Build(RegKeyNode& key);
  [[noreturn]] void Fail(std::uint64_t offset, const std::string& what) const;
  void Touch(RegKeyNode& key);

  std::unique_ptr<HiveSource> source_;  // null for a hive made here
  std::string fileName_;
  std::vector<Section> sections_;  // in tree order
  std::string prologue_;
  RegKeyNode root_;
  std::vector<std::unique_ptr<RegKeyNode>> removed_;
  bool modified_ = false;
};

}  // namespace vlx::prefix
