// volnrx-cli scripts: any text parses into commands, and the same words given on the command
// line either parse or raise ScriptError.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vlx::cli;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    ParseScript(text);
  } catch (const ScriptError&) {
  }
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\n') {
      words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  words.push_back(word);
  try {
    ParseArguments(words);
  } catch (const ScriptError&) {
  }
  return 0;
}
