#include "win9x/creg_file.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include "prefix/prefix_error.h"
#include "prefix/reg_text.h"
#include "text/cp1251.h"

namespace vlx::win9x {

namespace {

constexpr std::size_t kHeaderSize = 0x20;      // CREG, RGKN and RGDB headers alike
constexpr std::size_t kKeyEntrySize = 0x1C;    // an RGKN key entry
constexpr std::size_t kRecordHeader = 0x14;    // an RGDB key record before its name
constexpr std::size_t kValueHeader = 0x0C;     // a value before its name
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::uint16_t kNoRecord = 0xFFFF;
// New records go into a block only while it stays below this size; 9x keeps blocks small.
constexpr std::size_t kBlockLimit = 0xFFFF;

std::uint32_t Get32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}
std::uint16_t Get16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}
void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
void Put16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}
void Append32(std::string& bytes, std::uint32_t value) {
  bytes.append(4, '\0');
  Put32(bytes, bytes.size() - 4, value);
}
void Append16(std::string& bytes, std::uint16_t value) {
  bytes.append(2, '\0');
  Put16(bytes, bytes.size() - 2, value);
}

std::string Hex(std::size_t offset) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%zX", offset);
  return text;
}

[[noreturn]] void Damaged(const std::string& file, std::size_t offset, const std::string& what) {
  throw prefix::PrefixError(file + ": damaged registry file at offset " + Hex(offset) + ": " +
                            what);
}

std::string Signature(const char* text) { return std::string(text, 4); }

// A key's record: size, number, block, used size, name size, value count, zero, name, values.
std::string EncodeRecord(const CregKey& key) {
  std::string out;
  Append32(out, 0);  // size, set below
  Append16(out, key.record);
  Append16(out, key.block);
  Append32(out, 0);  // used size, set below
  Append16(out, static_cast<std::uint16_t>(key.name.size()));
  Append16(out, static_cast<std::uint16_t>(key.values.size()));
  Append32(out, 0);
  out += key.name;
  for (const CregValue& value : key.values) {
    Append32(out, value.type);
    Append32(out, 0);
    Append16(out, static_cast<std::uint16_t>(value.name.size()));
    Append16(out, static_cast<std::uint16_t>(value.data.size()));
    out += value.name;
    out += value.data;
  }
  Put32(out, 0, static_cast<std::uint32_t>(out.size()));
  Put32(out, 8, static_cast<std::uint32_t>(out.size()));
  return out;
}

// What a record may hold so that every size fits its field and the record its block.
void CheckLimits(const CregKey& key) {
  std::size_t size = kRecordHeader + key.name.size();
  bool fits = key.name.size() <= 0xFFFF && key.values.size() <= 0xFFFF;
  for (const CregValue& value : key.values) {
    fits = fits && value.name.size() <= 0xFFFF && value.data.size() <= 0xFFFF;
    size += kValueHeader + value.name.size() + value.data.size();
  }
  if (!fits || size > kBlockLimit - kHeaderSize)
    throw prefix::PrefixError("The registry key \"" + key.name +
                              "\" holds more than a Windows 9x registry file can keep");
}

// Where a new key name goes among its siblings: before the first that sorts after it, in the
// order the registry enumerates (lower-case code points), so key lists made here come out sorted.
int CompareNames(std::string_view a, std::string_view b) {
  using prefix::regtext::FoldCase;
  using prefix::regtext::ToUnit;
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;
    const int d = static_cast<int>(FoldCase(ToUnit(static_cast<unsigned char>(a[i])))) -
                  static_cast<int>(FoldCase(ToUnit(static_cast<unsigned char>(b[i]))));
    if (d) return d;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename List, typename NameOf>
std::size_t InsertionPoint(const List& list, std::string_view name, NameOf nameOf) {
  if (list.empty() || CompareNames(nameOf(list.back()), name) < 0) return list.size();
  for (std::size_t i = 0; i < list.size(); ++i)
    if (CompareNames(nameOf(list[i]), name) > 0) return i;
  return list.size();
}

}  // namespace

RegLimits CregLimits() {
  RegLimits limits;
  limits.valueData = 16300;
  limits.valueName = 255;
  limits.keyBytes = static_cast<std::uint32_t>(kBlockLimit - kHeaderSize);
  limits.keyOverhead = static_cast<std::uint32_t>(kRecordHeader);
  limits.valueOverhead = static_cast<std::uint32_t>(kValueHeader);
  limits.holder = "a Windows 9x registry";
  return limits;
}

