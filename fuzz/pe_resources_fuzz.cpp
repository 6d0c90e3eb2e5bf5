// Library files: any bytes either read or raise PrefixError; nothing read lies outside the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "prefix/pe_resources.h"
#include "prefix/prefix_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vlx::prefix;
  try {
    PeImage image(std::string(reinterpret_cast<const char*>(data), size), "fuzz.dll");
    std::size_t total = 0;
    for (const PeResource& resource : image.Resources()) {
      total += image.Data(resource).size();
      image.Find(resource.type, resource.name);
      image.OfType(resource.type);
      ResourceId::Parse(resource.name.Spelling());
    }
    for (const std::string& name : image.ExportedNames()) image.Exports(name);
    (void)total;
  } catch (const PrefixError&) {
  }
  return 0;
}
