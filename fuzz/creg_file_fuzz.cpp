// 9x registry files: any bytes either parse or raise PrefixError; what parses saves to the same
// bytes, and after a change to bytes that parse again with the change in them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "prefix/prefix_error.h"
#include "win9x/creg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vlx::win9x::CregFile;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string saved;
  try {
    CregFile file(bytes, "fuzz.dat");
    if (file.Serialize() != bytes) std::abort();
    auto& key = file.AddSubkey(file.Root(), "Fuzz");
    file.SetValue(key, "v", 1, std::string("x\0", 2));
    if (!file.Root().subkeys.empty() && file.Root().subkeys.front().get() != &key)
      file.RemoveKey(*file.Root().subkeys.front());
    saved = file.Serialize();
  } catch (const vlx::prefix::PrefixError&) {
    return 0;
  }
  CregFile again(saved, "saved.dat");  // throws (and so fails) when the saved file does not parse
  if (!CregFile::FindSubkey(again.Root(), "fuzz")) std::abort();
  return 0;
}
