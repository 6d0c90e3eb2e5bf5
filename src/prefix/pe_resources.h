// Reads the resource directory and the exported names of a Windows library (PE32 or PE32+) from
// its file bytes. Every offset is checked against the file: a damaged file raises PrefixError
// naming the file and the fault, and never reads outside the bytes.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vlx::prefix {

class ByteSource;

// A resource type or name: an integer identifier or a text (CP1251).
struct ResourceId {
  bool isNumber = false;
  std::uint16_t number = 0;
  std::string text;

  // "#12" is the identifier 12, anything else a text, as FindResourceA reads its arguments.
  static ResourceId Parse(const std::string& spelling);
  // Identifiers compare by value, texts without regard to case.
  bool Matches(const ResourceId& other) const;
  std::string Spelling() const;
};

struct PeResource {
  ResourceId type;
  ResourceId name;
  std::uint16_t language = 0;
  std::uint32_t offset = 0;  // of the data in the file
  std::uint32_t size = 0;
};

class PeImage {
 public:
  // `label` names the file in error messages.
  PeImage(std::string bytes, std::string label);
  // Over bytes read on demand (a FileBytes): the image reads the headers, the directories and
  // the data it is asked for, no more.
  PeImage(std::shared_ptr<const ByteSource> bytes, std::string label);

  // Every resource in directory order (type, then name, then language).
  const std::vector<PeResource>& Resources() const { return resources_; }
  // The first resource (any language) of that type and name, or null.
  const PeResource* Find(const ResourceId& type, const ResourceId& name) const;
  // The resources of a type in directory order, the first language of each name only: the
  // order ExtractIconA counts icon groups in.
  std::vector<const PeResource*> OfType(const ResourceId& type) const;
  std::string_view Data(const PeResource& resource) const;

  const std::vector<std::string>& ExportedNames() const { return exports_; }
  bool Exports(const std::string& name) const;

  const std::string& Label() const { return label_; }

 private:
  std::shared_ptr<const ByteSource> bytes_;
  std::string label_;
  std::vector<PeResource> resources_;
  std::vector<std::string> exports_;
};

}  // namespace vlx::prefix
