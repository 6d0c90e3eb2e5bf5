// Registry files: any bytes either parse or raise PrefixError; what parses decodes every value
// and saves to text that parses again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "prefix/prefix_error.h"
#include "prefix/reg_file.h"

namespace {
void Visit(vlx::prefix::RegFile& file, vlx::prefix::RegKeyNode& key) {
  for (const auto& value : file.Values(key)) {
    vlx::prefix::RegFile::ValueName(value);
    vlx::prefix::RegFile::ValueData(value);
  }
  for (const auto& sub : file.Subkeys(key)) Visit(file, *sub);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vlx::prefix::RegFile;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string saved;
  try {
    RegFile file(text, "fuzz.reg");
    Visit(file, file.Root());
    // A change makes the touched key's section written anew.
    auto& key = file.AddSubkey(file.Root(), u"Fuzz");
    file.SetValue(key, u"v", 1, std::string("x\0", 2));
    saved = file.Serialize();
  } catch (const vlx::prefix::PrefixError&) {
    return 0;
  }
  RegFile again(saved, "saved.reg");  // throws (and so fails) when the saved text does not parse
  Visit(again, again.Root());
  return 0;
}
