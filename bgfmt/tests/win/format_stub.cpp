// Stand-in for FORMAT.COM: writes the parameter text it was started with (its command line
// after the program name) to the file named by VLX_FORMAT_LOG, byte for byte.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
  std::FILE* file = std::fopen(log, "wb");
  if (!file) return 3;
  std::fwrite(line, 1, std::strlen(line), file);
  std::fclose(file);
  return 0;
}