std::uint32_t CregNameHash(std::string_view name) {
  std::uint32_t hash = 0;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) hash += static_cast<std::uint32_t>(byte >= 'a' && byte <= 'z' ? byte - 32 : byte);
  }
  return hash;
}

struct CregFile::Block {
  struct Record {
    std::string bytes;  // as in the file, its whole allocated size
    std::uint16_t number = kNoRecord;
    CregKey* key = nullptr;  // the live key it belongs to; null: kept as it is
  };
  std::string header;  // the 32 bytes of "RGDB"
  std::vector<Record> records;
  std::string tail;  // bytes after the last record, too few to be one
  std::string original;
  std::uint16_t nextNumber = 0;
  // While parsing: where the block starts in the file, and its records by number.
  std::size_t fileOffset = 0;
  std::unordered_map<std::uint16_t, std::pair<std::size_t, std::size_t>> byNumber;  // index, offset
};

CregFile::CregFile() : root_(std::make_unique<CregKey>()) {
  header_ = Signature("CREG");
  header_.resize(kHeaderSize, '\0');
  Put16(header_, 6, 1);  // version 1.0
  keyBlock_ = Signature("RGKN");
  keyBlock_.resize(kHeaderSize, '\0');
  Put32(keyBlock_, 8, kHeaderSize);  // the root entry follows the header
  modified_ = true;
}

CregFile::~CregFile() = default;

