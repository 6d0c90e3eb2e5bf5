// Profile transcripts: a script of profile calls and the results a profile implementation gives.
// The same script runs against the Windows API under Wine (profile_probe/) and against the
// offline engine; the recorded Wine transcript is what the engine must reproduce.
//
//   case NAME                     a new file C:\p\NAME.ini (nothing on disk yet)
//   file "bytes" ["more" *N ...]   puts raw bytes into the file ("x" *N: N copies of "x")
//   get SECTION KEY DEFAULT SIZE  GetPrivateProfileStringA -> "=> RET "first RET bytes""
//   write SECTION KEY VALUE       WritePrivateProfileStringA -> "=> 1" or "=> 0"
//   writepath FILE SECTION KEY VALUE   the same on another file
//   dump                          the file's bytes -> "=> "bytes"" or "=> missing"
// Arguments are "quoted" with C escapes (\r \n \t \0 \xHH \\ \") or - for a null pointer.
#pragma once
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace vlx::testing {

class ProfileTarget {
 public:
  virtual ~ProfileTarget() = default;
  virtual std::string FileFor(const std::string& caseName) = 0;  // the Windows path
  virtual void PutFile(const std::string& file, const std::string& bytes) = 0;
  virtual std::optional<std::string> ReadFile(const std::string& file) = 0;
  virtual std::uint32_t Get(const char* section, const char* key, const char* def,
                            std::uint32_t size, const std::string& file, std::string& out) = 0;
  virtual bool Write(const char* section, const char* key, const char* value,
                     const std::string& file) = 0;
};

inline std::string QuoteBytes(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\0': out += "\\0"; break;
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      default:
        if (c < 32 || c >= 127) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

// Splits a script line into tokens; a quoted token is unescaped, "-" stays "-" (null).
struct Token {
  bool null = false;
  std::string text;
};

inline std::vector<Token> Tokenize(const std::string& line) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    Token token;
    if (line[i] != '"') {
      const std::size_t end = line.find(' ', i);
      token.text = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
      token.null = token.text == "-";
      i = end == std::string::npos ? line.size() : end;
      tokens.push_back(token);
      continue;
    }
    for (++i; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] != '\\' || i + 1 >= line.size()) {
        token.text += line[i];
        continue;
      }
      const char e = line[++i];
      switch (e) {
        case 'r': token.text += '\r'; break;
        case 'n': token.text += '\n'; break;
        case 't': token.text += '\t'; break;
        case '0': token.text += '\0'; break;
        case 'x':
          token.text += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
          i += 2;
          break;
        default: token.text += e;
      }
    }
    ++i;  // closing quote
    tokens.push_back(token);
  }
  return tokens;
}

inline const char* Arg(const Token& t) { return t.null ? nullptr : t.text.c_str(); }

// Runs the commands of `script` (result lines "=> ..." in it are ignored) and returns the
// transcript: every command line followed by its result line.
inline std::string RunTranscript(ProfileTarget& target, const std::string& script) {
  std::istringstream in(script);
  std::ostringstream out;
  std::string line, file;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("=>", 0) == 0) continue;
    out << line << '\n';
    if (line.empty() || line[0] == '#') continue;
    auto tokens = Tokenize(line);
    // "text" *N: N copies of the token before, for very long lines.
    for (std::size_t k = 2; k < tokens.size(); ++k) {
      if (tokens[k].null || tokens[k].text.size() < 2 || tokens[k].text[0] != '*') continue;
      const int n = std::stoi(tokens[k].text.substr(1));
      std::string repeated;
      for (int r = 0; r < n; ++r) repeated += tokens[k - 1].text;
      tokens[k - 1].text = repeated;
      tokens.erase(tokens.begin() + static_cast<long>(k--));
    }
    const std::string& command = tokens[0].text;
    if (command == "case") {
      file = target.FileFor(tokens.at(1).text);
    } else if (command == "file") {
      std::string bytes;  // the quoted pieces after the command, joined
      for (std::size_t k = 1; k < tokens.size(); ++k) bytes += tokens[k].text;
      target.PutFile(file, bytes);
    } else if (command == "get") {
      std::string result;
      const auto ret = target.Get(Arg(tokens.at(1)), Arg(tokens.at(2)), Arg(tokens.at(3)),
                                  static_cast<std::uint32_t>(std::stoul(tokens.at(4).text)),
                                  file, result);
      out << "=> " << ret << ' ' << QuoteBytes(result) << '\n';
    } else if (command == "write") {
      out << "=> "
          << target.Write(Arg(tokens.at(1)), Arg(tokens.at(2)), Arg(tokens.at(3)), file)
          << '\n';
    } else if (command == "writepath") {
      out << "=> "
          << target.Write(Arg(tokens.at(2)), Arg(tokens.at(3)), Arg(tokens.at(4)),
                          tokens.at(1).text)
          << '\n';
    } else if (command == "dump") {
      const auto bytes = target.ReadFile(file);
      out << "=> " << (bytes ? QuoteBytes(*bytes) : std::string("missing")) << '\n';
    } else {
      out << "=> unknown command\n";
    }
  }
  return out.str();
}

}  // namespace vlx::testing
