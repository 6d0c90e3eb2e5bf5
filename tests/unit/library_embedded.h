// The libraries this build made and the assets vlximg.dll was built from, for tests.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "prefix/prefix_library.h"

namespace vlx::prefix::libtest {

inline std::string Embedded(const char* name) {
  for (const auto& file : EmbeddedLibraries()) {
    if (std::strcmp(file.name, name) == 0) return std::string(file.bytes);
  }
  ADD_FAILURE() << name << " is not embedded";
  return {};
}

inline std::string Asset(const std::string& name) {
  std::ifstream in(std::string(VLX_BINARY_DIR) + "/resources/vlximg/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vlx::prefix::libtest