CregFile::CregFile(std::string bytes, const std::string& fileName)
    : root_(std::make_unique<CregKey>()) {
  const std::string_view file(bytes);
  if (file.size() < kHeaderSize) Damaged(fileName, file.size(), "the file ends inside its header");
  if (file.substr(0, 4) != "CREG") Damaged(fileName, 0, "no CREG signature");
  if (Get16(file, 6) != 1)
    Damaged(fileName, 6, "format version " + std::to_string(Get16(file, 6)) + "." +
                             std::to_string(Get16(file, 4)) + " is not understood");
  header_ = std::string(file.substr(0, kHeaderSize));
  const std::uint32_t dataStart = Get32(file, 8);
  const std::uint16_t blockCount = Get16(file, 16);

  // The key block.
  const std::size_t kb = kHeaderSize;
  if (file.size() < kb + kHeaderSize) Damaged(fileName, kb, "the file ends before its key block");
  if (file.substr(kb, 4) != "RGKN") Damaged(fileName, kb, "no RGKN signature");
  const std::uint32_t keySize = Get32(file, kb + 4);
  if (keySize < kHeaderSize || keySize > file.size() - kb)
    Damaged(fileName, kb + 4, "key block size " + Hex(keySize) + " outside the file");
  if (dataStart < kb + keySize || dataStart > file.size())
    Damaged(fileName, 8, "data blocks offset " + Hex(dataStart) + " outside the file");
  keyBlock_ = std::string(file.substr(kb, keySize));
  gap_ = std::string(file.substr(kb + keySize, dataStart - kb - keySize));

  // The data blocks, and their records by (block, number).
  std::size_t at = dataStart;
  for (std::uint16_t b = 0; b < blockCount; ++b) {
    if (file.size() - at < kHeaderSize)
      Damaged(fileName, at, "the file ends before data block " + std::to_string(b));
    if (file.substr(at, 4) != "RGDB") Damaged(fileName, at, "no RGDB signature");
    const std::uint32_t size = Get32(file, at + 4);
    if (size < kHeaderSize || size > file.size() - at)
      Damaged(fileName, at + 4, "data block size " + Hex(size) + " outside the file");
    Block block;
    block.fileOffset = at;
    block.original = std::string(file.substr(at, size));
    block.header = block.original.substr(0, kHeaderSize);
    std::size_t r = kHeaderSize;
    while (size - r >= kRecordHeader) {
      const std::uint32_t recordSize = Get32(block.original, r);
      if (recordSize < kRecordHeader || recordSize > size - r)
        Damaged(fileName, at + r, "record size " + Hex(recordSize) + " outside its block");
      Block::Record record;
      record.bytes = block.original.substr(r, recordSize);
      record.number = Get16(record.bytes, 4);
      if (record.number != kNoRecord) {
        block.nextNumber = std::max<std::uint16_t>(block.nextNumber, record.number + 1);
        block.byNumber.emplace(record.number, std::make_pair(block.records.size(), r));  // the first counts
      }
      block.records.push_back(std::move(record));
      r += recordSize;
    }
    block.tail = block.original.substr(r);
    blocks_.push_back(std::move(block));
    at += size;
  }
  trailer_ = std::string(file.substr(at));

  // The key tree from the root entry, checking every link, without recursion.
  const std::uint32_t rootEntry = Get32(keyBlock_, 8);
  std::unordered_set<std::uint32_t> seenEntries;
  std::unordered_set<std::uint64_t> seenRecords;
  auto checkEntry = [&](std::uint32_t offset, std::size_t from, const char* what) {
    if (offset < kHeaderSize || offset > keySize || keySize - offset < kKeyEntrySize)
      Damaged(fileName, kb + from, std::string(what) + " " + Hex(offset) + " outside the key block");
    if (!seenEntries.insert(offset).second)
      Damaged(fileName, kb + from, std::string(what) + " " + Hex(offset) +
                                       " leads back to a key already seen (a loop in the key tree)");
  };
  // Reads a key entry's name and values from the record it names.
  auto readKey = [&](CregKey& key, std::uint32_t offset, bool isRoot) {
    key.entry = offset;
    key.record = Get16(keyBlock_, offset + 24);
    key.block = Get16(keyBlock_, offset + 26);
    if (key.record == kNoRecord && key.block == kNoRecord && isRoot) return;
    if (key.block >= blocks_.size())
      Damaged(fileName, kb + offset + 26, "key entry names data block " +
                                              std::to_string(key.block) + ", which is not there");
    if (!seenRecords.insert(std::uint64_t{key.block} << 16 | key.record).second)
      Damaged(fileName, kb + offset + 24, "two key entries name the same record");
    Block& block = blocks_[key.block];
    const auto index = block.byNumber.find(key.record);
    if (index == block.byNumber.end())
      Damaged(fileName, kb + offset + 24, "key entry names record " + std::to_string(key.record) +
                                              " of data block " + std::to_string(key.block) +
                                              ", which is not there");
    Block::Record* found = &block.records[index->second.first];
    const std::size_t recordAt = block.fileOffset + index->second.second;
    found->key = &key;
    const std::string_view rec(found->bytes);
    const std::uint32_t used = Get32(rec, 8);
    if (used < kRecordHeader || used > rec.size())
      Damaged(fileName, recordAt + 8, "record used size " + Hex(used) + " outside the record");
    const std::uint16_t nameSize = Get16(rec, 12);
    const std::uint16_t valueCount = Get16(rec, 14);
    if (nameSize > used - kRecordHeader)
      Damaged(fileName, recordAt + 12, "key name runs past its record");
    key.name = std::string(rec.substr(kRecordHeader, nameSize));
    std::size_t v = kRecordHeader + nameSize;
    for (std::uint16_t i = 0; i < valueCount; ++i) {
      if (used - v < kValueHeader)
        Damaged(fileName, recordAt + v, "value " + std::to_string(i) + " runs past its record");
      CregValue value;
      value.type = Get32(rec, v);
      const std::uint16_t valueName = Get16(rec, v + 8);
      const std::uint16_t dataSize = Get16(rec, v + 10);
      if (std::size_t{valueName} + dataSize > used - v - kValueHeader)
        Damaged(fileName, recordAt + v, "value " + std::to_string(i) + " runs past its record");
      value.name = std::string(rec.substr(v + kValueHeader, valueName));
      value.data = std::string(rec.substr(v + kValueHeader + valueName, dataSize));
      key.values.push_back(std::move(value));
      v += kValueHeader + valueName + dataSize;
    }
  };

  checkEntry(rootEntry, 8, "root key entry");
  readKey(*root_, rootEntry, true);
  std::vector<CregKey*> pending{root_.get()};
  while (!pending.empty()) {
    CregKey* parent = pending.back();
    pending.pop_back();
    std::size_t linkAt = parent->entry + 16;
    std::uint32_t child = Get32(keyBlock_, linkAt);
    const char* what = "first subkey offset";
    while (child != kNone) {
      checkEntry(child, linkAt, what);
      if (Get32(keyBlock_, child + 12) != parent->entry)
        Damaged(fileName, kb + child + 12, "key entry's parent offset does not lead to its parent");
      auto key = std::make_unique<CregKey>();
      key->parent = parent;
      readKey(*key, child, false);
      pending.push_back(key.get());
      parent->subkeys.push_back(std::move(key));
      linkAt = child + 20;
      child = Get32(keyBlock_, linkAt);
      what = "next key offset";
    }
  }
}

