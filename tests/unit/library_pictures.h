// The pictures the program takes from vlximg.dll, checked the same way on every Library adapter.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "app/image_library.h"

namespace vlx::libtest {

inline void ExpectProgramPictures(Library& library, const std::string& programFolder) {
  struct Case {
    const char* what;
    Picture picture;
    Picture::Kind kind;
    int width, height;
  } cases[] = {
      {"BACKGROUND", LoadLibraryBitmap(library, programFolder, "BACKGROUND"), Picture::Kind::Bitmap, 295, 326},
      {"STARTMENU", LoadLibraryBitmap(library, programFolder, "startmenu"), Picture::Kind::Bitmap, 240, 250},
      {"SELECTCOLOR", LoadLibraryCursor(library, programFolder, "SELECTCOLOR"), Picture::Kind::Cursor, 32, 32},
      {"icon 0", LoadLibraryIcon(library, programFolder, 0), Picture::Kind::Icon, 32, 32},
      {"icon 1", LoadLibraryIcon(library, programFolder, 1), Picture::Kind::Icon, 32, 32},
      {"icon 7", LoadLibraryIcon(library, programFolder, 7), Picture::Kind::Icon, 32, 32},
      {"icon 8", LoadLibraryIcon(library, programFolder, 8), Picture::Kind::Icon, 32, 32},
      {"icon id 107", LoadLibraryIcon(library, programFolder, -107), Picture::Kind::Icon, 32, 32},
      {"icon 9", LoadLibraryIcon(library, programFolder, 9), Picture::Kind::None, 0, 0},
      {"icon -1", LoadLibraryIcon(library, programFolder, -1), Picture::Kind::None, 0, 0},
      {"bitmap NOPE", LoadLibraryBitmap(library, programFolder, "NOPE"), Picture::Kind::None, 0, 0},
      {"cursor named as a bitmap", LoadLibraryCursor(library, programFolder, "BACKGROUND"),
       Picture::Kind::None, 0, 0},
      {"no library", LoadLibraryBitmap(library, programFolder + "none\\", "BACKGROUND"),
       Picture::Kind::None, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.picture.kind, c.kind) << c.what;
    EXPECT_EQ(c.picture.width, c.width) << c.what;
    EXPECT_EQ(c.picture.height, c.height) << c.what;
    if (c.kind != Picture::Kind::None) {
      EXPECT_EQ(c.picture.origin.rfind(ImageLibraryPath(programFolder) + ",", 0), 0u) << c.picture.origin;
    }
  }
  EXPECT_EQ(cases[5].picture.origin, ImageLibraryPath(programFolder) + ",7");
}

}  // namespace vlx::libtest
