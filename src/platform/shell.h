// Shell port: shell32 calls.
#pragma once
#include <string>

namespace vlx {

namespace csidl {
constexpr int Programs = 2;
constexpr int StartMenu = 11;
constexpr int Fonts = 20;
}  // namespace csidl

class Shell {
 public:
  virtual ~Shell() = default;

  // SHGetSpecialFolderPathA: the folder's file-system path, false when the shell cannot name it.
  virtual bool SpecialFolderPath(int csidl, std::string& out) = 0;
};

}  // namespace vlx
