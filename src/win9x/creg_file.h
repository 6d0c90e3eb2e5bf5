// A Windows 95/98/ME registry hive file (SYSTEM.DAT, USER.DAT) held as a tree of keys.
//
// The file is a 32-byte "CREG" header, one "RGKN" block of fixed-size key entries linked as a
// tree (parent, first subkey, next sibling, as offsets into the block), and "RGDB" data blocks
// holding a variable-size record per key: its name and its values. A key entry names its record
// by (record number, block number). Everything little-endian; names and strings in the ANSI
// code page.
//
// Saving keeps every byte the run did not change: untouched key entries stay at their offsets,
// untouched data blocks are copied as they were, and a block that changed keeps its header and
// its other records byte for byte; new key entries are added at the end of the key block.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace vlx::win9x {

struct CregValue {
  std::string name;  // empty: the default value
  std::uint32_t type = 0;
  std::string data;  // as stored
};

struct CregKey {
  static constexpr std::uint32_t kNoEntry = 0xFFFFFFFFu;

  std::string name;
  CregKey* parent = nullptr;
  std::vector<std::unique_ptr<CregKey>> subkeys;  // in the file's sibling order
  std::vector<CregValue> values;                   // likewise
  bool deleted = false;

  // Where the key lives in the file (kNoEntry / 0xFFFF until a save places it).
  std::uint32_t entry = kNoEntry;  // offset of its key entry in the RGKN block
  std::uint16_t record = 0xFFFF;   // its data record: number and block
  std::uint16_t block = 0xFFFF;
  bool dirty = false;  // the data record is written anew
};

// What Windows 9x accepts in a key: 16,300 bytes of data and 255 characters of name per value,
// and the key's record (its name and values with their headers) within one 64 KB data block.
RegLimits CregLimits();

class CregFile {
 public:
  // An empty hive: a root key without name or values.
  CregFile();
  ~CregFile();
  // Parses a whole file; raises prefix::PrefixError naming `fileName`, the offset and what is
  // wrong when the structure is damaged or not understood.
  CregFile(std::string bytes, const std::string& fileName);

  CregKey& Root() { return *root_; }
  bool Modified() const { return modified_; }
  void ClearModified() { modified_ = false; }

  static CregKey* FindSubkey(const CregKey& key, std::string_view name);
  CregKey& AddSubkey(CregKey& key, std::string_view name);  // existing or new
  // Removes a key with everything below it; the nodes stay (marked deleted) for open handles.
  void RemoveKey(CregKey& key);

  static const CregValue* FindValue(const CregKey& key, std::string_view name);
  void SetValue(CregKey& key, std::string_view name, std::uint32_t type, std::string_view data);
  bool RemoveValue(CregKey& key, std::string_view name);

  // The file's bytes with the changes made; identical to the parsed bytes when nothing changed.
  // Raises prefix::PrefixError when a key's record would exceed the format's limits.
  std::string Serialize();

 private:
  struct Block;
  void Touch(CregKey& key);

  std::string header_;    // the 32 bytes of "CREG"
  std::string keyBlock_;  // the RGKN block as read (its declared size)
  std::string gap_;       // bytes between the key block and the first data block
  std::vector<Block> blocks_;
  std::string trailer_;  // bytes after the last data block
  std::unique_ptr<CregKey> root_;
  std::vector<std::unique_ptr<CregKey>> removed_;
  bool modified_ = false;
};

// The hash a key entry keeps of its name: the sum of the bytes below 0x80, upper-cased.
std::uint32_t CregNameHash(std::string_view name);

}  // namespace vlx::win9x
