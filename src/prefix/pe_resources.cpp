#include "prefix/pe_resources.h"

#include <algorithm>
#include <charconv>

#include "prefix/byte_source.h"
#include "prefix/prefix_error.h"
#include "text/cp1251.h"

namespace vlx::prefix {

namespace {

constexpr std::size_t kMaxResources = 65536;    // far more than any real library holds
constexpr std::size_t kMaxDirectoryEntries = 1u << 20;  // all levels together, shared or not
constexpr std::size_t kMaxExports = 65536;
constexpr std::size_t kMaxExportNameLength = 4096;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr std::uint32_t kNameIsStringFlag = 0x80000000u;

struct Section {
  std::uint32_t virtualAddress = 0;
  std::uint32_t virtualSize = 0;
  std::uint32_t rawOffset = 0;
  std::uint32_t rawSize = 0;
};

unsigned char Upper1251(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0) return static_cast<unsigned char>(c - 32);  // а..я
  if (c == 0xB8) return 0xA8;                                // ё
  return c;
}

// Bounds-checked little-endian reads from the file bytes; every fault raises PrefixError.
class Reader {
 public:
  Reader(const ByteSource& bytes, const std::string& label) : bytes_(bytes), label_(label) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw PrefixError(label_ + ": damaged library: " + what);
  }
  void Need(std::uint64_t offset, std::uint64_t size, const char* what) const {
    if (offset > bytes_.Size() || size > bytes_.Size() - offset) {
      Fail(std::string(what) + " lies outside the file");
    }
  }
  std::uint16_t U16(std::uint64_t offset, const char* what) const {
    const std::string_view b = Bytes(offset, 2, what);
    return static_cast<std::uint16_t>(Byte(b, 0) | Byte(b, 1) << 8);
  }
  char Char(std::uint64_t offset, const char* what) const { return Bytes(offset, 1, what)[0]; }
  std::uint32_t U32(std::uint64_t offset, const char* what) const {
    const std::string_view b = Bytes(offset, 4, what);
    return static_cast<std::uint32_t>(Byte(b, 0)) | static_cast<std::uint32_t>(Byte(b, 1)) << 8 |
           static_cast<std::uint32_t>(Byte(b, 2)) << 16 |
           static_cast<std::uint32_t>(Byte(b, 3)) << 24;
  }

 private:
  static unsigned Byte(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]);
  }
  std::string_view Bytes(std::uint64_t offset, std::size_t size, const char* what) const {
    Need(offset, size, what);
    return bytes_.Read(offset, size);
  }

  const ByteSource& bytes_;
  const std::string& label_;
};

class Parser {
 public:
  Parser(const ByteSource& bytes, const std::string& label) : in_(bytes, label) {}

  void Run(std::vector<PeResource>& resources, std::vector<std::string>& exports) {
    ReadHeaders();
    if (resourceRva_ != 0 && resourceSize_ != 0) ReadResources(resources);
    if (exportRva_ != 0 && exportSize_ != 0) ReadExports(exports);
  }

