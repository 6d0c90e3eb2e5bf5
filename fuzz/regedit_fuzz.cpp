// Registry script files: any bytes parse or raise ParseError; what parses, written back and
// read again, is stable after one round (texts outside code page 1251 settle on the first).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/regedit_text.h"

namespace {

std::string Written(const vlx::regedit::Script& script) {
  vlx::regedit::Writer writer(script.form);
  for (const auto& entry : script.entries) writer.Add(entry);
  return writer.Bytes();
}

bool Same(const vlx::regedit::Script& a, const vlx::regedit::Script& b) {
  if (a.entries.size() != b.entries.size()) return false;
  for (std::size_t i = 0; i < a.entries.size(); ++i) {
    const auto &x = a.entries[i], &y = b.entries[i];
    if (x.kind != y.kind || x.key != y.key || x.name != y.name || x.type != y.type || x.data != y.data)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vlx::regedit;
  Script first;
  try {
    first = Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const ParseError&) {
    return 0;
  }
  const Script second = Parse(Written(first));
  const Script third = Parse(Written(second));
  if (!Same(second, third)) std::abort();
  return 0;
}
