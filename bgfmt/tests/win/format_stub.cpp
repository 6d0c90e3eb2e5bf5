// Stand-in for FORMAT.COM: writes the parameter text it was started with (its command line
// after the program name) to the file named by VLX_FORMAT_LOG, byte for byte. The file appears
// whole (written aside, then renamed), after VLX_FORMAT_DELAY milliseconds when that is set.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main() {
  const char* line = GetCommandLineA();
  if (*line == '"') {
    const char* end = std::strchr(line + 1, '"');
    line = end ? end + 1 : line + std::strlen(line);
  } else {
    while (*line && *line != ' ' && *line != '\t') ++line;
  }
  while (*line == ' ' || *line == '\t') ++line;
  const char* log = std::getenv("VLX_FORMAT_LOG");
  if (!log) return 2;
  if (const char* delay = std::getenv("VLX_FORMAT_DELAY")) Sleep(std::strtoul(delay, nullptr, 10));
  const std::string part = std::string(log) + ".part";
  std::FILE* file = std::fopen(part.c_str(), "wb");
  if (!file) return 3;
  const bool written = std::fwrite(line, 1, std::strlen(line), file) == std::strlen(line);
  if (std::fclose(file) != 0 || !written) return 4;
  return MoveFileExA(part.c_str(), log, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
