// volnrx-cli's program commands: parsed from a script (one per line) or from the command line.
#pragma once
#include <string>
#include <vector>

namespace vlx::cli {

struct ScriptCommand {
  int line = 0;                   // script line, or position on the command line (from 1)
  std::string verb;
  std::vector<std::string> args;  // words; a text argument keeps its blanks
};

// One command per line; blank lines and lines starting with '#' are skipped. `type NAME TEXT`
// takes the rest of the line after one blank as TEXT (possibly empty); so do the paths of
// `pick-file`, `pick-folder` and `pick-icon`. Such a rest in double quotes is taken without
// them, "" inside standing for one quote; nothing but blanks may follow the closing quote.
std::vector<ScriptCommand> ParseScript(const std::string& text);
// A script file's bytes as code page 1251 text: UTF-8 when they start with the UTF-8 byte-order
// mark (dropped), otherwise in `plain`, the encoding scripts have on the host (UTF-8 on Linux,
// the ANSI code page 1251 on Windows).
enum class ScriptEncoding { Utf8, Cp1251 };
std::string ScriptText(const std::string& bytes, ScriptEncoding plain);

// The same commands given as separate arguments; each takes as many words as it needs.
// Raises ScriptError for an unknown command or a missing argument.
std::vector<ScriptCommand> ParseArguments(const std::vector<std::string>& args);

// Whether `verb` names one of those commands.
bool IsCommandVerb(const std::string& verb);

class ScriptError {
 public:
  ScriptError(int line, std::string reason) : line(line), reason(std::move(reason)) {}
  int line;
  std::string reason;
};

}  // namespace vlx::cli