CregKey* CregFile::FindSubkey(const CregKey& key, std::string_view name) {
  for (const auto& sub : key.subkeys)
    if (EqualNoCaseCp1251(sub->name, name)) return sub.get();
  return nullptr;
}

CregKey& CregFile::AddSubkey(CregKey& key, std::string_view name) {
  if (CregKey* found = FindSubkey(key, name)) return *found;
  auto sub = std::make_unique<CregKey>();
  sub->name = std::string(name);
  sub->parent = &key;
  sub->dirty = true;
  const std::size_t at =
      InsertionPoint(key.subkeys, name, [](const auto& k) -> const std::string& { return k->name; });
  key.subkeys.insert(key.subkeys.begin() + static_cast<std::ptrdiff_t>(at), std::move(sub));
  modified_ = true;
  return *key.subkeys[at];
}

void CregFile::RemoveKey(CregKey& key) {
  std::vector<CregKey*> stack{&key};
  while (!stack.empty()) {
    CregKey* k = stack.back();
    stack.pop_back();
    k->deleted = true;
    for (auto& sub : k->subkeys) stack.push_back(sub.get());
  }
  if (key.parent) {
    auto& siblings = key.parent->subkeys;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [&](const auto& sub) { return sub.get() == &key; });
    removed_.push_back(std::move(*it));
    siblings.erase(it);
    // The record goes with the key; its block is rebuilt on save.
    for (Block& block : blocks_)
      for (Block::Record& record : block.records)
        if (record.key && record.key->deleted) record.key = nullptr, record.bytes.clear();
  }
  modified_ = true;
}

const CregValue* CregFile::FindValue(const CregKey& key, std::string_view name) {
  for (const CregValue& value : key.values)
    if (EqualNoCaseCp1251(value.name, name)) return &value;
  return nullptr;
}

void CregFile::Touch(CregKey& key) {
  key.dirty = true;
  modified_ = true;
}

void CregFile::SetValue(CregKey& key, std::string_view name, std::uint32_t type,
                        std::string_view data) {
  for (CregValue& value : key.values) {
    if (!EqualNoCaseCp1251(value.name, name)) continue;
    if (value.type == type && value.data == data) return;
    value.type = type;
    value.data = std::string(data);
    Touch(key);
    return;
  }
  // The 9x registry keeps values in the order they were created, and enumerates them so.
  key.values.push_back(CregValue{std::string(name), type, std::string(data)});
  Touch(key);
}

bool CregFile::RemoveValue(CregKey& key, std::string_view name) {
  const auto it = std::find_if(key.values.begin(), key.values.end(), [&](const CregValue& v) {
    return EqualNoCaseCp1251(v.name, name);
  });
  if (it == key.values.end()) return false;
  key.values.erase(it);
  Touch(key);
  return true;
}

