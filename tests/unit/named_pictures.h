// A picture library for tests: every picture is named by its origin ("library,name" or
// "library,index"); loads go to `log` when one is given, and nothing loads while `present` is
// false.
#pragma once
#include <string>
#include <vector>

#include "platform/library.h"

namespace vlx {

struct NamedPictures : Library {
  NamedPictures() = default;
  explicit NamedPictures(std::vector<std::string>& loads) : log(&loads) {}

  bool CanLoad(const std::string&) override { return present; }
  LibraryResult ReadResource(const std::string&, const std::string&, const std::string&,
                             std::string&) override {
    return LibraryResult::LibraryMissing;
  }
  Picture Make(Picture::Kind kind, const std::string& origin) {
    if (!present) return {};
    if (log) log->push_back("load " + origin);
    Picture picture;
    picture.kind = kind;
    picture.origin = origin;
    return picture;
  }
  Picture LoadBitmapPicture(const std::string& lib, const std::string& name) override {
    return Make(Picture::Kind::Bitmap, lib + "," + name);
  }
  Picture LoadCursorPicture(const std::string& lib, const std::string& name) override {
    return Make(Picture::Kind::Cursor, lib + "," + name);
  }
  Picture ExtractIconPicture(const std::string& lib, int index) override {
    return Make(Picture::Kind::Icon, lib + "," + std::to_string(index));
  }
  LibraryResult CallEntry(const std::string&, const std::string&, std::int32_t&) override {
    return LibraryResult::LibraryMissing;
  }

  std::vector<std::string>* log = nullptr;
  bool present = true;
};

}  // namespace vlx