 private:
  void ReadHeaders() {
    if (in_.U16(0, "the MZ header") != 0x5A4D) in_.Fail("no MZ signature");
    const std::uint32_t pe = in_.U32(0x3C, "the MZ header");
    if (in_.U32(pe, "the PE header") != 0x00004550) in_.Fail("no PE signature");
    const std::uint64_t coff = pe + 4ull;
    const std::uint16_t sectionCount = in_.U16(coff + 2, "the COFF header");
    const std::uint16_t optionalSize = in_.U16(coff + 16, "the COFF header");
    const std::uint64_t optional = coff + 20;
    in_.Need(optional, optionalSize, "the optional header");
    const std::uint16_t magic = in_.U16(optional, "the optional header");
    std::uint64_t countAt = 0;
    if (magic == 0x10B) {
      countAt = 92;
    } else if (magic == 0x20B) {
      countAt = 108;
    } else {
      in_.Fail("unknown optional header kind");
    }
    if (optionalSize < countAt + 4) in_.Fail("optional header too short");
    const std::uint32_t directories = in_.U32(optional + countAt, "the optional header");
    const std::uint64_t directoryTable = optional + countAt + 4;
    auto directory = [&](std::uint32_t index, std::uint32_t& rva, std::uint32_t& size) {
      if (index >= directories || directoryTable + 8ull * (index + 1) > optional + optionalSize) return;
      rva = in_.U32(directoryTable + 8ull * index, "the data directories");
      size = in_.U32(directoryTable + 8ull * index + 4, "the data directories");
    };
    directory(0, exportRva_, exportSize_);
    directory(2, resourceRva_, resourceSize_);

    const std::uint64_t table = optional + optionalSize;
    in_.Need(table, 40ull * sectionCount, "the section table");
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
      const std::uint64_t at = table + 40ull * i;
      Section s;
      s.virtualSize = in_.U32(at + 8, "the section table");
      s.virtualAddress = in_.U32(at + 12, "the section table");
      s.rawSize = in_.U32(at + 16, "the section table");
      s.rawOffset = in_.U32(at + 20, "the section table");
      sections_.push_back(s);
    }
  }

  // The file offset of `size` bytes at `rva`; they must lie in one section's file data.
  std::uint64_t Map(std::uint64_t rva, std::uint64_t size, const char* what) const {
    for (const Section& s : sections_) {
      if (rva < s.virtualAddress) continue;
      const std::uint64_t into = rva - s.virtualAddress;
      const std::uint64_t span = std::max(s.virtualSize, s.rawSize);
      if (into >= span) continue;
      if (into + size > s.rawSize) in_.Fail(std::string(what) + " lies outside its section");
      const std::uint64_t offset = s.rawOffset + into;
      in_.Need(offset, size, what);
      return offset;
    }
    in_.Fail(std::string(what) + " lies in no section");
  }

  // ---- resources

  struct Entry {
    std::uint32_t name;
    std::uint32_t target;
  };

  std::vector<Entry> Directory(std::uint32_t offsetInResources) {
    const std::uint64_t at = Map(resourceRva_ + static_cast<std::uint64_t>(offsetInResources), 16,
                                 "a resource directory");
    const std::uint32_t count = static_cast<std::uint32_t>(in_.U16(at + 12, "a resource directory")) +
                                in_.U16(at + 14, "a resource directory");
    const std::uint64_t entries = Map(resourceRva_ + static_cast<std::uint64_t>(offsetInResources) + 16,
                                      8ull * count, "a resource directory's entries");
    visited_ += count;
    if (visited_ > kMaxDirectoryEntries) in_.Fail("too many resource directory entries");
    std::vector<Entry> out;
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      out.push_back({in_.U32(entries + 8ull * i, "a resource entry"),
                     in_.U32(entries + 8ull * i + 4, "a resource entry")});
    }
    return out;
  }

  ResourceId Id(std::uint32_t name) {
    ResourceId id;
    if (!(name & kNameIsStringFlag)) {
      if (name > 0xFFFF) in_.Fail("a resource identifier out of range");
      id.isNumber = true;
      id.number = static_cast<std::uint16_t>(name);
      return id;
    }
    const std::uint64_t rva = resourceRva_ + static_cast<std::uint64_t>(name & ~kNameIsStringFlag);
    const std::uint16_t length = in_.U16(Map(rva, 2, "a resource name"), "a resource name");
    const std::uint64_t chars = Map(rva + 2, 2ull * length, "a resource name");
    std::u16string text;
    for (std::uint16_t i = 0; i < length; ++i) {
      text.push_back(static_cast<char16_t>(in_.U16(chars + 2ull * i, "a resource name")));
    }
    id.text = Utf16ToCp1251(text);
    return id;
  }

  std::uint32_t Subdirectory(const Entry& entry) {
    if (!(entry.target & kSubdirectoryFlag)) in_.Fail("a resource directory entry without its level");
    return entry.target & ~kSubdirectoryFlag;
  }

  void ReadResources(std::vector<PeResource>& out) {
    for (const Entry& type : Directory(0)) {
      const ResourceId typeId = Id(type.name);
      for (const Entry& name : Directory(Subdirectory(type))) {
        const ResourceId nameId = Id(name.name);
        for (const Entry& language : Directory(Subdirectory(name))) {
          if (language.target & kSubdirectoryFlag) in_.Fail("a resource nested too deep");
          if (language.name > 0xFFFF) in_.Fail("a resource language out of range");
          const std::uint64_t entry =
              Map(resourceRva_ + static_cast<std::uint64_t>(language.target), 16, "a resource data entry");
          const std::uint32_t dataRva = in_.U32(entry, "a resource data entry");
          const std::uint32_t size = in_.U32(entry + 4, "a resource data entry");
          const std::uint64_t data = Map(dataRva, size, "resource data");
          if (out.size() >= kMaxResources) in_.Fail("too many resources");
          out.push_back({typeId, nameId, static_cast<std::uint16_t>(language.name),
                         static_cast<std::uint32_t>(data), size});
        }
      }
    }
  }

  // ---- exports

  void ReadExports(std::vector<std::string>& out) {
    const std::uint64_t dir = Map(exportRva_, 40, "the export directory");
    const std::uint32_t count = in_.U32(dir + 24, "the export directory");
    const std::uint32_t names = in_.U32(dir + 32, "the export directory");
    if (count > kMaxExports) in_.Fail("too many exports");
    if (count == 0) return;
    const std::uint64_t table = Map(names, 4ull * count, "the export name table");
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint32_t nameRva = in_.U32(table + 4ull * i, "the export name table");
      std::string name;
      for (std::uint64_t at = Map(nameRva, 1, "an export name");; ++at) {
        const char c = in_.Char(at, "an export name");
        if (c == '\0') break;
        if (name.size() >= kMaxExportNameLength) in_.Fail("an export name without its end");
        name.push_back(c);
      }
      // The name must end within its section too.
      Map(nameRva, name.size() + 1, "an export name");
      out.push_back(std::move(name));
    }
  }

  Reader in_;
  std::vector<Section> sections_;
  std::uint32_t resourceRva_ = 0, resourceSize_ = 0;
  std::uint32_t exportRva_ = 0, exportSize_ = 0;
  std::size_t visited_ = 0;
};

}  // namespace