std::string CregFile::Serialize() {
  // Every live key, parents before children.
  std::vector<CregKey*> keys{root_.get()};
  for (std::size_t i = 0; i < keys.size(); ++i)
    for (auto& sub : keys[i]->subkeys) keys.push_back(sub.get());
  for (CregKey* key : keys)
    if (key->dirty) CheckLimits(*key);

  // Records for keys that have none yet: in the last block while it stays small, else a new one.
  for (CregKey* key : keys) {
    const bool needsRecord = key != root_.get() || !key->name.empty() || !key->values.empty();
    if (key->record != kNoRecord || !needsRecord) continue;
    const std::size_t size = EncodeRecord(*key).size();
    auto blockSize = [](const Block& block) {
      std::size_t total = block.header.size() + block.tail.size();
      for (const auto& record : block.records) total += record.bytes.size();
      return total;
    };
    if (blocks_.empty() || blockSize(blocks_.back()) + size > kBlockLimit ||
        blocks_.back().nextNumber == kNoRecord) {
      Block block;
      block.header = Signature("RGDB");
      block.header.resize(kHeaderSize, '\0');
      Put16(block.header, 14, static_cast<std::uint16_t>(blocks_.size()));
      blocks_.push_back(std::move(block));
    }
    Block& block = blocks_.back();
    key->block = static_cast<std::uint16_t>(blocks_.size() - 1);
    key->record = block.nextNumber++;
    key->dirty = true;
    Block::Record record;
    record.number = key->record;
    record.key = key;
    record.bytes = EncodeRecord(*key);
    block.records.push_back(std::move(record));
  }

  // Key entries: new ones in the zero-filled space at the end of the key block, which grows in
  // steps of 4 KB and keeps one header's worth of room after the last entry, as 9x leaves it.
  const std::uint32_t oldKeySize = Get32(keyBlock_, 4);
  std::size_t inUse = kHeaderSize;
  std::vector<const CregKey*> placed(keys.begin(), keys.end());
  for (const auto& gone : removed_) placed.push_back(gone.get());
  for (std::size_t i = 0; i < placed.size(); ++i) {
    if (placed[i]->entry != CregKey::kNoEntry)
      inUse = std::max<std::size_t>(inUse, placed[i]->entry + kKeyEntrySize);
    if (placed[i]->deleted)
      for (const auto& sub : placed[i]->subkeys) placed.push_back(sub.get());
  }
  std::size_t freeAt = keyBlock_.size();
  while (freeAt > inUse && keyBlock_[freeAt - 1] == '\0') --freeAt;
  freeAt = (freeAt + 3) & ~std::size_t{3};
  for (CregKey* key : keys) {
    if (key->entry != CregKey::kNoEntry) continue;
    while (freeAt + kKeyEntrySize + kHeaderSize > keyBlock_.size())
      keyBlock_.append(0x1000 - keyBlock_.size() % 0x1000, '\0');
    key->entry = static_cast<std::uint32_t>(freeAt);
    freeAt += kKeyEntrySize;
    for (std::size_t field : {8, 12, 16, 20}) Put32(keyBlock_, key->entry + field, kNone);
    Put32(keyBlock_, key->entry + 4, CregNameHash(key->name));
  }
  auto put32 = [&](std::size_t at, std::uint32_t value) {
    if (Get32(keyBlock_, at) != value) Put32(keyBlock_, at, value);
  };
  for (CregKey* key : keys) {
    const std::size_t e = key->entry;
    put32(e + 16, key->subkeys.empty() ? kNone : key->subkeys.front()->entry);
    for (std::size_t i = 0; i < key->subkeys.size(); ++i) {
      const std::size_t sub = key->subkeys[i]->entry;
      put32(sub + 12, key->entry);
      put32(sub + 20, i + 1 < key->subkeys.size() ? key->subkeys[i + 1]->entry : kNone);
    }
    Put16(keyBlock_, e + 24, key->record);
    Put16(keyBlock_, e + 26, key->block);
  }
  const auto keySize = static_cast<std::uint32_t>(keyBlock_.size());
  if (keySize != oldKeySize) Put32(keyBlock_, 4, keySize);

  // Data blocks: unchanged ones as they were, changed ones record by record.
  std::string out;
  std::string blocksOut;
  for (Block& block : blocks_) {
    bool changed = block.original.empty();
    for (const auto& record : block.records)
      changed = changed || record.bytes.empty() || (record.key && record.key->dirty);
    if (!changed) {
      blocksOut += block.original;
      continue;
    }
    std::string body;
    std::uint32_t used = kHeaderSize;
    std::vector<Block::Record> kept;
    for (auto& record : block.records) {
      if (record.key && record.key->dirty) record.bytes = EncodeRecord(*record.key);
      if (record.bytes.empty()) continue;  // a removed key's record
      body += record.bytes;
      used += Get32(record.bytes, 8);
      kept.push_back(std::move(record));
    }
    block.records = std::move(kept);
    const auto size = static_cast<std::uint32_t>(kHeaderSize + body.size() + block.tail.size());
    Put32(block.header, 4, size);
    Put32(block.header, 8, size - used);  // unused
    Put32(block.header, 16, used);
    block.original = block.header + body + block.tail;
    blocksOut += block.original;
  }
  for (CregKey* key : keys) key->dirty = false;

  Put32(header_, 8, static_cast<std::uint32_t>(kHeaderSize + keyBlock_.size() + gap_.size()));
  Put16(header_, 16, static_cast<std::uint16_t>(blocks_.size()));
  out.reserve(header_.size() + keyBlock_.size() + gap_.size() + blocksOut.size() + trailer_.size());
  out += header_;
  out += keyBlock_;
  out += gap_;
  out += blocksOut;
  out += trailer_;
  return out;
}

}  // namespace vlx::win9x
