// Runs a profile transcript against the Windows API and prints Wine's results:
//   probe.exe SCRIPT > RECORDED   (see record.sh)
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "../profile_transcript.h"

namespace {

class Win32Target : public vlx::testing::ProfileTarget {
 public:
  std::string FileFor(const std::string& caseName) override {
    CreateDirectoryA("C:\\p", nullptr);
    const std::string file = "C:\\p\\" + caseName + ".ini";
    DeleteFileA(file.c_str());
    return file;
  }
  void PutFile(const std::string& file, const std::string& bytes) override {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  std::optional<std::string> ReadFile(const std::string& file) override {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::uint32_t Get(const char* section, const char* key, const char* def, std::uint32_t size,
                    const std::string& file, std::string& out) override {
    std::string buffer(size + 16, '#');
    const DWORD ret =
        GetPrivateProfileStringA(section, key, def, buffer.data(), size, file.c_str());
    out = buffer.substr(0, ret);
    return ret;
  }
  bool Write(const char* section, const char* key, const char* value,
             const std::string& file) override {
    return WritePrivateProfileStringA(section, key, value, file.c_str()) != FALSE;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream script;
  script << in.rdbuf();
  Win32Target target;
  std::cout << vlx::testing::RunTranscript(target, script.str());
  return 0;
}