ResourceId ResourceId::Parse(const std::string& spelling) {
  ResourceId id;
  if (spelling.size() > 1 && spelling[0] == '#') {
    unsigned value = 0;
    const char* end = spelling.data() + spelling.size();
    const auto [ptr, ec] = std::from_chars(spelling.data() + 1, end, value);
    if (ec == std::errc() && ptr == end && value <= 0xFFFF) {
      id.isNumber = true;
      id.number = static_cast<std::uint16_t>(value);
      return id;
    }
  }
  id.text = spelling;
  return id;
}

bool ResourceId::Matches(const ResourceId& other) const {
  if (isNumber != other.isNumber) return false;
  if (isNumber) return number == other.number;
  return std::equal(text.begin(), text.end(), other.text.begin(), other.text.end(),
                    [](char a, char b) {
                      return Upper1251(static_cast<unsigned char>(a)) ==
                             Upper1251(static_cast<unsigned char>(b));
                    });
}

std::string ResourceId::Spelling() const { return isNumber ? "#" + std::to_string(number) : text; }

PeImage::PeImage(std::string bytes, std::string label)
    : PeImage(std::make_shared<const StringBytes>(std::move(bytes)), std::move(label)) {}

PeImage::PeImage(std::shared_ptr<const ByteSource> bytes, std::string label)
    : bytes_(std::move(bytes)), label_(std::move(label)) {
  Parser parser(*bytes_, label_);
  parser.Run(resources_, exports_);
}

const PeResource* PeImage::Find(const ResourceId& type, const ResourceId& name) const {
  for (const PeResource& r : resources_) {
    if (r.type.Matches(type) && r.name.Matches(name)) return &r;
  }
  return nullptr;
}

std::vector<const PeResource*> PeImage::OfType(const ResourceId& type) const {
  std::vector<const PeResource*> out;
  for (const PeResource& r : resources_) {
    if (!r.type.Matches(type)) continue;
    if (!out.empty() && out.back()->name.Matches(r.name)) continue;  // another language
    out.push_back(&r);
  }
  return out;
}

std::string_view PeImage::Data(const PeResource& resource) const {
  return bytes_->Read(resource.offset, resource.size);
}

bool PeImage::Exports(const std::string& name) const {
  return std::find(exports_.begin(), exports_.end(), name) != exports_.end();
}

}  // namespace vlx::prefix
