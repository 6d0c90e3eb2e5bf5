#include <gtest/gtest.h>

#include "store/profile_file.h"

namespace vlx {
namespace {

TEST(ProfileNumber, ParsesDecimalHexAndFallsBackToDefault) {
  struct Case {
    const char* text;
    std::int32_t expected;
  } cases[] = {
      {"0x1F", 31}, {"0X1f", 31}, {"$1F", 31},  {"12", 12},     {"-7", -7},
      {"0x", -1},   {"abc", -1},  {"", -1},     {"12a", -1},    {"$", -1},
      {"0", 0},     {"x1", -1},   {"$FFFFFFFF", -1 /* all bits set */},
      {"2147483648", -1},         {"0x100000000", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseProfileNumber(c.text, -1), c.expected) << c.text;
  EXPECT_EQ(ParseProfileNumber("$FFFFFFFE", 0), -2);
  EXPECT_EQ(ParseProfileNumber("", 42), 42);
}

}  // namespace
}  // namespace vlx
