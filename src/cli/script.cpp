#include "cli/script.h"

#include <map>

#include "text/cp1251.h"

namespace vlx::cli {

namespace {

struct Shape {
  int words;          // words before the rest of the line
  bool rest = false;  // then the rest of the line as one argument
  bool optional = false;  // the last word may be left out (dump)
};

const std::map<std::string, Shape>& Shapes() {
  static const std::map<std::string, Shape> shapes = {
      {"page", {1}},         {"click", {1}},       {"check", {2}},
      {"item", {3}},         {"select", {2}},      {"type", {1, true}},
      {"key", {2}},          {"set", {2}},         {"menu", {1}},
      {"apply", {0}},        {"ok", {0}},          {"cancel", {0}},
      {"answer", {1}},       {"pick-file", {0, true}}, {"pick-folder", {0, true}},
      {"pick-colour", {1}},  {"pick-icon", {0, true}}, {"cancel-dialog", {0}},
      {"dump", {1, false, true}}, {"show", {0}},
  };
  return shapes;
}

const Shape& ShapeOf(const std::string& verb, int line) {
  auto it = Shapes().find(verb);
  if (it == Shapes().end()) throw ScriptError(line, "unknown command '" + verb + "'");
  return it->second;
}

std::string TrimRight(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

// Next blank-separated word of `text` from `at`; empty at the end.
std::string NextWord(const std::string& text, std::size_t& at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  const std::size_t start = at;
  while (at < text.size() && text[at] != ' ' && text[at] != '\t') ++at;
  return text.substr(start, at - start);
}

// The rest of a line as a text argument: as it is, or in double quotes with "" for a quote.
std::string RestText(const std::string& rest, int line) {
  if (rest.empty() || rest[0] != '"') return rest;
  std::string text;
  std::size_t at = 1;
  for (;; ++at) {
    if (at >= rest.size()) throw ScriptError(line, "no closing quote");
    if (rest[at] != '"') {
      text += rest[at];
    } else if (at + 1 < rest.size() && rest[at + 1] == '"') {
      text += '"';
      ++at;
    } else {
      break;
    }
  }
  if (rest.find_first_not_of(" \t", at + 1) != std::string::npos)
    throw ScriptError(line, "text after the closing quote");
  return text;
}

}  // namespace

std::string ScriptText(const std::string& bytes, ScriptEncoding plain) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (bytes.compare(0, kBom.size(), kBom) == 0) return Utf8ToCp1251(bytes.substr(kBom.size()));
  return plain == ScriptEncoding::Utf8 ? Utf8ToCp1251(bytes) : bytes;
}

bool IsCommandVerb(const std::string& verb) { return Shapes().count(verb) > 0; }

std::vector<ScriptCommand> ParseScript(const std::string& text) {
  std::vector<ScriptCommand> commands;
  std::size_t start = 0;
  for (int line = 1; start <= text.size(); ++line) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string content = TrimRight(text.substr(start, end - start));
    start = end + 1;
    std::size_t at = 0;
    const std::string verb = NextWord(content, at);
    if (verb.empty() || verb[0] == '#') {
      if (end == text.size()) break;
      continue;
    }
    const Shape& shape = ShapeOf(verb, line);
    ScriptCommand command{line, verb, {}};
    for (int i = 0; i < shape.words; ++i) {
      std::string word = NextWord(content, at);
      if (word.empty()) {
        if (shape.optional) break;
        throw ScriptError(line, "'" + verb + "' needs " + std::to_string(shape.words) +
                                    " argument(s)");
      }
      command.args.push_back(std::move(word));
    }
    if (shape.rest) {
      // Exactly one blank separates the command's words from the text.
      if (at < content.size()) ++at;
      command.args.push_back(RestText(content.substr(at), line));
      if (verb != "type" && command.args.back().empty()) {
        throw ScriptError(line, "'" + verb + "' needs a path");
      }
    } else if (!NextWord(content, at).empty()) {
      throw ScriptError(line, "too many arguments for '" + verb + "'");
    }
    commands.push_back(std::move(command));
    if (end == text.size()) break;
  }
  return commands;
}

std::vector<ScriptCommand> ParseArguments(const std::vector<std::string>& args) {
  std::vector<ScriptCommand> commands;
  std::size_t i = 0;
  for (int position = 1; i < args.size(); ++position) {
    const std::string& verb = args[i++];
    const Shape& shape = ShapeOf(verb, position);
    ScriptCommand command{position, verb, {}};
    const int wanted = shape.words + (shape.rest ? 1 : 0);
    for (int n = 0; n < wanted; ++n) {
      const bool nextIsCommand = i < args.size() && Shapes().count(args[i]) > 0;
      if (i >= args.size() || (shape.optional && nextIsCommand)) {
        if (shape.optional) break;
        throw ScriptError(position, "'" + verb + "' needs " + std::to_string(wanted) +
                                        " argument(s)");
      }
      command.args.push_back(args[i++]);
    }
    commands.push_back(std::move(command));
  }
  return commands;
}

}  // namespace vlx::cli
